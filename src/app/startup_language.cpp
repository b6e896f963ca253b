// The part of the first activation that decides the program's language: it needs the stored
// settings, so the settings pages are registered and read here too.
#include "app/form1.h"
#include "app/main_window_texts.h"

#include "i18n/language_select.h"
#include "platform/message_boxes.h"
#include "ui/gw_config.h"
#include "ui/hints_page.h"
#include "ui/init_captions.h"
#include "ui/language_page.h"
#include "ui/options_dialog.h"
#include "ui/settings_error.h"

#include <QLayout>

#include <algorithm>

namespace app {

void TForm1::setUpSettingsAndLanguage() {
    ui::TOptions* options = windows.options;
    gdf::TGW_Config* gwConfig = windows.gwConfig;
    // The languages of the files found: without them the default language would always be
    // English, whatever the desktop's.
    language->initLangs();
    language->readDefaultLang();
    ui::LanguagePage* languagePage = nullptr;
    ui::HintsPage* hintsPage = nullptr;
    if (gwConfig) {
        gwConfig->language = language.get();
        if (options)
            options->RegisterSheet(gwConfig->TGWConfigFileSheetCaption);
    }
    if (options) {
        languagePage = new ui::LanguagePage;
        languagePage->setLanguages(*language);
        options->RegisterSheet(languagePage);
        hintsPage = new ui::HintsPage;
        options->RegisterSheet(hintsPage);
        // The dialog opens on the description file, as before the language page existed.
        if (gwConfig)
            options->OptionPages->setCurrentWidget(gwConfig->TGWConfigFileSheetCaption);
        try {
            options->Read();
        } catch (const ui::SettingsError& error) {
            services.boxes.showMessage(error.message());
        }
    }

    // The language chosen on the settings page, otherwise the desktop's, gives every caption.
    QString shownLanguage = languagePage ? languagePage->chosenLanguage() : QString();
    if (!language->languages().contains(shownLanguage))
        shownLanguage = language->defaultLangStr();
    if (gwConfig) {
        // The page has moved into the settings dialog and is no longer the window's child.
        i18n::initCaptions(*language, gwConfig, shownLanguage);
        i18n::initCaptions(*language, gwConfig->TGWConfigFileSheetCaption, shownLanguage);
    }
    if (languagePage) {
        i18n::initCaptions(*language, languagePage, shownLanguage);
        languagePage->setLanguages(*language);
    }
    if (hintsPage)
        i18n::initCaptions(*language, hintsPage, shownLanguage);
    translateMainWindow(*this, *deviceLines, *ListView1);
    // The editor is as wide as its widest caption in the language shown, the move button's.
    PanelInputs->setMinimumWidth(
        std::max(PanelInputs->minimumWidth(), PanelInputs->layout()->minimumSize().width()));
    // Without its language file every text shows as its key; the user is told why.
    for (const QString& problem : language->takeFileProblems())
        showBox(problem, QStringLiteral("Configuration_warning"),
                platform::MessageBoxes::Icon::Warning);
}

} // namespace app
