#include "ui/help_about.h"

#include "gui/ui/message_texts.h"
#include "i18n/language_select.h"
#include "platform/version_record.h"
#include "support/lang_folder.h"

#include <QApplication>
#include <QMouseEvent>

#include <memory>

using platform::VersionRecord;
using testsupport::FakeMessageBoxes;
using ui::THelpAbout;

namespace {

VersionRecord germanRecord(const QMap<QString, QString>& values) {
    VersionRecord record;
    record.translations = {VersionRecord::Translation{0x0407, 0x04e4}};
    for (auto it = values.begin(); it != values.end(); ++it)
        record.strings.insert("\\StringFileInfo\\040704e4\\" + it.key(), it.value());
    return record;
}

QStringList tabCaptions(const QTabWidget& tabs) {
    QStringList captions;
    for (int i = 0; i < tabs.count(); ++i)
        captions.append(tabs.tabText(i));
    return captions;
}

} // namespace

class HelpAboutTest : public LangFolder {
protected:
    void SetUp() override {
        language = std::make_unique<i18n::LanguageSelect>(nullptr, "\\SOFTWARE\\Kestrelwald\\",
                                                          programDir(), 2057);
        about = std::make_unique<THelpAbout>(programDir(), boxes);
        about->language = language.get();
    }

    // Reads the default language file written so far.
    void loadLanguage() { language->readDefaultLang(); }

    FakeMessageBoxes boxes;
    std::unique_ptr<i18n::LanguageSelect> language;
    std::unique_ptr<THelpAbout> about;
};

TEST_F(HelpAboutTest, WithoutTranslationsKeysAreCaptionsAndDocumentNames) {
    write("help.readme", "Read me first.\nSecond line.");
    write("help.eula", "<html><body><p>Licence <b>terms</b></p></body></html>");
    about->setContentFile("help.readme");
    about->setEulaText("help.eula");
    EXPECT_EQ(about->fileContentFileName, QDir(programDir()).filePath("help.readme"));
    EXPECT_EQ(about->fileEulaText, QDir(programDir()).filePath("help.eula"));

    about->FormActivate();
    EXPECT_EQ(about->windowTitle(), "captionHelpAbout");
    EXPECT_EQ(about->BitBtn1->text(), "buttonOK");
    EXPECT_EQ(tabCaptions(*about->PageControlVersionInfo),
              QStringList({"captionVersionInfo", "captionReadMe", "captionEula"}));
    EXPECT_EQ(THelpAbout::linesOf(*about->fileLines),
              QStringList({"Read me first.", "Second line."}));
    // Without an html suffix the licence is still recognised as rich text.
    EXPECT_EQ(about->eulaLines->toPlainText(), "Licence terms");
}

TEST_F(HelpAboutTest, DocumentsNamedByTheTranslations) {
    writeLang("english_en_gb.ini", "help.readme=help/readme.html\n"
                                   "help.eula=\n"
                                   "captionReadMe=Read me\n");
    loadLanguage();
    write("help/readme.html", "<h1>TORVANE Scan</h1><p>Finds gateways.</p>");
    write("help.eula", "plain licence < 3 > text");
    about->setContentFile("help.readme");
    about->setEulaText("help.eula");
    EXPECT_EQ(about->fileContentFileName, QDir(programDir()).filePath("help/readme.html"));
    // An empty translation falls back to the key as the name.
    EXPECT_EQ(about->fileEulaText, QDir(programDir()).filePath("help.eula"));

    about->FormActivate();
    EXPECT_EQ(about->PageControlVersionInfo->count(), 3);
    EXPECT_EQ(about->TabSheetReadMe->caption(), "Read me");
    EXPECT_EQ(THelpAbout::linesOf(*about->fileLines),
              QStringList({"TORVANE Scan", "Finds gateways."}));
    EXPECT_EQ(about->eulaLines->toPlainText(), "plain licence < 3 > text");
}

TEST_F(HelpAboutTest, MissingDocumentsTakeTheirTabsAwayForGood) {
    about->setContentFile("help.readme");
    about->setEulaText("help.eula");
    about->FormActivate();
    EXPECT_EQ(tabCaptions(*about->PageControlVersionInfo), QStringList({"captionVersionInfo"}));
    EXPECT_EQ(about->PageControlVersionInfo->currentWidget(), about->TabSheetVersionInfo);

    write("help.readme", "now there");
    write("help.eula", "now there");
    about->FormActivate();
    EXPECT_EQ(about->PageControlVersionInfo->count(), 1);
}

TEST_F(HelpAboutTest, DocumentsNotSetMeanNoTabs) {
    about->FormActivate();
    EXPECT_EQ(about->PageControlVersionInfo->count(), 1);
}

TEST_F(HelpAboutTest, ProductLineAndRule) {
    about->additionalVersionInfo = "[GDF 2.4]";
    about->FormActivate();
    const QStringList lines = THelpAbout::linesOf(*about->Memo1);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], platform::GetProductInfoString() + "[GDF 2.4]");
    EXPECT_TRUE(lines[0].startsWith("TORVANE Scan V"));
    EXPECT_TRUE(lines[0].endsWith(" V" + platform::GetProductVersionString() + "[GDF 2.4]"));
    EXPECT_EQ(lines[1], QString(102, '-'));
}

