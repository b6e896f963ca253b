#include "ui/init_captions.h"

#include "i18n/language_select.h"
#include "support/lang_folder.h"
#include "ui/panel.h"
#include "ui/tab_sheet.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>

#include <memory>

using i18n::applyCaption;
using i18n::initCaptions;
using i18n::LanguageSelect;

namespace {

template <typename T, typename Parent> T* named(Parent* parent, const QString& name) {
    auto* object = new T(parent);
    object->setObjectName(name);
    return object;
}

// A window shaped like the gateway description page: a tab sheet holding a label, an edit
// and a button, plus the other kinds the captions are applied to.
struct PageWindow {
    PageWindow() {
        window->setObjectName("GW_Config");
        window->setWindowTitle("TGWConfigFile");
        sheet = named<ui::TabSheet>(window.get(), "TGWConfigFileSheetCaption");
        sheet->setCaption("TGWConfigFileSheetCaption");
        pathLabel = named<QLabel>(sheet, "TGWCurrentFilePath");
        pathLabel->setText("Current File Path:");
        edit = named<QLineEdit>(sheet, "EditTGWCurrentFilePath");
        edit->setText("EditTGWCurrentFilePath");
        button = named<QPushButton>(sheet, "TGWConfigFileButtonSetConfigFile");
        button->setText("TGWConfigFileButtonSetConfigFile");
        unlisted = named<QLabel>(window.get(), "LabelWithoutEntry");
        unlisted->setText("designed text");
        emptyPanel = named<ui::Panel>(window.get(), "PanelEmpty");
        captionedPanel = named<ui::Panel>(window.get(), "PanelCaptioned");
        captionedPanel->setCaption("designed");
        nested = named<QLabel>(captionedPanel, "LabelNested");
        nested->setText("designed");
        nLabel = named<QLabel>(window.get(), "NoTouchLabel");
        nLabel->setText("designed");
        unnamed = new QLabel("designed", window.get());
        checkBox = named<QCheckBox>(window.get(), "CheckBoxDhcpEnabled");
        checkBox->setText("DHCP enabled");
        emptyCheckBox = named<QCheckBox>(window.get(), "CheckBoxEmpty");
        menu = named<QMenu>(window.get(), "File1");
        menu->setTitle("File");
        exit = named<QAction>(menu, "Cl1");
        exit->setText("Exit");
        menu->addAction(exit);
        separator = named<QAction>(menu, "N1");
        separator->setText("-");
    }

    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    ui::TabSheet* sheet;
    QLabel* pathLabel;
    QLineEdit* edit;
    QPushButton* button;
    QLabel* unlisted;
    ui::Panel* emptyPanel;
    ui::Panel* captionedPanel;
    QLabel* nested;
    QLabel* nLabel;
    QLabel* unnamed;
    QCheckBox* checkBox;
    QCheckBox* emptyCheckBox;
    QMenu* menu;
    QAction* exit;
    QAction* separator;
};

const QByteArray kEnglish = "GW_Config=Gateway description\n"
                            "TGWConfigFileSheetCaption=Description file\n"
                            "TGWCurrentFilePath=Path:\n"
                            "EditTGWCurrentFilePath=never an edit text\n"
                            "TGWConfigFileButtonSetConfigFile=never at creation\n"
                            "PanelEmpty=never for an empty caption\n"
                            "PanelCaptioned=Panel text\n"
                            "LabelNested=Nested text\n"
                            "NoTouchLabel=never for an N name\n"
                            "CheckBoxDhcpEnabled=DHCP on\n"
                            "CheckBoxEmpty=never for an empty text\n"
                            "File1=&File\n"
                            "Cl1=E&xit\n"
                            "N1=never for a separator\n";

class InitCaptions : public LangFolder {
protected:
    void SetUp() override {
        writeLang("english_en_gb.ini", kEnglish);
        writeLang("german_de_de.ini", "GW_Config=Gateway-Beschreibung\nTGWCurrentFilePath=Pfad:\n");
        ASSERT_TRUE(language.readDefaultLang());
    }

    LanguageSelect language{nullptr, "\\SOFTWARE\\Kestrelwald\\", programDir(), 2057};
    PageWindow page;
};

} // namespace

