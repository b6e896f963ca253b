#include "i18n/language_select.h"

#include "support/lang_folder.h"

#include <QLocale>

using i18n::expandLineBreaks;
using i18n::LanguageSelect;

namespace {

constexpr int kGermanGermany = 1031;
constexpr int kEnglishUk = 2057;

class Translation : public LangFolder {
protected:
    LanguageSelect service(int locale = kEnglishUk) {
        return LanguageSelect(nullptr, "\\SOFTWARE\\Kestrelwald\\", programDir(), locale);
    }
};

} // namespace

TEST_F(Translation, WithoutAnyLangFolderEveryKeyStandsForItself) {
    LanguageSelect language = service();
    EXPECT_EQ(language.translate("Scanning_OK"), "Scanning_OK");
    EXPECT_FALSE(language.initLangs());
    EXPECT_FALSE(language.readDefaultLang());
    EXPECT_EQ(language.defaultLangStr(), "english");
    EXPECT_EQ(language.translate("Scanning_OK"), "Scanning_OK");
    EXPECT_EQ(language.translateBlock("helpAbout"), "");
    EXPECT_TRUE(language.translateToList("helpAbout").isEmpty());
}

TEST_F(Translation, CurrentLanguageThenDefaultThenTheKey) {
    writeLang("english_en_gb.ini", "both=english both\nonlyDefault=english only\n");
    writeLang("german_de_de.ini", "both=deutsch beide\n");
    LanguageSelect language = service();
    ASSERT_TRUE(language.initLangs());
    ASSERT_TRUE(language.readDefaultLang());
    EXPECT_EQ(language.translate("both"), "english both");
    ASSERT_TRUE(language.readFile("german"));
    EXPECT_EQ(language.translate("both"), "deutsch beide");
    EXPECT_EQ(language.translate("onlyDefault"), "english only");
    EXPECT_EQ(language.translate("neither"), "neither");
}

TEST_F(Translation, LookupIgnoresCaseAndTheFirstOfTwoEntriesAnswers) {
    writeLang("english_en_gb.ini", "Scan_Finished=first\nscan_finished=second\nempty=\n");
    LanguageSelect language = service();
    language.initLangs();
    ASSERT_TRUE(language.readDefaultLang());
    EXPECT_EQ(language.translate("SCAN_FINISHED"), "first");
    EXPECT_EQ(language.translate("scan_finished"), "first");
    // An entry with an empty text answers with the empty text, not with its key.
    EXPECT_EQ(language.translate("empty"), "");
}

TEST_F(Translation, MarkersBecomeLineBreaks) {
    writeLang("english_en_gb.ini", "two=first#13#10second\n"
                                   "leading=#13#10#13#10word\n"
                                   "between=a#13#10#13#10b\n"
                                   "equals=x = y\n");
    LanguageSelect language = service();
    language.initLangs();
    ASSERT_TRUE(language.readDefaultLang());
    EXPECT_EQ(language.translate("two"), "first\r\nsecond");
    EXPECT_EQ(language.translate("leading"), "\r\n\r\nword");
    EXPECT_EQ(language.translate("between"), "a\r\n\r\nb");
    EXPECT_EQ(language.translate("equals"), "x = y");
    // The key itself goes through the same expansion when no table has it.
    EXPECT_EQ(language.translate("no#13#10entry"), "no\r\nentry");
}

TEST(ExpandLineBreaks, ReplacesEveryExactMarker) {
    EXPECT_EQ(expandLineBreaks("plain text"), "plain text");
    EXPECT_EQ(expandLineBreaks(""), "");
    EXPECT_EQ(expandLineBreaks("#13#10"), "\r\n");
    EXPECT_EQ(expandLineBreaks("#13#10#13#10x#13#10"), "\r\n\r\nx\r\n");
    EXPECT_EQ(expandLineBreaks("#13#1"), "#13#1");
    EXPECT_EQ(expandLineBreaks("#13 #10"), "#13 #10");
    EXPECT_EQ(expandLineBreaks("##13#10#"), "#\r\n#");
}

TEST_F(Translation, BlocksJoinEntriesByCaseSensitivePrefixInFileOrder) {
    writeLang("english_en_gb.ini", "helpAbout1=Line one#13#10\n"
                                   "HelpAbout9=not part of it\n"
                                   "other=x\n"
                                   "helpAbout2=Line two\n");
    LanguageSelect language = service();
    language.initLangs();
    ASSERT_TRUE(language.readDefaultLang());
    EXPECT_EQ(language.translateBlock("helpAbout"), "Line one\r\nLine two");
    // The list keeps the markers; each matching value is one item.
    EXPECT_EQ(language.translateToList("helpAbout"), QStringList({"Line one#13#10", "Line two"}));
    EXPECT_EQ(language.translateBlock("nothing"), "");
}

