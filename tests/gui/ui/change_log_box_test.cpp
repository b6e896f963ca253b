// The change log behind the about dialog's version lines, shown by the real message boxes.
#include "ui/help_about.h"
#include "ui/qt_message_boxes.h"

#include "support/lang_folder.h"

#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

namespace {

struct SeenBox {
    bool shown = false;
    bool isMessageBox = false;
    QSize size;
    QString text;
    int scrollRange = 0;
};

// Looks at the modal box once it is up and closes it.
void inspectNextBox(SeenBox& seen) {
    QTimer::singleShot(0, [&seen] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr)
            return;
        seen.shown = true;
        seen.isMessageBox = qobject_cast<QMessageBox*>(box) != nullptr;
        seen.size = box->frameGeometry().size();
        if (auto* view = box->findChild<QPlainTextEdit*>()) {
            seen.text = view->toPlainText();
            seen.scrollRange = view->verticalScrollBar()->maximum();
        }
        box->close();
    });
}

class ChangeLogBox : public LangFolder {};

} // namespace

TEST_F(ChangeLogBox, ALongHistoryScrollsInABoxThatFitsTheScreen) {
    QByteArray history;
    for (int i = 1; i <= 40; ++i)
        history +=
            "2026-01-" + QByteArray::number(i) + " abc" + QByteArray::number(i) + " Commit\n";
    write("lastCommits.ini", history);
    ui::QtMessageBoxes boxes;
    ui::THelpAbout about(programDir(), boxes);

    SeenBox seen;
    inspectNextBox(seen);
    about.Memo1DblClick();
    ASSERT_TRUE(seen.shown);
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    EXPECT_LE(seen.size.height(), screen.height());
    EXPECT_LE(seen.size.width(), screen.width());
    EXPECT_GT(seen.scrollRange, 0); // the text scrolls instead
    EXPECT_TRUE(seen.text.startsWith("2026-01-1 abc1 Commit\n \n2026-01-2 abc2 Commit\n"));
    EXPECT_TRUE(seen.text.contains("2026-01-40 abc40 Commit"));

    // A short log stays an ordinary message box.
    write("lastCommits.ini", "2026-01-01 abc1 Commit\n");
    SeenBox shortLog;
    inspectNextBox(shortLog);
    about.Memo1DblClick();
    ASSERT_TRUE(shortLog.shown);
    EXPECT_TRUE(shortLog.isMessageBox);
}
