#include "ui/gw_config.h"

#include "gui/ui/message_texts.h"
#include "i18n/language_select.h"
#include "platform/registry.h"
#include "support/lang_folder.h"
#include "ui/init_captions.h"
#include "ui/options_dialog.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using gdf::TGW_Config;

TEST(GwConfigPage, DesignNamesAndTexts) {
    testsupport::FakeMessageBoxes boxes;
    TGW_Config window(boxes);
    EXPECT_EQ(window.objectName(), "GW_Config");
    EXPECT_EQ(window.windowTitle(), "TGWConfigFile");
    EXPECT_EQ(window.TGWConfigFileSheetCaption->objectName(), "TGWConfigFileSheetCaption");
    EXPECT_EQ(window.TGWConfigFileSheetCaption->caption(), "TGWConfigFileSheetCaption");
    EXPECT_EQ(window.TGWCurrentFilePath->text(), "Current File Path:");
    EXPECT_EQ(window.EditTGWCurrentFilePath->objectName(), "EditTGWCurrentFilePath");
    EXPECT_EQ(window.EditTGWCurrentFilePath->width(), 310);
    EXPECT_EQ(window.TGWConfigFileButtonSetConfigFile->objectName(),
              "TGWConfigFileButtonSetConfigFile");
    // The settings store sees the three controls as the page's own children.
    EXPECT_EQ(window.EditTGWCurrentFilePath->parentWidget(), window.TGWConfigFileSheetCaption);
    EXPECT_EQ(window.TGWConfigFileButtonSetConfigFile->parentWidget(),
              window.TGWConfigFileSheetCaption);
}

TEST(GwConfigPage, ChoosingAFileSetsTheFullPathAndTheTooltip) {
    testsupport::FakeMessageBoxes boxes;
    TGW_Config window(boxes);
    QTemporaryDir dir;
    QTemporaryDir other;
    window.EditTGWCurrentFilePath->setText(other.filePath("current.gdf"));
    const QString chosen = dir.filePath("devices"); // no extension
    boxes.fileAnswers = {chosen, QString()};
    window.TGWConfigFileButtonSetConfigFile->click();
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].kind, testsupport::FakeMessageBoxes::Kind::OpenFile);
    EXPECT_EQ(boxes.calls[0].text, "*");            // every file, with or without an extension
    EXPECT_EQ(boxes.calls[0].preset, other.path()); // the present file's folder
    EXPECT_EQ(window.EditTGWCurrentFilePath->text(), chosen);
    EXPECT_EQ(window.EditTGWCurrentFilePath->toolTip(), chosen);

    // Cancelling the chooser changes nothing; it opened in the chosen file's folder.
    window.TGWConfigFileButtonSetConfigFile->click();
    EXPECT_EQ(boxes.calls[1].preset, dir.path());
    EXPECT_EQ(window.EditTGWCurrentFilePath->text(), chosen);

    window.EditTGWCurrentFilePath->setText("typed/path.gdf");
    EXPECT_EQ(window.EditTGWCurrentFilePath->toolTip(), "typed/path.gdf");
}

class GwConfigTranslated : public LangFolder {};

TEST_F(GwConfigTranslated, ButtonCaptionIsTranslatedWheneverThePageIsShown) {
    writeLang("english_en_gb.ini", "TGWConfigFileButtonSetConfigFile=Choose file...\n");
    i18n::LanguageSelect language(nullptr, "\\SOFTWARE\\Kestrelwald\\", programDir(), 2057);
    ASSERT_TRUE(language.readDefaultLang());
    testsupport::FakeMessageBoxes boxes;
    TGW_Config window(boxes);
    EXPECT_EQ(window.TGWConfigFileButtonSetConfigFile->text(), "TGWConfigFileButtonSetConfigFile");
    window.language = &language;

    QTemporaryDir storeDir;
    platform::RegistryStore store(storeDir.filePath("registry.txt"));
    ui::TOptions options(store, boxes);
    options.RegisterSheet(window.TGWConfigFileSheetCaption);
    options.show();
    EXPECT_EQ(window.TGWConfigFileButtonSetConfigFile->text(), "Choose file...");
    options.hide();
    window.TGWConfigFileButtonSetConfigFile->setText("changed");
    options.show();
    EXPECT_EQ(window.TGWConfigFileButtonSetConfigFile->text(), "Choose file...");
    options.hide();
}

TEST(GwConfigPage, PathIsTheSettingEditTGWCurrentFilePath) {
    testsupport::FakeMessageBoxes boxes;
    TGW_Config window(boxes);
    QTemporaryDir storeDir;
    platform::RegistryStore store(storeDir.filePath("registry.txt"));
    ui::TOptions options(store, boxes);
    options.setFieldBusName("TorvaneScan");
    options.RegisterSheet(window.TGWConfigFileSheetCaption);

    options.SetProp("EditTGWCurrentFilePath", "/opt/gdf/Pellmar.gdf");
    const auto stored =
        store.value("\\SOFTWARE\\Kestrelwald\\TorvaneScan\\TGWConfigFileSheetCaption",
                    "EditTGWCurrentFilePath");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->text, "/opt/gdf/Pellmar.gdf");

    // Chosen in the page, but the dialog is not confirmed: the stored path stays.
    boxes.fileAnswers = {"/tmp/other.gdf"};
    window.TGWConfigFileButtonSetConfigFile->click();
    EXPECT_EQ(options.GetProp("edittgwcurrentfilepath"), "/tmp/other.gdf");
    options.Read();
    EXPECT_EQ(options.GetProp("EditTGWCurrentFilePath"), "/opt/gdf/Pellmar.gdf");
    EXPECT_TRUE(boxes.messages().empty());
}

TEST_F(GwConfigTranslated, CaptionsReachThePageAfterItMovedIntoTheSettingsDialog) {
    writeLang("english_en_gb.ini", "GW_Config=Gateway description file\n"
                                   "TGWConfigFileSheetCaption=Description file\n"
                                   "TGWCurrentFilePath=Path of the file:\n");
    i18n::LanguageSelect language(nullptr, "\\SOFTWARE\\Kestrelwald\\", programDir(), 2057);
    ASSERT_TRUE(language.readDefaultLang());
    testsupport::FakeMessageBoxes boxes;
    TGW_Config window(boxes);
    QTemporaryDir storeDir;
    platform::RegistryStore store(storeDir.filePath("registry.txt"));
    ui::TOptions options(store, boxes);
    options.RegisterSheet(window.TGWConfigFileSheetCaption);

    // The page no longer sits in its window, so it is translated on its own as well.
    i18n::initCaptions(language, &window, QString());
    i18n::initCaptions(language, window.TGWConfigFileSheetCaption, QString());
    EXPECT_EQ(window.windowTitle(), "Gateway description file");
    EXPECT_EQ(window.TGWConfigFileSheetCaption->caption(), "Description file");
    EXPECT_EQ(options.OptionPages->tabText(0), "Description file");
    EXPECT_EQ(window.TGWCurrentFilePath->text(), "Path of the file:");
    EXPECT_EQ(window.EditTGWCurrentFilePath->text(), "EditTGWCurrentFilePath");
}
