#include "naive_device_list.h"

#include "ui/model/device_table.h"

#include <algorithm>

namespace bench {

void NaiveDeviceList::setCell(int row, int index, const QString& text) {
    QString& current = lines[std::size_t(row)]->cells[std::size_t(index)];
    if (current == text)
        return;
    current = text;
    const QModelIndex changed = createIndex(row, index + 1);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void NaiveDeviceList::markDuplicate(int row, bool duplicate) {
    // Only a mark that changes is redrawn, which spares the walk most of its signals.
    const QString mark = duplicate ? QStringLiteral("D") : QStringLiteral(" ");
    QString& current = lines[std::size_t(row)]->cells[kDuplicateCell];
    if (current == mark)
        return;
    current = mark;
    const QModelIndex changed = createIndex(row, kDuplicateCell + 1);
    emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::BackgroundRole});
}

int NaiveDeviceList::createLine(const QString& mac, const QString& ip) {
    Line* target = nullptr;
    bool duplicate = false;
    for (int row = 0; row < count(); ++row) {
        Line& line = *lines[std::size_t(row)];
        if (line.caption == mac && line.cells[0] == ip)
            target = &line;
        const bool otherWithIp = line.caption != mac && line.cells[0] == ip;
        duplicate = duplicate || otherWithIp;
        markDuplicate(row, otherWithIp);
    }
    if (!target) {
        auto line = std::make_unique<Line>();
        line->caption = mac;
        line->cells[0] = ip;
        target = line.get();
        beginInsertRows(QModelIndex(), count(), count());
        lines.push_back(std::move(line));
        endInsertRows();
        sortAll();
    }
    int row = 0;
    while (lines[std::size_t(row)].get() != target)
        ++row;
    markDuplicate(row, duplicate);
    return row;
}

void NaiveDeviceList::sortAll() {
    emit layoutAboutToBeChanged();
    const QModelIndexList persistent = persistentIndexList();
    std::vector<const Line*> persistentLines;
    for (const QModelIndex& index : persistent)
        persistentLines.push_back(lines[std::size_t(index.row())].get());
    std::stable_sort(lines.begin(), lines.end(),
                     [](const std::unique_ptr<Line>& a, const std::unique_ptr<Line>& b) {
                         return ui::DeviceTable::compareText(a->caption, b->caption) < 0;
                     });
    QModelIndexList updated;
    for (std::size_t i = 0; i < persistentLines.size(); ++i) {
        int row = 0;
        while (lines[std::size_t(row)].get() != persistentLines[i])
            ++row;
        updated.append(createIndex(row, persistent[qsizetype(i)].column()));
    }
    changePersistentIndexList(persistent, updated);
    emit layoutChanged();
}

int NaiveDeviceList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

int NaiveDeviceList::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ui::DeviceTable::kColumnCount;
}

QVariant NaiveDeviceList::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    if (index.column() == 0)
        return caption(index.row());
    return cell(index.row(), index.column() - 1);
}

} // namespace bench
