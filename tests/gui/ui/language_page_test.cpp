#include "gui/ui/options_fixture.h"
#include "i18n/language_select.h"
#include "support/lang_folder.h"
#include "ui/language_page.h"

#include <gtest/gtest.h>

namespace {

QStringList itemTexts(const QComboBox& combo) {
    QStringList texts;
    for (int i = 0; i < combo.count(); ++i)
        texts.append(combo.itemText(i));
    return texts;
}

// A service that knows these languages by name and locale, with texts from a table of its
// own (the page asks it only for the desktop entry's text).
i18n::LanguageSelect languages(const QStringList& names, const QStringList& locales) {
    i18n::LanguageSelect language(nullptr, QString(), QString(), 0);
    language.setLanguages(names);
    language.setLocales(locales);
    return language;
}

} // namespace

TEST(LanguageTitle, TheLocalesOwnNameOrElseTheFilesLanguageName) {
    EXPECT_EQ(ui::languageTitle("german", "de_de"), "Deutsch");
    EXPECT_EQ(ui::languageTitle("german", "de_AT"), "Österreichisches Deutsch");
    EXPECT_EQ(ui::languageTitle("english", "en_gb"), "British English");
    EXPECT_EQ(ui::languageTitle("klingon", "tlh_xx"), "klingon");
    EXPECT_EQ(ui::languageTitle("plain", ""), "plain");
}

class LanguagePageTest : public LangFolder {};

TEST_F(LanguagePageTest, OffersTheDesktopFirstThenEveryLanguageFoundAndKeepsTheChoice) {
    writeLang("english_en_gb.ini", "LanguageDesktop=Language of the desktop\n");
    writeLang("german_de_de.ini", "LanguageDesktop=Sprache des Desktops\n");
    i18n::LanguageSelect language(nullptr, QString(), programDir(), 1031);
    ASSERT_TRUE(language.initLangs());
    ASSERT_TRUE(language.readDefaultLang());

    ui::LanguagePage page;
    page.setLanguages(language);
    EXPECT_EQ(itemTexts(*page.ComboBoxLanguage),
              QStringList({"Language of the desktop", "British English", "Deutsch"}));
    EXPECT_EQ(page.ComboBoxLanguage->currentIndex(), 0);
    EXPECT_EQ(page.chosenLanguage(), "");

    page.ComboBoxLanguage->setCurrentIndex(2);
    EXPECT_EQ(page.chosenLanguage(), "german");
    // Filled again in another language: the desktop entry changes its text, the choice stays.
    language.readFile("german");
    page.setLanguages(language);
    EXPECT_EQ(page.ComboBoxLanguage->itemText(0), "Sprache des Desktops");
    EXPECT_EQ(page.chosenLanguage(), "german");
}

TEST(LanguagePage, TwoFilesOfOneLocaleAreToldApartByTheirLanguageNames) {
    ui::LanguagePage page;
    page.setLanguages(languages({"german", "swabian"}, {"de_de", "de_de"}));
    EXPECT_EQ(itemTexts(*page.ComboBoxLanguage),
              QStringList({"LanguageDesktop", "Deutsch", "Deutsch (swabian)"}));
    page.ComboBoxLanguage->setCurrentIndex(2);
    EXPECT_EQ(page.chosenLanguage(), "swabian");
}

TEST(LanguagePage, AChoiceWhoseLanguageIsGoneFallsBackToTheDesktop) {
    ui::LanguagePage page;
    page.setLanguages(languages({"english", "german"}, {"en_gb", "de_de"}));
    page.ComboBoxLanguage->setCurrentIndex(2);
    page.setLanguages(languages({"english"}, {"en_gb"}));
    EXPECT_EQ(page.ComboBoxLanguage->currentIndex(), 0);
    EXPECT_EQ(page.chosenLanguage(), "");
}

// The settings dialog stores the page like any other: by the text shown.
class LanguagePageStoreTest : public OptionsTest {
protected:
    void SetUp() override {
        OptionsTest::SetUp();
        // Alone in the dialog: the test page's grid would stop a Read before this page.
        options->UnRegisterSheet(page.sheet);
        languagePage = new ui::LanguagePage;
        languagePage->setLanguages(languages({"english", "german"}, {"en_gb", "de_de"}));
        options->RegisterSheet(languagePage);
    }

    QString storedChoice() const {
        const auto value = stored("ComboBoxLanguage", "LanguageSheet");
        return value ? value->text : QStringLiteral("<none>");
    }

    ui::LanguagePage* languagePage = nullptr;
};

TEST_F(LanguagePageStoreTest, TheChoiceIsStoredByItsTextAndReadBack) {
    languagePage->ComboBoxLanguage->setCurrentIndex(2);
    options->Store();
    EXPECT_EQ(storedChoice(), "Deutsch");

    languagePage->ComboBoxLanguage->setCurrentIndex(0);
    options->Read();
    EXPECT_EQ(languagePage->chosenLanguage(), "german");
    EXPECT_TRUE(messageTexts(boxes).isEmpty());
}

TEST_F(LanguagePageStoreTest, AStoredTextNoEntryShowsMeansTheDesktopNeverAnEmptyChoice) {
    // Nothing stored yet, the desktop entry stored in another language, a removed language.
    for (const QString text : {"", "Sprache des Desktops", "Français"}) {
        SCOPED_TRACE(text.toStdString());
        if (!text.isEmpty())
            put("ComboBoxLanguage", this->text(text), "LanguageSheet");
        languagePage->ComboBoxLanguage->setCurrentIndex(2);
        options->Read();
        EXPECT_EQ(languagePage->ComboBoxLanguage->currentIndex(), 0);
        EXPECT_EQ(languagePage->chosenLanguage(), "");
    }
    options->Store();
    EXPECT_EQ(storedChoice(), "LanguageDesktop");
}
