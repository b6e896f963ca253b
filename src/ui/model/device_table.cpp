#include "ui/model/device_table.h"

#include <algorithm>
#include <functional>

namespace ui {

namespace {

const QString kEmpty;
const QString kDuplicateMark = QStringLiteral("D");
const QString kNoMark = QStringLiteral(" ");

} // namespace

DeviceTable::DeviceTable(QObject* parent) : QAbstractTableModel(parent) {}

DeviceTable::~DeviceTable() = default;

const std::array<QString, DeviceTable::kColumnCount>& DeviceTable::columnCaptions() {
    static const std::array<QString, kColumnCount> captions{QStringLiteral("MAC-Address"),
                                                            QStringLiteral("IP-Address"),
                                                            QStringLiteral("Netmask"),
                                                            QStringLiteral("Gatewayaddress"),
                                                            QStringLiteral("DHCP"),
                                                            QStringLiteral("Device Type"),
                                                            QStringLiteral("Software Revision"),
                                                            QStringLiteral("Duplicate IP"),
                                                            QStringLiteral("RestartSupported")};
    return captions;
}

const QString& DeviceTable::caption(int row) const {
    if (row < 0 || row >= count())
        return kEmpty;
    return lines[std::size_t(row)]->caption;
}

const QString& DeviceTable::cell(int row, int index) const {
    if (row < 0 || row >= count() || index < 0 || index >= kCellCount)
        return kEmpty;
    return lines[std::size_t(row)]->cells[std::size_t(index)];
}

void DeviceTable::setCell(int row, int index, const QString& text) {
    if (row < 0 || row >= count() || index < 0 || index >= kCellCount)
        return;
    Line* line = lines[std::size_t(row)].get();
    QString& current = line->cells[std::size_t(index)];
    if (current == text)
        return;
    if (index == 0) {
        unindexIp(line);
        current = text;
        indexIp(line, text);
    } else {
        current = text;
    }
    // The list re-sorts only when a line is added or a header is clicked; until then a line
    // whose sort cell changed stays where it is.
    if (sortColumn == index + 1 && !line->outOfPlace) {
        line->outOfPlace = true;
        outOfPlaceLines.push_back(line);
    }
    const QModelIndex changed = createIndex(row, index + 1);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void DeviceTable::clear() {
    beginResetModel();
    lines.clear();
    byIp.clear();
    byCaption.clear();
    markedDuplicates.clear();
    outOfPlaceLines.clear();
    endResetModel();
}

int DeviceTable::createLine(const QString& mac, const QString& ip) {
    Line* target = nullptr;
    for (Line* line : byCaption.value(mac)) {
        if (line->cells[0] == ip && (!target || line->row > target->row))
            target = line;
    }

    for (Line* line : markedDuplicates) {
        line->cells[kDuplicateCell] = kNoMark;
        const QModelIndex changed = createIndex(line->row, kDuplicateCell + 1);
        emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::BackgroundRole});
    }
    markedDuplicates.clear();
    bool duplicate = false;
    for (Line* line : byIp.value(ip)) {
        if (line->caption == mac)
            continue;
        line->cells[kDuplicateCell] = kDuplicateMark;
        markedDuplicates.push_back(line);
        duplicate = true;
        const QModelIndex changed = createIndex(line->row, kDuplicateCell + 1);
        emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::BackgroundRole});
    }

    if (!target) {
        auto line = std::make_unique<Line>();
        line->caption = mac;
        // The IP goes in before the line is sorted in, so that a list sorted by IP places
        // the new line by its address rather than as an empty one.
        line->cells[0] = ip;
        target = line.get();
        byCaption[mac].push_back(target);
        indexIp(target, ip);
        placeNewLine(std::move(line));
    }
    target->cells[kDuplicateCell] = duplicate ? kDuplicateMark : kNoMark;
    if (duplicate)
        markedDuplicates.push_back(target);
    const QModelIndex changed = createIndex(target->row, kDuplicateCell + 1);
    emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::BackgroundRole});
    return target->row;
}

int DeviceTable::appendLine(const QString& mac, const QString& ip) {
    auto line = std::make_unique<Line>();
    line->caption = mac;
    line->cells[0] = ip;
    line->cells[kDuplicateCell] = kNoMark;
    Line* added = line.get();
    byCaption[mac].push_back(added);
    indexIp(added, ip);
    placeNewLine(std::move(line));
    return added->row;
}

