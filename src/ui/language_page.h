#pragma once

#include "ui/tab_sheet.h"

#include <QComboBox>
#include <QLabel>
#include <QString>

namespace i18n {
class LanguageSelect;
}

namespace ui {

// The settings page on which the user chooses the program's language: the desktop's, as the
// locale mapping file maps it, or one of the language files found. The settings dialog
// stores the choice like any other setting, by the text shown; the program takes it at its
// next start.
class LanguagePage : public TabSheet {
    Q_OBJECT
public:
    explicit LanguagePage(QWidget* parent = nullptr);

    QLabel* LabelLanguage;
    QComboBox* ComboBoxLanguage;
    QLabel* LabelLanguageNextStart;

    // Offers the desktop's language first, then each language of the files found, by its own
    // name ("Deutsch"); the choice made stays chosen. Texts come from the service's tables.
    void setLanguages(const i18n::LanguageSelect& language);
    // The language name (as in the file names) of the choice; empty for the desktop's.
    QString chosenLanguage() const;
};

// How a language is offered: the name of its locale in that language, or the language name
// of its file when the locale is not known.
QString languageTitle(const QString& languageName, const QString& locale);

} // namespace ui
