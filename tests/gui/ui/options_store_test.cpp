#include "gui/ui/options_fixture.h"

#include "ui/settings_controls.h"
#include "ui/settings_error.h"

using platform::RegType;

namespace {

QString cell(const QTableWidget& grid, int row, int column) {
    const QTableWidgetItem* item = grid.item(row, column);
    return item ? item->text() : QString();
}

void setCell(QTableWidget& grid, int row, int column, const QString& text) {
    grid.setItem(row, column, new QTableWidgetItem(text));
}

} // namespace

TEST_F(OptionsTest, EveryKindIsStoredUnderItsNameInThePageKey) {
    page.edit->setText("gateway");
    page.combo->setCurrentText("typed mode");
    page.check->setChecked(true);
    page.memo->setPlainText("first\n\nthird");
    page.grid->setRowCount(3);
    page.grid->setColumnCount(2);
    setCell(*page.grid, 0, 0, "header");
    setCell(*page.grid, 1, 0, "a");
    setCell(*page.grid, 2, 1, "d");
    page.nested->setText("nested");
    options->Store();

    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(stored("EditName")->text, "gateway");
    EXPECT_EQ(stored("ComboMode")->text, "typed mode");
    EXPECT_EQ(stored("CheckEnabled")->type, RegType::Integer);
    EXPECT_EQ(stored("CheckEnabled")->number, 1);
    EXPECT_EQ(stored("MemoNotes")->type, RegType::Integer);
    EXPECT_EQ(stored("MemoNotes")->number, 3);
    EXPECT_EQ(stored("MemoNotes(0)")->text, "first");
    EXPECT_EQ(stored("MemoNotes(1)")->text, "");
    EXPECT_EQ(stored("MemoNotes(2)")->text, "third");
    EXPECT_EQ(stored("GridValuesRows")->number, 3);
    EXPECT_EQ(stored("GridValuesCols")->number, 2);
    EXPECT_EQ(stored("GridValues[0:1]")->text, "a");
    EXPECT_EQ(stored("GridValues[1:1]")->text, "");
    EXPECT_EQ(stored("GridValues[1:2]")->text, "d");
    // The header row, the label, the group box and what it holds store nothing.
    EXPECT_FALSE(stored("GridValues[0:0]").has_value());
    EXPECT_FALSE(stored("LabelInfo").has_value());
    EXPECT_FALSE(stored("GroupOptions").has_value());
    EXPECT_FALSE(stored("EditNested").has_value());
}

TEST_F(OptionsTest, EveryKindReadsBackWhatWasStored) {
    page.edit->setText("gateway");
    page.combo->setCurrentText("auto");
    page.check->setChecked(true);
    page.memo->setPlainText("one\ntwo\nthree");
    page.grid->setRowCount(3);
    page.grid->setColumnCount(2);
    setCell(*page.grid, 0, 1, "header");
    setCell(*page.grid, 1, 1, "b");
    setCell(*page.grid, 2, 0, "c");
    page.afterGrid->setText("after");
    options->Store();

    // A new dialog on the same file, as at the next start of the program.
    openStore(dir.filePath("registry.txt"));
    SettingsTestPage fresh;
    fresh.check->setChecked(false);
    fresh.grid->setColumnCount(2);
    fresh.grid->setRowCount(1);
    setCell(*fresh.grid, 0, 1, "own header");
    options->RegisterSheet(fresh.sheet);
    options->Read();

    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(fresh.edit->text(), "gateway");
    EXPECT_EQ(fresh.combo->currentText(), "auto");
    EXPECT_EQ(fresh.combo->currentIndex(), 1);
    EXPECT_TRUE(fresh.check->isChecked());
    EXPECT_EQ(ui::settings::memoLines(*fresh.memo), QStringList({"one", "two", "three"}));
    EXPECT_EQ(fresh.grid->rowCount(), 3);
    EXPECT_EQ(fresh.grid->columnCount(), 2);
    EXPECT_EQ(cell(*fresh.grid, 1, 1), "b");
    EXPECT_EQ(cell(*fresh.grid, 2, 0), "c");
    EXPECT_EQ(cell(*fresh.grid, 1, 0), "");
    EXPECT_EQ(cell(*fresh.grid, 0, 1), "own header");
    EXPECT_EQ(fresh.afterGrid->text(), "after");
}

