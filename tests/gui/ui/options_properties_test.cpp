#include "gui/ui/options_fixture.h"

#include "i18n/language_select.h"
#include "support/lang_folder.h"
#include "ui/settings_error.h"

namespace {

QString errorOf(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const ui::SettingsError& error) {
        return error.message();
    }
    return "no error";
}

} // namespace

TEST_F(OptionsTest, GetPropFindsControlsWithoutRegardToCase) {
    page.edit->setText("value");
    page.check->setChecked(true);
    EXPECT_EQ(options->GetProp("editname"), "value");
    EXPECT_EQ(options->GetProp("EDITNAME"), "value");
    EXPECT_EQ(options->GetProp("CheckEnabled"), "1");
    page.check->setChecked(false);
    EXPECT_EQ(options->GetProp("checkenabled"), "0");
    page.combo->setCurrentText("free text");
    EXPECT_EQ(options->GetProp("ComboMode"), "free text");
    // Kinds without a value read as empty text.
    EXPECT_EQ(options->GetProp("LabelInfo"), "");
    EXPECT_EQ(options->GetProp("MemoNotes"), "");
}

TEST_F(OptionsTest, PropertyOfNoControlRaisesTheNotFoundError) {
    EXPECT_EQ(errorOf([&] { options->GetProp("Nowhere"); }),
              "exceptionSettingsStringProp Nowhere exceptionSettingsNotFound");
    EXPECT_EQ(errorOf([&] { options->SetProp("Nowhere", "x"); }),
              "exceptionSettingsStringProp Nowhere exceptionSettingsNotFound");
    // Only the page's own children are settings.
    EXPECT_EQ(errorOf([&] { options->GetProp("EditNested"); }),
              "exceptionSettingsStringProp EditNested exceptionSettingsNotFound");
    EXPECT_FALSE(options->GetBoolProp("Nowhere"));
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(OptionsTest, BoolPropIsTrueForAnythingButZero) {
    page.edit->setText("0");
    EXPECT_FALSE(options->GetBoolProp("EditName"));
    page.edit->setText("");
    EXPECT_TRUE(options->GetBoolProp("EditName"));
    page.edit->setText("no");
    EXPECT_TRUE(options->GetBoolProp("EditName"));
    page.check->setChecked(false);
    EXPECT_FALSE(options->GetBoolProp("CheckEnabled"));
}

TEST_F(OptionsTest, SetPropSetsTheControlAndStoresEveryPage) {
    SettingsTestPage other("OtherPage");
    options->RegisterSheet(other.sheet);
    other.edit->setText("other page");
    page.check->setChecked(true);
    options->SetBoolProp("checkenabled", false);
    EXPECT_FALSE(page.check->isChecked());
    EXPECT_EQ(stored("CheckEnabled")->number, 0);
    EXPECT_EQ(stored("EditName", "OtherPage")->text, "other page");

    // Any text but "0" ticks a check box, the empty one too.
    options->SetProp("CheckEnabled", "");
    EXPECT_TRUE(page.check->isChecked());
    EXPECT_EQ(stored("CheckEnabled")->number, 1);

    options->SetProp("ComboMode", "auto");
    EXPECT_EQ(page.combo->currentText(), "auto");
    options->SetProp("EditName", "path");
    EXPECT_EQ(stored("EditName")->text, "path");
    EXPECT_EQ(stored("ComboMode")->text, "auto");

    options->SetProp("LabelInfo", "ignored");
    EXPECT_EQ(page.label->text(), "label text");
}

TEST_F(OptionsTest, IntPropReadsWholeNumbersOnly) {
    page.edit->setText("42");
    EXPECT_EQ(options->GetIntProp("EditName"), 42);
    page.edit->setText("-7");
    EXPECT_EQ(options->GetIntProp("EditName"), -7);
    page.edit->setText("12a");
    EXPECT_EQ(errorOf([&] { options->GetIntProp("EditName"); }),
              "exceptionSettingsErrorReadingKeyEditName");
    page.edit->setText("99999999999");
    EXPECT_EQ(errorOf([&] { options->GetIntProp("EditName"); }),
              "exceptionSettingsErrorReadingKeyEditName");
    EXPECT_EQ(errorOf([&] { options->GetIntProp("Nowhere"); }),
              "exceptionSettingsErrorReadingKeyNowhere");
    page.check->setChecked(true);
    EXPECT_EQ(options->GetIntProp("CheckEnabled"), 1);
}

TEST_F(OptionsTest, SetIntPropWritesDecimalText) {
    options->SetIntProp("EditName", -250);
    EXPECT_EQ(page.edit->text(), "-250");
    EXPECT_EQ(stored("EditName")->text, "-250");
    EXPECT_EQ(errorOf([&] { options->SetIntProp("Nowhere", 1); }),
              "exceptionSettingsErrorWritingKeyNowhere");
}

TEST_F(OptionsTest, ExcludedControlsAreSkippedByReadAndStoreOnly) {
    options->addExcludeControl(page.edit);
    options->addExcludeControl(page.edit); // duplicates are harmless
    EXPECT_TRUE(options->isExcludeControl(page.edit));
    EXPECT_FALSE(options->isExcludeControl(page.afterGrid));

    page.edit->setText("not stored");
    options->Store();
    EXPECT_FALSE(stored("EditName").has_value());

    put("EditName", text("not read"));
    options->Read();
    EXPECT_EQ(page.edit->text(), "not stored");

    EXPECT_EQ(options->GetProp("EditName"), "not stored");
    options->SetProp("EditName", "set");
    EXPECT_EQ(page.edit->text(), "set");
    EXPECT_EQ(stored("EditName")->text, "not read");
}

class OptionsTranslatedTest : public LangFolder {};

TEST_F(OptionsTranslatedTest, ErrorsCarryTheTranslatedTexts) {
    writeLang("english_en_gb.ini", "exceptionSettingsStringProp=The setting\n"
                                   "exceptionSettingsNotFound=does not exist.\n"
                                   "exceptionSettingsErrorReadingKey=Not a number:#13#10\n"
                                   "optionsCaption=Preferences\n"
                                   "buttonOK=Accept\n"
                                   "buttonCancel=Discard\n");
    i18n::LanguageSelect language(nullptr, "\\SOFTWARE\\Kestrelwald\\", programDir(), 2057);
    ASSERT_TRUE(language.readDefaultLang());
    QTemporaryDir storeDir;
    platform::RegistryStore store(storeDir.filePath("registry.txt"));
    testsupport::FakeMessageBoxes boxes;
    ui::TOptions options(store, boxes);
    options.language = &language;
    options.setFieldBusName("TorvaneScan");
    SettingsTestPage page;
    options.RegisterSheet(page.sheet);

    EXPECT_EQ(errorOf([&] { options.GetProp("Nowhere"); }), "The setting Nowhere does not exist.");
    page.edit->setText("x");
    EXPECT_EQ(errorOf([&] { options.GetIntProp("EditName"); }), "Not a number:\r\nEditName");

    options.FormActivate();
    EXPECT_EQ(options.OKBtn->text(), "Accept");
    EXPECT_EQ(options.CancelBtn->text(), "Discard");
    options.FormShow();
    EXPECT_EQ(options.windowTitle(), "Preferences");
}
