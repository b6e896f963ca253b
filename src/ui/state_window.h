#pragma once

#include "platform/message_boxes.h"
#include "statelog/log_buffer.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>

class QAction;
class QMenu;
class QPlainTextEdit;

namespace ui {

// The state window: shows the program's log and offers clearing it, limiting its length
// and saving it. The buffer holds the lines; the view follows it in batches, so that a
// burst of thousands of log lines costs the user interface only a few updates a second.
class TStatusFenster : public QWidget {
    Q_OBJECT
public:
    TStatusFenster(statelog::LogBuffer& log, platform::MessageBoxes& boxes,
                   QWidget* parent = nullptr);

    QPlainTextEdit* Memo1;
    QMenu* PopupMenu1;
    QAction* clearstatewindow1;
    QAction* Snaptoparentleft1;
    QAction* Snaptoparentbottom1;
    QAction* Setnumberoflines1;
    QAction* Savetofile1;

    statelog::LogBuffer& log() const { return buffer; }

    // Brings the view up to the buffer now instead of at the next batch.
    void updateView();

public slots:
    void clearstatewindow1Click();
    void Setnumberoflines1Click();
    void Savetofile1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void lineAppended(const QString& line);
    void firstLineRemoved();
    void cleared();
    void scheduleUpdate();
    void rebuildView();
    void showNewestLine();

    statelog::LogBuffer& buffer;
    platform::MessageBoxes& boxes;
    QTimer viewTimer;
    // What the buffer did since the view was last brought up to date.
    QStringList pendingLines;
    qsizetype pendingRemovals = 0;
    bool needsRebuild = false;
    qsizetype shownLines = 0;
};

} // namespace ui