TEST_F(OptionsTest, ReadingWithNothingStoredStopsAtTheGrid) {
    page.edit->setText("typed");
    page.combo->setCurrentIndex(1);
    page.check->setChecked(true);
    page.memo->setPlainText("unsaved");
    page.afterGrid->setText("keep");
    options->Read();

    EXPECT_EQ(page.edit->text(), "");
    EXPECT_EQ(page.combo->currentText(), "");
    EXPECT_EQ(page.combo->currentIndex(), -1);
    EXPECT_TRUE(page.check->isChecked()); // no value: the box stays as it is
    EXPECT_TRUE(page.memo->toPlainText().isEmpty());
    // The grid's counts are missing: reading ends there with one message.
    EXPECT_EQ(messageTexts(boxes), QStringList({"messageRegistryContinueDefaults"}));
    EXPECT_EQ(page.afterGrid->text(), "keep");
}

TEST_F(OptionsTest, ReadingEndsAtAValueOfTheWrongType) {
    put("EditName", integer(5));
    put("EditAfterGrid", text("not reached"));
    page.combo->setCurrentText("untouched");
    options->Read();
    EXPECT_EQ(messageTexts(boxes), QStringList({"messageRegistryContinueDefaults"}));
    EXPECT_EQ(page.combo->currentText(), "untouched");
}

