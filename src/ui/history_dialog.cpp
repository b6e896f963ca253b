#include "ui/history_dialog.h"

#include "history/history_output.h"
#include "platform/message_boxes.h"
#include "platform/output_file.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace ui {

HistoryDialog::HistoryDialog(history::HistoryDatabase& database, platform::MessageBoxes& boxes,
                             QWidget* parent)
    : QDialog(parent), database(database), boxes(boxes) {
    setObjectName(QStringLiteral("HistoryDialog"));
    setWindowTitle(QStringLiteral("Change history"));
    auto* layout = new QVBoxLayout(this);
    auto* filterRow = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("MAC:"), this);
    filter = new QLineEdit(this);
    filter->setObjectName(QStringLiteral("EditHistoryMac"));
    filter->setPlaceholderText(QStringLiteral("all devices"));
    label->setBuddy(filter);
    filterRow->addWidget(label);
    filterRow->addWidget(filter, 1);
    layout->addLayout(filterRow);

    const QStringList columns = history::historyColumns();
    table = new QTableWidget(0, int(columns.size()), this);
    table->setObjectName(QStringLiteral("TableHistory"));
    table->setHorizontalHeaderLabels(columns);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    layout->addWidget(table, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    exporter = buttons->addButton(QStringLiteral("Export to CSV…"), QDialogButtonBox::ActionRole);
    exporter->setObjectName(QStringLiteral("ButtonHistoryExport"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(exporter, &QPushButton::clicked, this, &HistoryDialog::exportShown);
    connect(filter, &QLineEdit::textChanged, this, &HistoryDialog::showFiltered);
    resize(1000, 500);
}

void HistoryDialog::reload() {
    history::HistoryFilter newestFirst;
    newestFirst.newestFirst = true;
    records = history::readHistory(database, newestFirst);
    showFiltered();
}

void HistoryDialog::showFiltered() {
    // A MAC typed with colons or in lower case finds the records all the same.
    const QString wanted = filter->text().trimmed().toUpper().replace(u':', u'-');
    shown.clear();
    for (const history::HistoryRecord& record : records) {
        if (record.mac.contains(wanted))
            shown.push_back(record);
    }
    table->setRowCount(int(shown.size()));
    for (int row = 0; row < int(shown.size()); ++row) {
        const QStringList cells = history::historyCells(shown[std::size_t(row)]);
        for (int column = 0; column < int(cells.size()); ++column)
            table->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    table->resizeColumnsToContents();
    exporter->setEnabled(!shown.empty());
}

void HistoryDialog::exportShown() {
    const QString path =
        boxes.saveFileName(QStringLiteral("Export change history"), QStringLiteral(".csv"));
    if (!path.isEmpty())
        platform::saveUserFile(path, history::historyCsv(shown).toUtf8(), boxes);
}

} // namespace ui