TEST_F(HelpAboutTest, LegalNoticeTrademarksAndAboutText) {
    writeLang("english_en_gb.ini", "helpAbout1=First about line.#13#10\n"
                                   "HelpAboutX=not part of the block\n"
                                   "helpAbout2=Second about line.\n");
    loadLanguage();
    const VersionRecord record = germanRecord({{"ProductName", "TORVANE Scan"},
                                               {"ProductVersion", "3.1.0"},
                                               {"LegalCopyright", "Copyright A\r\nAll rights B"}});
    about->versionRecord = &record;
    about->additionalVersionInfo = "[GDF 1]";
    about->FormActivate();
    EXPECT_EQ(THelpAbout::linesOf(*about->Memo1)[0], "TORVANE Scan V3.1.0[GDF 1]");
    EXPECT_EQ(THelpAbout::linesOf(*about->Memo2),
              QStringList({"Copyright A", "All rights B", "", " LegalTrademarks not available", "",
                           "First about line.", "Second about line."}));
}

TEST_F(HelpAboutTest, TwoActivationsDoNotDuplicateLines) {
    write("help.readme", "read me");
    about->setContentFile("help.readme");
    about->FormActivate();
    const QStringList memo1 = THelpAbout::linesOf(*about->Memo1);
    const QStringList memo2 = THelpAbout::linesOf(*about->Memo2);
    const QString readMe = about->fileLines->toPlainText();
    about->FormActivate();
    EXPECT_EQ(THelpAbout::linesOf(*about->Memo1), memo1);
    EXPECT_EQ(THelpAbout::linesOf(*about->Memo2), memo2);
    EXPECT_EQ(about->fileLines->toPlainText(), readMe);
}

TEST_F(HelpAboutTest, RecordWithoutTranslationTableIsReportedAtActivation) {
    VersionRecord broken;
    broken.strings.insert("\\StringFileInfo\\040704e4\\ProductName", "TORVANE Scan");
    about->versionRecord = &broken;
    EXPECT_THROW(about->FormActivate(), platform::VersionInfoError);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(about.get(), &activate);
    ASSERT_EQ(boxes.messages().size(), 1u);
    EXPECT_FALSE(boxes.messages()[0].text.isEmpty());
}

TEST_F(HelpAboutTest, ChangeLogShowsEveryLineUnchanged) {
    write("lastCommits.ini", "[lastCommits]\r\n2026-01-02 abc1234 First=commit\n");
    about->Memo1DblClick();
    ASSERT_EQ(boxes.calls.size(), 1u);
    const FakeMessageBoxes::Call& box = boxes.calls[0];
    EXPECT_EQ(box.kind, FakeMessageBoxes::Kind::Message);
    EXPECT_EQ(box.text, "[lastCommits]\n\r \n\r2026-01-02 abc1234 First=commit\n\r \n\r");
    EXPECT_EQ(box.caption, "Change log");
    EXPECT_EQ(box.buttons, platform::MessageBoxes::Buttons::Ok);
}

TEST_F(HelpAboutTest, ChangeLogOfAnEmptyFileAndOfNone) {
    about->Memo1DblClick();
    EXPECT_TRUE(boxes.calls.empty());
    ASSERT_TRUE(QDir(programDir()).mkdir("lastCommits.ini")); // not a readable file
    about->Memo1DblClick();
    EXPECT_TRUE(boxes.calls.empty());
    ASSERT_TRUE(QDir(programDir()).rmdir("lastCommits.ini"));
    write("lastCommits.ini", "");
    about->Memo1DblClick();
    EXPECT_EQ(messageTexts(boxes), QStringList({""}));
}

TEST_F(HelpAboutTest, DoubleClickOnTheVersionLinesOpensTheChangeLog) {
    write("lastCommits.ini", "one\n");
    const QPointF inside(5, 5);
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, inside, about->Memo1->mapToGlobal(inside),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(about->Memo1->viewport(), &doubleClick);
    EXPECT_EQ(messageTexts(boxes), QStringList({"one\n\r \n\r"}));
}

TEST(HelpAboutLines, AddMultiLinesSplitsAtEveryKindOfLineBreak) {
    QStringList lines{"before"};
    THelpAbout::addMultiLines("a\r\nb\rc\nd", lines);
    EXPECT_EQ(lines, QStringList({"before", "a", "b", "c", "d"}));
    THelpAbout::addMultiLines("e\r\n\r\nf\r\n", lines);
    EXPECT_EQ(lines, QStringList({"before", "a", "b", "c", "d", "e", "", "f"}));
    THelpAbout::addMultiLines("", lines);
    EXPECT_EQ(lines.size(), 8);
}

TEST_F(HelpAboutTest, SheetsMoveInAndOkHides) {
    write("help.readme", "read me");
    about->setContentFile("help.readme");
    auto* extra = new ui::TabSheet;
    extra->setCaption("Extra");
    about->RegisterSheet(extra);
    EXPECT_EQ(about->PageControlVersionInfo->count(), 4);
    EXPECT_EQ(about->PageControlVersionInfo->currentWidget(), about->TabSheetVersionInfo);
    EXPECT_EQ(about->PageControlVersionInfo->tabText(3), "Extra");

    about->UnRegisterSheet(about->TabSheetVersionInfo);
    EXPECT_EQ(about->PageControlVersionInfo->currentWidget(), about->TabSheetReadMe);
    EXPECT_EQ(about->TabSheetVersionInfo->tabWidget(), nullptr);

    about->show();
    about->BitBtn1->click();
    EXPECT_FALSE(about->isVisible());
}
