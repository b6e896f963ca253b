#include "ui/state_window.h"

#include "support/fake_message_boxes.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>

#include <gtest/gtest.h>

using platform::MessageBoxes;
using statelog::LogBuffer;
using testsupport::FakeMessageBoxes;
using ui::TStatusFenster;

namespace {

class StateWindowTest : public ::testing::Test {
protected:
    LogBuffer log;
    FakeMessageBoxes boxes;
    TStatusFenster window{log, boxes};

    QString shownText() {
        window.updateView();
        return window.Memo1->toPlainText();
    }
    QString bufferText() const { return log.lines().join(u'\n'); }

    void setLinesAnswer(std::optional<QString> answer) {
        boxes.inputAnswers.push_back(std::move(answer));
        window.Setnumberoflines1->trigger();
    }
};

TEST_F(StateWindowTest, IsAHiddenTopLevelWindowWithItsMenu) {
    EXPECT_EQ(window.objectName(), "StatusFenster");
    EXPECT_EQ(window.windowTitle(), "State Window");
    EXPECT_TRUE(window.isWindow());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.Memo1->isReadOnly());
    EXPECT_EQ(window.Memo1->font().family(), "Courier New");
    EXPECT_EQ(window.Memo1->font().pointSize(), 8);
    EXPECT_EQ(window.Memo1->frameShape(), QFrame::NoFrame);

    QStringList visibleItems;
    for (QAction* action : window.PopupMenu1->actions()) {
        if (action->isVisible()) {
            visibleItems.append(action->text());
        }
    }
    EXPECT_EQ(visibleItems,
              QStringList({"Clear state window", "Set number of lines", "Save to file"}));
    EXPECT_EQ(window.PopupMenu1->actions().size(), 5);
    EXPECT_FALSE(window.Snaptoparentleft1->isVisible());
    EXPECT_FALSE(window.Snaptoparentbottom1->isVisible());
}

TEST_F(StateWindowTest, TheViewFollowsTheLogInBurstsAndShowsTheNewestLine) {
    window.show();
    log.logStringOnly("first");
    EXPECT_EQ(shownText(), "\nfirst"); // the designed empty line comes first
    for (int i = 0; i < 2500; ++i) {
        log.logStringWithIndent(QString::number(i));
        if (i % 700 == 0) {
            EXPECT_EQ(shownText(), bufferText());
        }
    }
    EXPECT_EQ(shownText(), bufferText());
    EXPECT_EQ(window.Memo1->document()->blockCount(), 1000);
    EXPECT_EQ(window.Memo1->textCursor().block(), window.Memo1->document()->lastBlock());
    EXPECT_EQ(window.Memo1->textCursor().positionInBlock(), 0);

    window.clearstatewindow1->trigger();
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_EQ(shownText(), QString());
    log.logStringOnly("after clear");
    EXPECT_EQ(shownText(), "after clear");
}

