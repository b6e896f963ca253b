#pragma once

#include "history/history_records.h"

#include <QDialog>

#include <vector>

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace history {
class HistoryDatabase;
}
namespace platform {
class MessageBoxes;
}

namespace ui {

// File → Change history…: every record of the history, newest first, the columns of
// `torvane-cli history`; a MAC typed into the filter keeps the records of the devices whose
// MAC holds it; the records shown are exported as the command line's CSV.
class HistoryDialog : public QDialog {
    Q_OBJECT
public:
    HistoryDialog(history::HistoryDatabase& database, platform::MessageBoxes& boxes,
                  QWidget* parent = nullptr);

    // Reads the history again and shows it through the filter.
    void reload();
    QLineEdit* filterEdit() const { return filter; }
    QTableWidget* recordTable() const { return table; }
    QPushButton* exportButton() const { return exporter; }

private:
    void showFiltered();
    void exportShown();

    history::HistoryDatabase& database;
    platform::MessageBoxes& boxes;
    QLineEdit* filter;
    QTableWidget* table;
    QPushButton* exporter;
    std::vector<history::HistoryRecord> records;
    std::vector<history::HistoryRecord> shown;
};

} // namespace ui
