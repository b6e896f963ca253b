// The language at start-up: the desktop's locale through the mapping file, the choice stored
// on the settings page, and the main window's own texts by component name.
#include "support/form_fixture.h"

#include "app/main_window_texts.h"
#include "i18n/language_select.h"
#include "platform/ini_file.h"
#include "platform/registry.h"
#include "ui/device_list_view.h"
#include "ui/language_page.h"
#include "ui/model/device_table.h"
#include "ui/options_dialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

constexpr int kGerman = 1031;
constexpr int kFrench = 1036;
const QString kColumnPrefix = QStringLiteral("ListView1Column");

FormFixture::Options onDesktop(int localeId) {
    FormFixture::Options options;
    options.userLocaleId = localeId;
    return options;
}

// What the component a key belongs to shows.
QString shownText(app::TForm1& form, const QString& key) {
    if (key.startsWith(kColumnPrefix)) {
        const int column = key.mid(kColumnPrefix.size()).toInt();
        return form.deviceList().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    QObject* component = form.findChild<QObject*>(key);
    if (auto* menu = qobject_cast<QMenu*>(component))
        return menu->title();
    if (auto* action = qobject_cast<QAction*>(component))
        return action->text();
    if (auto* button = qobject_cast<QAbstractButton*>(component))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(component))
        return label->text();
    return QStringLiteral("<no component %1>").arg(key);
}

QMap<QString, QString> shownTexts(app::TForm1& form) {
    QMap<QString, QString> texts;
    for (const QString& key : app::mainWindowTextKeys())
        texts[key] = shownText(form, key);
    return texts;
}

QString shippedText(const QString& file, const QString& key) {
    const platform::IniFile ini =
        platform::IniFile::fromFile(QStringLiteral(TORVANE_SOURCE_DIR "/data/lang/") + file);
    for (const platform::IniEntry& entry : ini.entries(QStringLiteral("translations")))
        if (entry.key.compare(key, Qt::CaseInsensitive) == 0)
            return entry.value;
    return QStringLiteral("<missing %1>").arg(key);
}

ui::LanguagePage* languagePage(FormFixture& f) {
    return f.settings().findChild<ui::LanguagePage*>();
}

QString tabText(FormFixture& f, QWidget* page) {
    return f.settings().OptionPages->tabText(f.settings().OptionPages->indexOf(page));
}

QString rememberedLanguage(FormFixture& f) {
    const auto value =
        f.store().value(QStringLiteral("\\SOFTWARE\\Kestrelwald\\"), QStringLiteral("UserLang"));
    return value ? value->text : QStringLiteral("<none>");
}

void storeChoice(FormFixture& f, const QString& text) {
    platform::Registry settings(f.store());
    ASSERT_TRUE(settings.openKey(
        QStringLiteral("\\SOFTWARE\\Kestrelwald\\TorvaneScan\\LanguageSheet"), true));
    settings.writeString(QStringLiteral("ComboBoxLanguage"), text);
}

} // namespace

TEST(StartupLanguage, AnEnglishDesktopSeesTheWindowExactlyAsDesigned) {
    FormFixture f;
    const QMap<QString, QString> design = shownTexts(f.form());
    // The English file holds the design texts (a label's leading blank cannot stand in it).
    for (const QString& key : app::mainWindowTextKeys())
        EXPECT_EQ(shippedText("english_en_gb.ini", key), design[key].trimmed())
            << key.toStdString();
    f.activate();
    EXPECT_EQ(shownTexts(f.form()), design);
    EXPECT_EQ(f.parts().ButtonBlink->text(), "Blink");
    EXPECT_EQ(f.parts().LabelIpAddr->text(), " IP-Address");
    EXPECT_EQ(rememberedLanguage(f), "english");
    EXPECT_EQ(tabText(f, languagePage(f)), "Language");
    EXPECT_TRUE(f.boxes.messages().empty());
}

