#include "gui/ui/options_fixture.h"

#include "ui/settings_error.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <functional>

namespace {

// Runs action once the modal dialog's event loop has started; a dialog the action does
// not close is closed with a result no test expects, so a failure cannot hang the test.
void whileModal(ui::TOptions& options, const std::function<void()>& action) {
    QTimer::singleShot(0, &options, [&options, action] {
        action();
        if (options.isVisible())
            options.done(42);
    });
}

void pressEscape(QWidget* receiver) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(receiver, &press);
}

} // namespace

TEST_F(OptionsTest, EscapeInAControlClosesTheDialogAsCancel) {
    put("EditName", text("stored"));
    whileModal(*options, [&] {
        page.edit->setText("typed");
        pressEscape(page.edit);
    });
    EXPECT_EQ(options->ShowModal(), ui::TOptions::mrCancel);
    EXPECT_EQ(options->result(), QDialog::Rejected);
    EXPECT_EQ(stored("EditName")->text, "stored");
    // Until the next Read the control keeps the unsaved text.
    EXPECT_EQ(options->GetProp("EditName"), "typed");
}

TEST_F(OptionsTest, CancelStoresNothingAndReopeningShowsTheStoredValues) {
    put("EditName", text("stored"));
    whileModal(*options, [&] {
        EXPECT_EQ(page.edit->text(), "stored");
        page.edit->setText("typed");
        page.check->setChecked(true);
        options->CancelBtn->click();
    });
    EXPECT_FALSE(options->execute());
    EXPECT_EQ(stored("EditName")->text, "stored");
    EXPECT_FALSE(stored("CheckEnabled").has_value());

    std::optional<QString> shownAgain;
    whileModal(*options, [&] {
        shownAgain = page.edit->text();
        options->CancelBtn->click();
    });
    EXPECT_EQ(options->ShowModal(), ui::TOptions::mrCancel);
    EXPECT_EQ(shownAgain, "stored");
}

TEST_F(OptionsTest, OkStoresAndEndsWithOk) {
    whileModal(*options, [&] {
        page.edit->setText("confirmed");
        options->OKBtn->click();
    });
    EXPECT_EQ(options->ShowModal(), ui::TOptions::mrOK);
    EXPECT_EQ(stored("EditName")->text, "confirmed");
    // The grid had no stored counts when the dialog opened.
    EXPECT_EQ(messageTexts(boxes),
              QStringList({"messageRegistryContinueDefaults", "messageRegistryContinueDefaults"}));
}

TEST_F(OptionsTest, ShowingTranslatesTheCaptionAndReads) {
    put("EditName", text("from store"));
    whileModal(*options, [&] { options->CancelBtn->click(); });
    options->ShowModal();
    EXPECT_EQ(options->windowTitle(), "optionsCaption");
    EXPECT_EQ(page.edit->text(), "from store");
}

TEST_F(OptionsTest, ShowingWithoutProductNameReportsTheError) {
    options->setFieldBusName("");
    options->show();
    options->hide();
    EXPECT_EQ(messageTexts(boxes), QStringList({"exceptionOptionsNoFieldbusnameset"}));
}

TEST_F(OptionsTest, SheetsMoveInAndOut) {
    SettingsTestPage second("SecondPage");
    options->RegisterSheet(second.sheet);
    ASSERT_EQ(options->OptionPages->count(), 2);
    EXPECT_EQ(options->OptionPages->currentWidget(), second.sheet);
    EXPECT_EQ(options->OptionPages->tabText(1), "SecondPage");
    EXPECT_TRUE(options->OptionPages->isTabVisible(1));
    EXPECT_EQ(second.sheet->tabWidget(), options->OptionPages);

    options->UnRegisterSheet(page.sheet);
    ASSERT_EQ(options->OptionPages->count(), 1);
    EXPECT_EQ(options->OptionPages->currentWidget(), second.sheet);
    EXPECT_EQ(page.sheet->tabWidget(), nullptr);
    // A page taken out is no longer searched.
    page.edit->setText("first page");
    second.edit->setText("second page");
    EXPECT_EQ(options->GetProp("editname"), "second page");
    options->UnRegisterSheet(second.sheet);
    EXPECT_EQ(options->OptionPages->count(), 0);
    EXPECT_THROW(options->GetProp("EditName"), ui::SettingsError);
}

TEST_F(OptionsTest, StoreOutsideTheModalLoopOnlySetsTheResult) {
    options->Store();
    EXPECT_EQ(options->result(), QDialog::Accepted);
    EXPECT_FALSE(options->isVisible());
}