TEST_F(Translation, BlocksComeFromTheCurrentLanguageOnceItHasAnyEntry) {
    writeLang("english_en_gb.ini", "helpAbout1=A\nhelpAbout2=B\n");
    writeLang("german_de_de.ini", "single=eins\n");
    LanguageSelect language = service();
    language.initLangs();
    ASSERT_TRUE(language.readDefaultLang());
    EXPECT_EQ(language.translateBlock("helpAbout"), "AB");
    ASSERT_TRUE(language.readFile("german"));
    EXPECT_EQ(language.translateBlock("helpAbout"), "");
    EXPECT_TRUE(language.translateToList("helpAbout").isEmpty());
    EXPECT_EQ(language.translate("helpAbout1"), "A");
    EXPECT_EQ(language.translate("helpAbout2"), "B");
}

TEST_F(Translation, InitLangsListsOnlyFilesWithTwoUnderscores) {
    writeLang("english_en_gb.ini", "");
    writeLang("readme.ini", "");
    writeLang("english.ini", "");
    writeLang("german_de.ini", "");
    write("lang/userlang2applang.ini", "[userLangs]\n");
    LanguageSelect language = service();
    ASSERT_TRUE(language.initLangs());
    EXPECT_EQ(language.languages(), QStringList({"english"}));
    EXPECT_EQ(language.locales(), QStringList({"en_gb"}));
    // A second call lists every file again.
    ASSERT_TRUE(language.initLangs());
    EXPECT_EQ(language.languages(), QStringList({"english", "english"}));
}

TEST_F(Translation, InitLangsSplitsAtTheFirstUnderscoreAndTheFirstExtension) {
    writeLang("swiss_german_de_ch.ini", "");
    writeLang("english_en_gb.ini", "");
    LanguageSelect language = service();
    ASSERT_TRUE(language.initLangs());
    EXPECT_EQ(language.languages(), QStringList({"english", "swiss"}));
    EXPECT_EQ(language.locales(), QStringList({"en_gb", "german_de_ch"}));
}

TEST_F(Translation, InitLangsWithAnEmptyLangFolderFindsNothing) {
    write("lang/userlang2applang.ini", "[userLangs]\n1031=german\n");
    LanguageSelect language = service();
    EXPECT_FALSE(language.initLangs());
    EXPECT_TRUE(language.languages().isEmpty());
}

TEST_F(Translation, MappingFileGivesTheLanguageOfTheUserLocale) {
    EXPECT_EQ(service(kGermanGermany).mapUserDefaultLang(), ""); // no file
    write("lang/userlang2applang.ini", "[other]\n1031=german\n");
    EXPECT_EQ(service(kGermanGermany).mapUserDefaultLang(), ""); // no section
    write("lang/userlang2applang.ini", "[UserLangs]\n"
                                       "=german\n"
                                       "1031\n"
                                       " 2057 = english \n"
                                       "0x407=german\n"
                                       "3079=austrian\n");
    EXPECT_EQ(service(kGermanGermany).mapUserDefaultLang(), "german"); // hexadecimal key
    EXPECT_EQ(service(kEnglishUk).mapUserDefaultLang(), "english");
    EXPECT_EQ(service(3079).mapUserDefaultLang(), "austrian");
    EXPECT_EQ(service(1036).mapUserDefaultLang(), "english"); // no match
    // An empty key never matches, not even a locale of 0.
    EXPECT_EQ(service(0).mapUserDefaultLang(), "english");
}

TEST_F(Translation, ANonNumericKeyEndsTheMappingWithAnEmptyName) {
    write("lang/userlang2applang.ini", "[userLangs]\n"
                                       "2057=english\n"
                                       "de-DE=german\n"
                                       "1031=german\n");
    EXPECT_EQ(service(kEnglishUk).mapUserDefaultLang(), "english");
    EXPECT_EQ(service(kGermanGermany).mapUserDefaultLang(), "");
}

TEST_F(Translation, DefaultLanguageFollowsTheMappingWhenItsFileIsListed) {
    writeLang("english_en_gb.ini", "hello=Hello\n");
    writeLang("german_de_de.ini", "hello=Hallo\n");
    write("lang/userlang2applang.ini", "[userLangs]\n1031=german\n2055=German\n");
    LanguageSelect german = service(kGermanGermany);
    german.initLangs();
    ASSERT_TRUE(german.readDefaultLang());
    EXPECT_EQ(german.defaultLangStr(), "german");
    EXPECT_EQ(german.translate("hello"), "Hallo");

    // Language names compare with case: "German" is not listed, so English is used.
    LanguageSelect swiss = service(2055);
    swiss.initLangs();
    ASSERT_TRUE(swiss.readDefaultLang());
    EXPECT_EQ(swiss.defaultLangStr(), "english");
    EXPECT_EQ(swiss.translate("hello"), "Hello");

    // Without initLangs no language is listed and English is read whatever the locale.
    LanguageSelect unlisted = service(kGermanGermany);
    ASSERT_TRUE(unlisted.readDefaultLang());
    EXPECT_EQ(unlisted.defaultLangStr(), "english");
    EXPECT_EQ(unlisted.translate("hello"), "Hello");
}