TEST_F(OptionsTest, CheckBoxStoredAsTextIsClearedAndPutRight) {
    put("CheckEnabled", text("yes"));
    put("GridValuesRows", integer(0));
    put("GridValuesCols", integer(0));
    page.check->setChecked(true);
    options->Read();
    EXPECT_FALSE(page.check->isChecked());
    ASSERT_TRUE(stored("CheckEnabled").has_value());
    EXPECT_EQ(stored("CheckEnabled")->type, RegType::Integer);
    EXPECT_EQ(stored("CheckEnabled")->number, 0);
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(OptionsTest, CheckBoxTicksForAnyNonZeroInteger) {
    put("CheckEnabled", integer(-3));
    options->Read();
    EXPECT_TRUE(page.check->isChecked());
    put("CheckEnabled", integer(0));
    options->Read();
    EXPECT_FALSE(page.check->isChecked());
}

TEST_F(OptionsTest, DamagedMemoKeepsTheLinesReadSilently) {
    put("MemoNotes", integer(3));
    put("MemoNotes(0)", text("kept"));
    put("MemoNotes(1)", integer(7));
    put("MemoNotes(2)", text("not reached"));
    put("GridValuesRows", integer(2));
    put("GridValuesCols", integer(1));
    put("EditAfterGrid", text("read on"));
    options->Read();
    EXPECT_EQ(ui::settings::memoLines(*page.memo), QStringList({"kept"}));
    EXPECT_EQ(page.afterGrid->text(), "read on");
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(OptionsTest, MemoCountBeyondTheStoredLinesEndsAtTheLastLine) {
    put("MemoNotes", integer(2000000000));
    put("MemoNotes(0)", text("only line"));
    options->Read();
    EXPECT_EQ(ui::settings::memoLines(*page.memo), QStringList({"only line"}));
}

TEST_F(OptionsTest, MemoWithoutCountOrOfWrongCountTypeReadsEmpty) {
    page.memo->setPlainText("old");
    put("MemoNotes", text("3"));
    put("MemoNotes(0)", text("ignored"));
    options->Read();
    EXPECT_TRUE(page.memo->toPlainText().isEmpty());
}

TEST_F(OptionsTest, GridWithoutSizeGetsTwoByTwoAndKeepsItsCells) {
    page.grid->setRowCount(4);
    page.grid->setColumnCount(3);
    setCell(*page.grid, 1, 1, "kept");
    put("GridValuesRows", integer(0));
    put("GridValuesCols", integer(5));
    options->Read();
    EXPECT_EQ(page.grid->rowCount(), 2);
    EXPECT_EQ(page.grid->columnCount(), 2);
    EXPECT_EQ(cell(*page.grid, 1, 1), "kept");
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(OptionsTest, GridLargerThanAnyStoredOneIsADamagedValue) {
    put("GridValuesRows", integer(1000000));
    put("GridValuesCols", integer(1000000));
    put("EditAfterGrid", text("not reached"));
    options->Read();
    EXPECT_EQ(messageTexts(boxes), QStringList({"messageRegistryContinueDefaults"}));
    EXPECT_LT(page.grid->rowCount(), 1000000);
    EXPECT_EQ(page.afterGrid->text(), "");
}

TEST_F(OptionsTest, ComboSelectsTheLastEqualItem) {
    put("ComboMode", text("manual"));
    options->Read();
    EXPECT_EQ(page.combo->currentIndex(), 2);
    EXPECT_EQ(page.combo->currentText(), "manual");
    put("ComboMode", text("Manual"));
    options->Read();
    EXPECT_EQ(page.combo->currentIndex(), -1); // exact comparison only
    EXPECT_EQ(page.combo->currentText(), "Manual");
}

TEST_F(OptionsTest, ReadWithoutProductNameRaisesAndReadsNothing) {
    options->setFieldBusName("");
    put("EditName", text("stored"), "TestPage");
    page.edit->setText("typed");
    try {
        options->Read();
        FAIL() << "Read without a product name";
    } catch (const ui::SettingsError& error) {
        EXPECT_EQ(error.message(), "exceptionOptionsNoFieldbusnameset");
    }
    EXPECT_EQ(page.edit->text(), "typed");
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(OptionsTest, StoreIntoAStoreThatCannotCreateTheKey) {
    const QString folder = dir.filePath("blocked");
    ASSERT_TRUE(QDir().mkpath(folder));
    makeStoreUnwritable(folder);
    openStore(folder + "/registry.txt");
    SettingsTestPage fresh;
    options->RegisterSheet(fresh.sheet);
    options->Store();
    EXPECT_EQ(messageTexts(boxes), QStringList({"messageRegistryAccessError"}));
    boxes.calls.clear();
    options->Read();
    EXPECT_EQ(messageTexts(boxes), QStringList({"messageRegistryAccessError"}));
}

TEST_F(OptionsTest, StoreThatCannotBeWrittenAnyMore) {
    const QString folder = dir.filePath("later");
    ASSERT_TRUE(QDir().mkpath(folder));
    openStore(folder + "/registry.txt");
    SettingsTestPage fresh;
    options->RegisterSheet(fresh.sheet);
    fresh.edit->setText("first");
    options->Store();
    ASSERT_TRUE(boxes.calls.empty());

    makeStoreUnwritable(folder);
    fresh.edit->setText("second");
    options->Store();
    EXPECT_EQ(messageTexts(boxes), QStringList({"messageRegistryCannotNotStore"}));
    EXPECT_EQ(store->value("\\SOFTWARE\\Kestrelwald\\TorvaneScan\\TestPage", "EditName")->text,
              "first");
}

TEST_F(OptionsTest, PageWhoseKeyCannotBeOpenedIsNotFilledFromAnotherPage) {
    const QString folder = dir.filePath("pages");
    ASSERT_TRUE(QDir().mkpath(folder));
    openStore(folder + "/registry.txt");
    SettingsTestPage first("FirstPage");
    SettingsTestPage second("SecondPage");
    options->RegisterSheet(first.sheet);
    first.edit->setText("first page's");
    options->Store();
    options->RegisterSheet(second.sheet);
    ASSERT_TRUE(boxes.calls.empty());

    // The second page's key does not exist yet and can no longer be created.
    makeStoreUnwritable(folder);
    second.edit->setText("second page's own");
    first.edit->setText("typed");
    options->Read();
    EXPECT_EQ(messageTexts(boxes), QStringList({"messageRegistryAccessError"}));
    EXPECT_EQ(first.edit->text(), "first page's");
    EXPECT_EQ(second.edit->text(), "second page's own");
}
