#include "ui/state_window.h"

#include "platform/output_file.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

namespace ui {

namespace {

QAction* menuItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

TStatusFenster::TStatusFenster(statelog::LogBuffer& log, platform::MessageBoxes& boxes,
                               QWidget* parent)
    : QWidget(parent, Qt::Window), buffer(log), boxes(boxes) {
    setObjectName(QStringLiteral("StatusFenster"));
    setWindowTitle(QStringLiteral("State Window"));
    resize(640, 400);
    // Closing only hides the window (it is not deleted on close), and an open state
    // window must not keep the program running once the main window has gone.
    setAttribute(Qt::WA_QuitOnClose, false);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setUndoRedoEnabled(false);
    QFont font(QStringLiteral("Courier New"), 8);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    Memo1->setFont(font);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    clearstatewindow1 = menuItem(PopupMenu1, "clearstatewindow1", "Clear state window");
    Snaptoparentleft1 = menuItem(PopupMenu1, "Snaptoparentleft1", "Snap to parent left");
    Snaptoparentbottom1 = menuItem(PopupMenu1, "Snaptoparentbottom1", "Snap to parent bottom");
    Setnumberoflines1 = menuItem(PopupMenu1, "Setnumberoflines1", "Set number of lines");
    Savetofile1 = menuItem(PopupMenu1, "Savetofile1", "Save to file");
    Snaptoparentleft1->setVisible(false);
    Snaptoparentbottom1->setVisible(false);
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(Memo1->viewport()->mapToGlobal(at)); });
    connect(clearstatewindow1, &QAction::triggered, this, &TStatusFenster::clearstatewindow1Click);
    connect(Setnumberoflines1, &QAction::triggered, this, &TStatusFenster::Setnumberoflines1Click);
    connect(Savetofile1, &QAction::triggered, this, &TStatusFenster::Savetofile1Click);

    // A burst of log lines (thousands of answers a second, each handler pumping events)
    // reaches the view some 25 times a second instead of once per event loop turn, which
    // would spend most of the time laying out and painting the text.
    viewTimer.setSingleShot(true);
    viewTimer.setInterval(40);
    connect(&viewTimer, &QTimer::timeout, this, &TStatusFenster::updateView);
    connect(&buffer, &statelog::LogBuffer::lineAppended, this, &TStatusFenster::lineAppended);
    connect(&buffer, &statelog::LogBuffer::firstLineRemoved, this,
            &TStatusFenster::firstLineRemoved);
    connect(&buffer, &statelog::LogBuffer::cleared, this, &TStatusFenster::cleared);
    rebuildView();
}

void TStatusFenster::clearstatewindow1Click() {
    buffer.clear();
}

void TStatusFenster::Setnumberoflines1Click() {
    // The preset is always 1000, and a cancelled prompt answers with it.
    const QString answer = boxes.inputBox(QStringLiteral("Set maximum number of lines to display"),
                                          QStringLiteral("No of lines"), QStringLiteral("1000"));
    bool isNumber = false;
    const int lines = answer.toInt(&isNumber, 10);
    if (!isNumber) {
        boxes.messageBox(
            QStringLiteral("Please enter a number"), QStringLiteral("Error setting maximum lines"),
            platform::MessageBoxes::Icon::Warning, platform::MessageBoxes::Buttons::Ok);
        return;
    }
    if (lines > 5 && lines < 2000) {
        buffer.setMaxLines(lines);
    }
}

void TStatusFenster::Savetofile1Click() {
    const QString fileName = boxes.saveFileName(QStringLiteral("Save log"), QStringLiteral(".log"));
    if (fileName.isEmpty()) {
        return;
    }
    QByteArray text;
    for (const QString& line : buffer.lines()) {
        text += line.toUtf8();
        text += '\n';
    }
    platform::saveUserFile(fileName, text, boxes);
}

void TStatusFenster::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateView();
}

void TStatusFenster::lineAppended(const QString& line) {
    if (!needsRebuild) {
        pendingLines.append(line);
        // Past the size of the whole log, showing the log afresh is the cheaper way.
        if (pendingLines.size() > buffer.lines().size()) {
            needsRebuild = true;
        }
    }
    scheduleUpdate();
}

void TStatusFenster::firstLineRemoved() {
    ++pendingRemovals;
    scheduleUpdate();
}

void TStatusFenster::cleared() {
    needsRebuild = true;
    scheduleUpdate();
}

void TStatusFenster::scheduleUpdate() {
    if (!isVisible()) {
        // A hidden view is not kept up: it is shown afresh when the window opens.
        needsRebuild = true;
        pendingLines.clear();
        pendingRemovals = 0;
        return;
    }
    if (!viewTimer.isActive()) {
        viewTimer.start();
    }
}

void TStatusFenster::updateView() {
    viewTimer.stop();
    if (needsRebuild || (pendingRemovals > 0 && pendingRemovals >= shownLines)) {
        rebuildView();
    } else if (pendingRemovals > 0 || !pendingLines.isEmpty()) {
        QTextCursor cursor(Memo1->document());
        if (pendingRemovals > 0) {
            cursor.movePosition(QTextCursor::Start);
            cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor,
                                static_cast<int>(pendingRemovals));
            cursor.removeSelectedText();
            shownLines -= pendingRemovals;
        }
        if (!pendingLines.isEmpty()) {
            cursor.movePosition(QTextCursor::End);
            cursor.insertText((shownLines > 0 ? QStringLiteral("\n") : QString()) +
                              pendingLines.join(u'\n'));
            shownLines += pendingLines.size();
        }
        pendingLines.clear();
        pendingRemovals = 0;
        if (shownLines != buffer.lines().size()) {
            rebuildView();
        }
    }
    showNewestLine();
}

void TStatusFenster::rebuildView() {
    Memo1->setPlainText(buffer.lines().join(u'\n'));
    shownLines = buffer.lines().size();
    pendingLines.clear();
    pendingRemovals = 0;
    needsRebuild = false;
}

void TStatusFenster::showNewestLine() {
    QTextCursor cursor(Memo1->document()->lastBlock());
    Memo1->setTextCursor(cursor);
    Memo1->ensureCursorVisible();
}

} // namespace ui