std::vector<int> DeviceTable::rowsWithIp(const QString& ip) const {
    std::vector<int> rows;
    for (const Line* line : byIp.value(ip))
        rows.push_back(line->row);
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<int> DeviceTable::rowsWithCaption(const QString& mac) const {
    std::vector<int> rows;
    for (const Line* line : byCaption.value(mac))
        rows.push_back(line->row);
    std::sort(rows.begin(), rows.end());
    return rows;
}

int DeviceTable::firstRowWithCaption(const QString& mac) const {
    const std::vector<int> rows = rowsWithCaption(mac);
    return rows.empty() ? -1 : rows.front();
}

int DeviceTable::lastRowWithCaption(const QString& mac) const {
    const std::vector<int> rows = rowsWithCaption(mac);
    return rows.empty() ? -1 : rows.back();
}

void DeviceTable::columnClick(int column) {
    if (column < 0 || column >= kColumnCount)
        return;
    if (column == sortColumn) {
        sortDescending = !sortDescending;
    } else {
        sortColumn = column;
        sortDescending = false;
    }
    sortAll();
}

int DeviceTable::compareText(const QString& a, const QString& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        char16_t ca = a[i].unicode();
        char16_t cb = b[i].unicode();
        if (ca >= u'a' && ca <= u'z')
            ca = char16_t(ca - 32);
        if (cb >= u'a' && cb <= u'z')
            cb = char16_t(cb - 32);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

const QString& DeviceTable::sortKey(const Line& line) const {
    if (sortColumn == 0)
        return line.caption;
    return line.cells[std::size_t(sortColumn - 1)];
}

int DeviceTable::compareLines(const Line& a, const Line& b) const {
    const int result = compareText(sortKey(a), sortKey(b));
    return sortDescending ? -result : result;
}

int DeviceTable::compareRows(int rowA, int rowB) const {
    if (rowA < 0 || rowB < 0 || rowA >= count() || rowB >= count())
        return 0;
    return compareLines(*lines[std::size_t(rowA)], *lines[std::size_t(rowB)]);
}

void DeviceTable::placeNewLine(std::unique_ptr<Line> line) {
    // A full stable re-sort of the list with the new line appended at its end gives: every
    // line in order of (sort key, previous position). Lines that kept their key are still in
    // that order, so only the lines whose key changed are moved, then the new line goes
    // behind every line that compares equal to it.
    if (!outOfPlaceLines.empty()) {
        reorder([this] {
            std::vector<std::unique_ptr<Line>> moved;
            std::vector<std::unique_ptr<Line>> kept;
            for (auto& existing : lines)
                (existing->outOfPlace ? moved : kept).push_back(std::move(existing));
            for (auto& movedLine : moved) {
                const auto before = [this](const std::unique_ptr<Line>& a, const Line* b) {
                    const int order = compareLines(*a, *b);
                    return order < 0 || (order == 0 && a->row < b->row);
                };
                const auto at = std::lower_bound(kept.begin(), kept.end(), movedLine.get(), before);
                kept.insert(at, std::move(movedLine));
            }
            lines = std::move(kept);
        });
    }

    const auto after = std::upper_bound(
        lines.begin(), lines.end(), line.get(),
        [this](const Line* a, const std::unique_ptr<Line>& b) { return compareLines(*a, *b) < 0; });
    const int row = int(after - lines.begin());
    beginInsertRows(QModelIndex(), row, row);
    lines.insert(after, std::move(line));
    renumber(row);
    endInsertRows();
}

void DeviceTable::renumber(int from) {
    for (std::size_t i = std::size_t(from); i < lines.size(); ++i)
        lines[i]->row = int(i);
}

void DeviceTable::sortAll() {
    reorder([this] {
        std::stable_sort(lines.begin(), lines.end(),
                         [this](const std::unique_ptr<Line>& a, const std::unique_ptr<Line>& b) {
                             return compareLines(*a, *b) < 0;
                         });
    });
}

void DeviceTable::reorder(const std::function<void()>& sortLines) {
    emit layoutAboutToBeChanged();
    const QModelIndexList persistent = persistentIndexList();
    std::vector<Line*> persistentLines;
    for (const QModelIndex& index : persistent)
        persistentLines.push_back(lines[std::size_t(index.row())].get());

    sortLines();
    for (auto& line : lines)
        line->outOfPlace = false;
    outOfPlaceLines.clear();
    renumber(0);

    QModelIndexList updated;
    for (std::size_t i = 0; i < persistentLines.size(); ++i)
        updated.append(createIndex(persistentLines[i]->row, persistent[qsizetype(i)].column()));
    changePersistentIndexList(persistent, updated);
    emit layoutChanged();
}

void DeviceTable::indexIp(Line* line, const QString& ip) {
    byIp[ip].push_back(line);
}

void DeviceTable::unindexIp(Line* line) {
    auto found = byIp.find(line->cells[0]);
    if (found == byIp.end())
        return;
    auto& list = found.value();
    list.erase(std::remove(list.begin(), list.end(), line), list.end());
    if (list.empty())
        byIp.erase(found);
}

int DeviceTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

int DeviceTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant DeviceTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    if (index.column() == 0)
        return caption(index.row());
    return cell(index.row(), index.column() - 1);
}

QVariant DeviceTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kColumnCount)
        return {};
    return headers[std::size_t(section)];
}

bool DeviceTable::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                                int role) {
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::EditRole) ||
        section < 0 || section >= kColumnCount)
        return false;
    headers[std::size_t(section)] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

} // namespace ui