TEST_F(StateWindowTest, TheViewCatchesUpByItself) {
    window.show();
    log.logStringOnly("one");
    log.logStringOnly("two");
    QDeadlineTimer patience(10000);
    while (window.Memo1->toPlainText() != bufferText() && !patience.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    EXPECT_EQ(window.Memo1->toPlainText(), "\none\ntwo");
}

TEST_F(StateWindowTest, ClosingHidesAndShowingAgainPresentsEveryLine) {
    window.show();
    log.logStringOnly("before close");
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
    log.logStringOnly("while hidden");
    window.show();
    EXPECT_EQ(window.Memo1->toPlainText(), "\nbefore close\nwhile hidden");
}

TEST_F(StateWindowTest, NumberOfLinesAcceptsSixToNineteenNinetyNine) {
    setLinesAnswer("1999");
    EXPECT_EQ(log.maxLines(), 1999);
    setLinesAnswer("6");
    EXPECT_EQ(log.maxLines(), 6);
    for (const char* ignored : {"5", "3", "2000", "5000", "-10", "0"}) {
        setLinesAnswer(ignored);
        EXPECT_EQ(log.maxLines(), 6) << ignored;
    }
    EXPECT_TRUE(boxes.messages().empty());

    const FakeMessageBoxes::Call& prompt = boxes.calls.front();
    EXPECT_EQ(prompt.kind, FakeMessageBoxes::Kind::Input);
    EXPECT_EQ(prompt.caption, "Set maximum number of lines to display");
    EXPECT_EQ(prompt.text, "No of lines");
    EXPECT_EQ(prompt.preset, "1000");
    EXPECT_EQ(boxes.calls.back().preset, "1000"); // not the current limit
}

TEST_F(StateWindowTest, ANumberOfLinesThatIsNoNumberIsRefused) {
    setLinesAnswer("12");
    for (const char* bad : {"abc", "", "12a", "1.5", "99999999999"}) {
        setLinesAnswer(bad);
        EXPECT_EQ(log.maxLines(), 12) << bad;
    }
    const std::vector<FakeMessageBoxes::Call> messages = boxes.messages();
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages.front().text, "Please enter a number");
    EXPECT_EQ(messages.front().caption, "Error setting maximum lines");
    EXPECT_EQ(messages.front().icon, MessageBoxes::Icon::Warning);
    EXPECT_EQ(messages.front().buttons, MessageBoxes::Buttons::Ok);
}

TEST_F(StateWindowTest, CancellingTheNumberOfLinesSetsOneThousand) {
    setLinesAnswer("10");
    setLinesAnswer(std::nullopt);
    EXPECT_EQ(log.maxLines(), 1000);
}

TEST_F(StateWindowTest, ALowerLimitShrinksTheViewOnlyAfterClearing) {
    window.show();
    log.clear();
    for (int i = 0; i < 500; ++i) {
        log.logStringOnly(QString::number(i));
    }
    setLinesAnswer("10");
    log.logStringOnly("more");
    EXPECT_EQ(shownText(), bufferText());
    EXPECT_EQ(window.Memo1->document()->blockCount(), 500);
    window.clearstatewindow1->trigger();
    for (int i = 0; i < 20; ++i) {
        log.logStringOnly(QString::number(i));
    }
    EXPECT_EQ(shownText(), bufferText());
    EXPECT_EQ(window.Memo1->document()->blockCount(), 10);
}

TEST_F(StateWindowTest, SaveWritesEveryLineAndReplacesTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("state.log");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old content that is longer than the log\n");
    old.close();

    log.logStringOnly("one");
    log.logStringWithIndent("two \u00e4");
    boxes.fileAnswers.push_back(path);
    window.Savetofile1->trigger();

    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("\none\n        two \xc3\xa4\n"));
    const FakeMessageBoxes::Call& dialog = boxes.calls.back();
    EXPECT_EQ(dialog.kind, FakeMessageBoxes::Kind::SaveFile);
    EXPECT_EQ(dialog.caption, "Save log");
    EXPECT_EQ(dialog.preset, ".log");
    EXPECT_EQ(log.lines().size(), 3); // saving does not change the log
}

TEST_F(StateWindowTest, CancellingSaveWritesNothingAndAFailedSaveIsReported) {
    window.Savetofile1->trigger(); // no file chosen
    EXPECT_TRUE(boxes.messages().empty());

    QTemporaryDir dir;
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString impossible = dir.filePath("file/state.log");
    boxes.fileAnswers.push_back(impossible);
    window.Savetofile1->trigger();
    const std::vector<FakeMessageBoxes::Call> messages = boxes.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages.front().text.startsWith("Cannot create file \"" + impossible + "\"."))
        << messages.front().text.toStdString();
    EXPECT_EQ(messages.front().icon, MessageBoxes::Icon::Error);
    EXPECT_EQ(log.lines().size(), 1);
}

} // namespace