TEST_F(Translation, ReadingTheDefaultAgainReplacesItsTables) {
    writeLang("english_en_gb.ini", "hello=Hello\n");
    LanguageSelect language = service();
    ASSERT_TRUE(language.readDefaultLang());
    write("lang/english_en_gb.ini", "[something else]\nhello=other\n");
    EXPECT_FALSE(language.readDefaultLang());
    EXPECT_EQ(language.translate("hello"), "hello");
}

TEST_F(Translation, ReadFileNeedsAListedLanguage) {
    writeLang("english_en_gb.ini", "hello=Hello\n");
    writeLang("german_de_de.ini", "hello=Hallo\n");
    write("lang/french_fr_fr.ini", "[no translations]\nhello=Bonjour\n");
    LanguageSelect language = service();
    ASSERT_TRUE(language.initLangs());
    ASSERT_TRUE(language.readFile("german"));
    EXPECT_EQ(language.translate("hello"), "Hallo");

    // An empty name changes nothing.
    EXPECT_FALSE(language.readFile(""));
    EXPECT_EQ(language.translate("hello"), "Hallo");

    // An unknown name empties the current tables.
    EXPECT_FALSE(language.readFile("klingon"));
    EXPECT_EQ(language.translate("hello"), "hello");

    // A listed language whose file holds no texts still counts as read.
    EXPECT_TRUE(language.readFile("french"));
    EXPECT_EQ(language.translate("hello"), "hello");
}

TEST_F(Translation, LanguageAndLocaleListsCanBeSetByTheCaller) {
    writeLang("klingon_tlh_qo.ini", "hello=nuqneH\n");
    LanguageSelect language = service();
    language.setLanguages({"klingon", "unpaired"});
    language.setLocales({"tlh_qo"});
    ASSERT_TRUE(language.readFile("klingon"));
    EXPECT_EQ(language.translate("hello"), "nuqneH");
    // A language without its locale has no file to read.
    EXPECT_FALSE(language.readFile("unpaired"));
}

TEST_F(Translation, FilesAreFoundThroughTheProgramFolderNotTheWorkingFolder) {
    writeLang("english_en_gb.ini", "hello=from the program folder\n");
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    QDir(elsewhere.path()).mkpath("lang");
    QFile decoy(elsewhere.filePath("lang/english_en_gb.ini"));
    ASSERT_TRUE(decoy.open(QIODevice::WriteOnly));
    decoy.write("[translations]\nhello=from the working folder\n");
    decoy.close();

    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    LanguageSelect language = service();
    const bool read = language.readDefaultLang();
    QDir::setCurrent(previous);
    ASSERT_TRUE(read);
    EXPECT_EQ(language.translate("hello"), "from the program folder");
}

TEST(WindowsLocaleId, KnowsTheCommonLocales) {
    EXPECT_EQ(i18n::windowsLocaleId(QLocale("de_DE")), 1031);
    EXPECT_EQ(i18n::windowsLocaleId(QLocale("de_CH")), 2055);
    EXPECT_EQ(i18n::windowsLocaleId(QLocale("de_AT")), 3079);
    EXPECT_EQ(i18n::windowsLocaleId(QLocale("en_GB")), 2057);
    EXPECT_EQ(i18n::windowsLocaleId(QLocale("en_US")), 1033);
    EXPECT_EQ(i18n::windowsLocaleId(QLocale("fr_FR")), 1036);
    EXPECT_EQ(i18n::windowsLocaleId(QLocale("it_IT")), 1040);
    EXPECT_EQ(i18n::windowsLocaleId(QLocale("es_ES")), 3082);
    EXPECT_EQ(i18n::windowsLocaleId(QLocale("nl_NL")), 1043);
}

TEST(WindowsLocaleId, FallsBackToTheMainTerritoryThenToUsEnglish) {
    EXPECT_EQ(i18n::windowsLocaleId(QLocale("de_BE")), 1031);
    EXPECT_EQ(i18n::windowsLocaleId(QLocale("en_IN")), 1033);
    EXPECT_EQ(i18n::windowsLocaleId(QLocale("cy_GB")), 1033);
    EXPECT_EQ(i18n::windowsLocaleId(QLocale::c()), 1033);
}