TEST(StartupLanguage, AGermanDesktopSeesGermanTextsEverywhere) {
    FormFixture f(onDesktop(kGerman));
    const QString designIpLabel = f.parts().LabelIpAddr->text();
    f.activate();
    const QString german = QStringLiteral("german_de_de.ini");
    for (const QString& key : app::mainWindowTextKeys()) {
        QString expected = shippedText(german, key);
        if (key == "LabelIpAddr" || key == "Label4" || key == "LabelGatewayAddr")
            expected.prepend(u' '); // the design's indent
        EXPECT_EQ(shownText(f.form(), key), expected) << key.toStdString();
    }
    EXPECT_EQ(f.parts().ButtonScan->text(), "Suchen");
    EXPECT_NE(f.parts().LabelIpAddr->text(), designIpLabel);
    // The buttons that carry an action follow its caption.
    EXPECT_EQ(f.parts().ButtonBlink->text(), shippedText(german, "actBlink"));
    EXPECT_EQ(f.parts().ButtonRestart->text(), shippedText(german, "actRestart"));
    // The texts the program looks up by key come from the German file too.
    EXPECT_EQ(f.form().stateTexts().notAvailable, shippedText(german, "StatusNotAvailText"));
    EXPECT_EQ(f.form().statusText(), shippedText(german, "Scanning"));
    // The settings pages.
    ui::LanguagePage* page = languagePage(f);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(tabText(f, page), "Sprache");
    EXPECT_EQ(page->LabelLanguageNextStart->text(), shippedText(german, "LabelLanguageNextStart"));
    EXPECT_EQ(page->ComboBoxLanguage->currentText(), "Sprache des Desktops");
    EXPECT_EQ(f.settings().OptionPages->currentIndex(), 0);
    EXPECT_EQ(tabText(f, f.settings().OptionPages->widget(0)),
              shippedText(german, "TGWConfigFileSheetCaption"));
    EXPECT_EQ(rememberedLanguage(f), "german");
}

TEST(StartupLanguage, ALocaleTheMappingDoesNotNameGetsEnglish) {
    FormFixture f(onDesktop(kFrench));
    f.activate();
    EXPECT_EQ(f.parts().ButtonScan->text(), "Scan");
    EXPECT_EQ(f.parts().File1->title(), "File");
    EXPECT_EQ(rememberedLanguage(f), "english");
}

TEST(StartupLanguage, TheChoiceStoredInTheSettingsWinsOverTheDesktop) {
    FormFixture f(onDesktop(kGerman));
    storeChoice(f, "British English");
    f.activate();
    EXPECT_EQ(f.parts().ButtonScan->text(), "Scan");
    EXPECT_EQ(f.form().deviceList().headerData(5, Qt::Horizontal, Qt::DisplayRole), "Device Type");
    EXPECT_EQ(f.form().stateTexts().notAvailable,
              shippedText("english_en_gb.ini", "StatusNotAvailText"));
    EXPECT_EQ(languagePage(f)->chosenLanguage(), "english");
    EXPECT_EQ(languagePage(f)->ComboBoxLanguage->itemText(0), "Language of the desktop");
    EXPECT_EQ(rememberedLanguage(f), "english");
}

TEST(StartupLanguage, AStoredChoiceThatNamesNoLanguageFileMeansTheDesktop) {
    for (const QString stored : {"Language of the desktop", "Français"}) {
        SCOPED_TRACE(stored.toStdString());
        FormFixture f(onDesktop(kGerman));
        storeChoice(f, stored);
        f.activate();
        EXPECT_EQ(f.parts().ButtonScan->text(), "Suchen");
        EXPECT_EQ(languagePage(f)->chosenLanguage(), "");
        EXPECT_TRUE(f.boxes.messages().empty());
    }
}

TEST(StartupLanguage, AChoiceMadeInTheSettingsWaitsForTheNextStart) {
    FormFixture f(onDesktop(kGerman));
    f.activate();
    ui::LanguagePage* page = languagePage(f);
    page->ComboBoxLanguage->setCurrentIndex(page->ComboBoxLanguage->findData("english"));
    f.settings().Store();
    EXPECT_EQ(f.store()
                  .value("\\SOFTWARE\\Kestrelwald\\TorvaneScan\\LanguageSheet", "ComboBoxLanguage")
                  ->text,
              "British English");
    EXPECT_EQ(f.parts().ButtonScan->text(), "Suchen");
}

TEST(StartupLanguage, WithoutLanguageFilesTheWindowKeepsItsDesignTexts) {
    FormFixture::Options options = onDesktop(kGerman);
    options.languageFiles = false;
    FormFixture f(options);
    const QMap<QString, QString> design = shownTexts(f.form());
    f.activate();
    EXPECT_EQ(shownTexts(f.form()), design);
    // The language choice offers the desktop only, by its key.
    EXPECT_EQ(languagePage(f)->ComboBoxLanguage->count(), 1);
    EXPECT_EQ(rememberedLanguage(f), "<none>");
}
