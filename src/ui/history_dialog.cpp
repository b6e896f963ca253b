#include "ui/history_dialog.h"

#include "history/history_output.h"
#include "history/inventory_output.h"
#include "platform/message_boxes.h"
#include "platform/output_file.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace ui {

namespace {

QTableWidget* newTable(const QString& name, const QStringList& columns, QWidget* parent) {
    auto* table = new QTableWidget(0, int(columns.size()), parent);
    table->setObjectName(name);
    table->setHorizontalHeaderLabels(columns);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    return table;
}

void fill(QTableWidget* table, const std::vector<QStringList>& rows) {
    table->setRowCount(int(rows.size()));
    for (int row = 0; row < int(rows.size()); ++row) {
        const QStringList& cells = rows[std::size_t(row)];
        for (int column = 0; column < int(cells.size()); ++column)
            table->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    table->resizeColumnsToContents();
}

// The rows of items whose MAC holds wanted, and their cells.
template <typename Item, typename Cells>
std::vector<QStringList> keepMatching(const std::vector<Item>& items, const QString& wanted,
                                      std::vector<Item>& kept, Cells cellsOf) {
    kept.clear();
    std::vector<QStringList> rows;
    for (const Item& item : items) {
        if (!item.mac.contains(wanted))
            continue;
        kept.push_back(item);
        rows.push_back(cellsOf(item));
    }
    return rows;
}

} // namespace

HistoryDialog::HistoryDialog(history::HistoryDatabase& database, platform::MessageBoxes& boxes,
                             Translate translate, QWidget* parent)
    : QDialog(parent), database(database), boxes(boxes), translate(std::move(translate)) {
    setObjectName(QStringLiteral("HistoryDialog"));
    setWindowTitle(this->translate(QStringLiteral("historyCaption")));
    auto* layout = new QVBoxLayout(this);
    auto* filterRow = new QHBoxLayout;
    auto* label = new QLabel(this->translate(QStringLiteral("historyFilterLabel")), this);
    filter = new QLineEdit(this);
    filter->setObjectName(QStringLiteral("EditHistoryMac"));
    filter->setPlaceholderText(this->translate(QStringLiteral("historyFilterAllDevices")));
    label->setBuddy(filter);
    filterRow->addWidget(label);
    filterRow->addWidget(filter, 1);
    layout->addLayout(filterRow);

    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("HistoryPages"));
    table = newTable(QStringLiteral("TableHistory"), history::historyColumns(), pages);
    devices = newTable(QStringLiteral("TableInventory"), history::inventoryColumns(), pages);
    pages->addTab(table, this->translate(QStringLiteral("historyPageChanges")));
    pages->addTab(devices, this->translate(QStringLiteral("historyPageInventory")));
    layout->addWidget(pages, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    exporter = buttons->addButton(this->translate(QStringLiteral("historyExport")),
                                  QDialogButtonBox::ActionRole);
    exporter->setObjectName(QStringLiteral("ButtonHistoryExport"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(exporter, &QPushButton::clicked, this, &HistoryDialog::exportShown);
    connect(filter, &QLineEdit::textChanged, this, &HistoryDialog::showFiltered);
    connect(pages, &QTabWidget::currentChanged, this, &HistoryDialog::offerExport);
    resize(1000, 500);
}

void HistoryDialog::reload() {
    history::HistoryFilter newestFirst;
    newestFirst.newestFirst = true;
    records = history::readHistory(database, newestFirst);
    inventory = history::readInventory(database, std::nullopt);
    showFiltered();
}

void HistoryDialog::showFiltered() {
    // A MAC typed with colons or in lower case finds the rows all the same.
    const QString wanted = filter->text().trimmed().toUpper().replace(u':', u'-');
    fill(table, keepMatching(records, wanted, shown, history::historyCells));
    fill(devices, keepMatching(inventory, wanted, inventoryShown, history::inventoryCells));
    offerExport();
}

void HistoryDialog::offerExport() {
    exporter->setEnabled(pages->currentWidget() == devices ? !inventoryShown.empty()
                                                           : !shown.empty());
}

void HistoryDialog::exportShown() {
    const bool ofInventory = pages->currentWidget() == devices;
    const QString caption = ofInventory ? translate(QStringLiteral("inventoryExportCaption"))
                                        : translate(QStringLiteral("historyExportCaption"));
    const QString path = boxes.saveFileName(caption, QStringLiteral(".csv"));
    if (path.isEmpty())
        return;
    const QString csv =
        ofInventory ? history::inventoryCsv(inventoryShown) : history::historyCsv(shown);
    platform::saveUserFile(path, csv.toUtf8(), boxes);
}

} // namespace ui
