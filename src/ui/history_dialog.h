#pragma once

#include "history/history_records.h"
#include "history/inventory.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLineEdit;
class QPushButton;
class QTableWidget;
class QTabWidget;

namespace history {
class HistoryDatabase;
}
namespace platform {
class MessageBoxes;
}

namespace ui {

// File → Change history…: two pages, the columns of `torvane-cli history` (every record,
// newest first) and of `torvane-cli inventory` (every device the scans have seen, by MAC).
// A MAC typed into the filter keeps the rows of the devices whose MAC holds it, on both
// pages; the rows the page in front shows are exported as the command line's CSV.
class HistoryDialog : public QDialog {
    Q_OBJECT
public:
    using Translate = std::function<QString(const QString& key)>;

    HistoryDialog(history::HistoryDatabase& database, platform::MessageBoxes& boxes,
                  Translate translate, QWidget* parent = nullptr);

    // Reads the history and the inventory again and shows them through the filter.
    void reload();
    QLineEdit* filterEdit() const { return filter; }
    QTabWidget* pageTabs() const { return pages; }
    QTableWidget* recordTable() const { return table; }
    QTableWidget* inventoryTable() const { return devices; }
    QPushButton* exportButton() const { return exporter; }

private:
    void showFiltered();
    void exportShown();
    void offerExport();

    history::HistoryDatabase& database;
    platform::MessageBoxes& boxes;
    Translate translate;
    QLineEdit* filter;
    QTabWidget* pages;
    QTableWidget* table;
    QTableWidget* devices;
    QPushButton* exporter;
    std::vector<history::HistoryRecord> records;
    std::vector<history::HistoryRecord> shown;
    std::vector<history::InventoryEntry> inventory;
    std::vector<history::InventoryEntry> inventoryShown;
};

} // namespace ui