TEST_F(InitCaptions, TranslatesTheWindowAndItsNamedComponentsOfTheCaptionKinds) {
    initCaptions(language, page.window.get(), QString());
    EXPECT_EQ(page.window->windowTitle(), "Gateway description");
    EXPECT_EQ(page.sheet->caption(), "Description file");
    EXPECT_EQ(page.pathLabel->text(), "Path:");
    EXPECT_EQ(page.captionedPanel->caption(), "Panel text");
    EXPECT_EQ(page.nested->text(), "Nested text");
    EXPECT_EQ(page.checkBox->text(), "DHCP on");
    EXPECT_EQ(page.menu->title(), "&File");
    EXPECT_EQ(page.menu->menuAction()->text(), "&File");
    EXPECT_EQ(page.exit->text(), "E&xit");
}

TEST_F(InitCaptions, LeavesOtherKindsEmptyCaptionsAndNNamesAlone) {
    initCaptions(language, page.window.get(), QString());
    EXPECT_EQ(page.edit->text(), "EditTGWCurrentFilePath");
    EXPECT_EQ(page.button->text(), "TGWConfigFileButtonSetConfigFile");
    EXPECT_EQ(page.emptyPanel->caption(), "");
    EXPECT_EQ(page.emptyCheckBox->text(), "");
    EXPECT_EQ(page.nLabel->text(), "designed");
    EXPECT_EQ(page.separator->text(), "-");
    EXPECT_EQ(page.unnamed->text(), "designed");
}

TEST_F(InitCaptions, AComponentWithoutEntryGetsItsOwnName) {
    initCaptions(language, page.window.get(), QString());
    EXPECT_EQ(page.unlisted->text(), "LabelWithoutEntry");
}

TEST_F(InitCaptions, ALanguageNameReadsThatLanguageFirst) {
    ASSERT_TRUE(language.initLangs());
    initCaptions(language, page.window.get(), "german");
    EXPECT_EQ(page.window->windowTitle(), "Gateway-Beschreibung");
    EXPECT_EQ(page.pathLabel->text(), "Pfad:");
    // Keys the chosen language lacks come from the default language.
    EXPECT_EQ(page.sheet->caption(), "Description file");
}

TEST_F(InitCaptions, TheEmptyLanguageMeansTheDefaultLanguage) {
    ASSERT_TRUE(language.initLangs());
    language.readFile("german");
    initCaptions(language, page.window.get(), QString());
    // readFile("english") replaced the German tables.
    EXPECT_EQ(page.window->windowTitle(), "Gateway description");
    EXPECT_EQ(language.translate("TGWCurrentFilePath"), "Path:");
}

TEST_F(InitCaptions, ATabSheetInATabControlShowsItsNewCaptionOnTheTab) {
    QTabWidget tabs;
    tabs.setObjectName("OptionPages");
    tabs.addTab(page.sheet, page.sheet->caption());
    initCaptions(language, &tabs, QString());
    EXPECT_EQ(page.sheet->caption(), "Description file");
    EXPECT_EQ(tabs.tabText(0), "Description file");
    tabs.removeTab(0);
    page.sheet->setParent(page.window.get());
}

TEST(ApplyCaption, TestsTheKindsInOrder) {
    // A tab sheet that is a window of its own is a tab sheet first.
    ui::TabSheet sheet;
    sheet.setCaption("caption");
    sheet.setWindowTitle("title");
    applyCaption(&sheet, "new");
    EXPECT_EQ(sheet.caption(), "new");
    EXPECT_EQ(sheet.windowTitle(), "title");

    // A widget inside a window is no form.
    QWidget window;
    window.setWindowTitle("outer");
    auto* inner = new QWidget(&window);
    inner->setWindowTitle("inner");
    applyCaption(inner, "new");
    EXPECT_EQ(inner->windowTitle(), "inner");
    applyCaption(&window, "new");
    EXPECT_EQ(window.windowTitle(), "new");

    QObject plain;
    plain.setObjectName("plain");
    applyCaption(&plain, "new");
    EXPECT_EQ(plain.objectName(), "plain");
    applyCaption(nullptr, "new");
}

TEST(ApplyCaption, AnUntitledWindowStaysUntitled) {
    QWidget window;
    applyCaption(&window, "new");
    EXPECT_EQ(window.windowTitle(), "");
}
