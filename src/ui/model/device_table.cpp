#include "ui/model/device_table.h"

#include <algorithm>
#include <iterator>
#include <tuple>

namespace ui {

struct DeviceLine {
    QString caption;
    std::array<QString, DeviceTable::kCellCount> cells;
    int row = -1;         // -1 while it waits for the end of its batch
    quint64 sortedAt = 0; // when it took its present sort text
};

namespace {

const QString kEmpty;

} // namespace

DeviceTable::DeviceTable(QObject* parent) : QAbstractTableModel(parent) {
    reserveIndexes();
}

// Room for the lines of a whole segment from the start: growing an index on the way moves
// every entry it holds, in the middle of a burst.
void DeviceTable::reserveIndexes() {
    constexpr qsizetype kSegmentLines = 16384;
    byCaption.reserve(kSegmentLines);
}

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

int DeviceTable::count() const {
    return int(lines.size() + waiting.size());
}

const QString& DeviceTable::caption(int row) const {
    mergeWaiting();
    if (row < 0 || row >= int(lines.size()))
        return kEmpty;
    return lines[std::size_t(row)]->caption;
}

const QString& DeviceTable::cell(int row, int index) const {
    mergeWaiting();
    if (row < 0 || row >= int(lines.size()) || index < 0 || index >= kCellCount)
        return kEmpty;
    return lines[std::size_t(row)]->cells[std::size_t(index)];
}

void DeviceTable::setCell(DeviceLine* line, int index, const QString& text) {
    if (!line || index < 0 || index >= kCellCount || line->cells[std::size_t(index)] == text)
        return;
    const bool resort = takesSortKey(index);
    if (line->row < 0) {
        if (!resort) {
            line->cells[std::size_t(index)] = text;
            return;
        }
        const auto at = std::find_if(waiting.begin(), waiting.end(),
                                     [line](const auto& one) { return one.get() == line; });
        std::unique_ptr<DeviceLine> moving = std::move(*at);
        waiting.erase(at);
        moving->cells[std::size_t(index)] = text;
        moving->sortedAt = ++sortClock;
        addWaiting(std::move(moving));
        return;
    }
    // The waiting lines find their places among lines that are all in order.
    if (resort)
        mergeWaiting();
    line->cells[std::size_t(index)] = text;
    if (index + 1 < kColumnCount) {
        const QModelIndex changed = createIndex(line->row, index + 1);
        // The view colours the background of a marked line's duplicate cell.
        if (index == kDuplicateCell)
            emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::BackgroundRole});
        else
            emit dataChanged(changed, changed, {Qt::DisplayRole});
    }
    if (resort)
        moveIntoPlace(line);
}

void DeviceTable::clear() {
    beginResetModel();
    lines.clear();
    waiting.clear();
    byCaption.clear();
    reserveIndexes();
    endResetModel();
}

// The row the line will have once the waiting lines are merged: a waiting line goes behind
// every listed line that sorts with it, and behind the waiting lines that took its text first.
int DeviceTable::rowOf(const DeviceLine* line) const {
    if (!line)
        return -1;
    if (line->row >= 0) {
        const auto waitingBefore =
            std::partition_point(waiting.begin(), waiting.end(), [&](const auto& other) {
                return compareLines(*other, *line) < 0;
            });
        return line->row + int(waitingBefore - waiting.begin());
    }
    const auto at = std::lower_bound(waiting.begin(), waiting.end(), line,
                                     [this](const std::unique_ptr<DeviceLine>& a,
                                            const DeviceLine* b) { return waitsBefore(*a, *b); });
    return listedPlaceOf(*line) + int(at - waiting.begin());
}

bool DeviceTable::waitsBefore(const DeviceLine& a, const DeviceLine& b) const {
    const int order = compareLines(a, b);
    return order < 0 || (order == 0 && a.sortedAt < b.sortedAt);
}

void DeviceTable::addWaiting(std::unique_ptr<DeviceLine> line) {
    const auto at =
        std::upper_bound(waiting.begin(), waiting.end(), line.get(),
                         [this](const DeviceLine* a, const std::unique_ptr<DeviceLine>& b) {
                             return waitsBefore(*a, *b);
                         });
    waiting.insert(at, std::move(line));
}

void DeviceTable::beginBatch() {
    ++batchDepth;
}

void DeviceTable::endBatch() {
    if (batchDepth > 0 && --batchDepth == 0)
        mergeWaiting();
}

DeviceLine* DeviceTable::addLine(const QString& caption, const Cells& cells) {
    auto line = std::make_unique<DeviceLine>();
    line->caption = caption;
    line->cells = cells;
    line->sortedAt = ++sortClock;
    DeviceLine* added = line.get();
    byCaption[caption].push_back(added);
    addWaiting(std::move(line));
    if (batchDepth == 0)
        mergeWaitingLines();
    return added;
}

int DeviceTable::firstRowWithCaption(const QString& mac) const {
    mergeWaiting();
    const auto found = byCaption.constFind(mac);
    if (found == byCaption.cend())
        return -1;
    int first = -1;
    for (const DeviceLine* line : *found) {
        if (first < 0 || line->row < first)
            first = line->row;
    }
    return first;
}

void DeviceTable::columnClick(int column) {
    if (column < 0 || column >= kColumnCount)
        return;
    mergeWaiting();
    if (column == sortColumn) {
        sortDescending = !sortDescending;
    } else {
        sortColumn = column;
        sortDescending = false;
    }
    sortAll();
}

// Lines are compared thousands of times a second in a burst, mostly texts that share a long
// beginning (MACs of one maker, addresses of one subnet): equal code units are skipped in one
// go, and only where they differ are letters folded.
int DeviceTable::compareText(const QString& a, const QString& b) {
    const auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
    const char16_t* at = reinterpret_cast<const char16_t*>(a.constData());
    const char16_t* bt = reinterpret_cast<const char16_t*>(b.constData());
    const char16_t* const aEnd = at + std::min(a.size(), b.size());
    for (;;) {
        std::tie(at, bt) = std::mismatch(at, aEnd, bt);
        if (at == aEnd)
            break;
        const char16_t ca = fold(*at);
        const char16_t cb = fold(*bt);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++at;
        ++bt;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

const QString& DeviceTable::sortKey(const DeviceLine& line) const {
    if (sortColumn == 0)
        return line.caption;
    return line.cells[std::size_t(sortColumn - 1)];
}

int DeviceTable::compareLines(const DeviceLine& a, const DeviceLine& b) const {
    const int result = compareText(sortKey(a), sortKey(b));
    return sortDescending ? -result : result;
}

int DeviceTable::listedPlaceOf(const DeviceLine& line) const {
    const auto after =
        std::upper_bound(lines.begin(), lines.end(), line,
                         [this](const DeviceLine& a, const std::unique_ptr<DeviceLine>& b) {
                             return compareLines(a, *b) < 0;
                         });
    return int(after - lines.begin());
}

void DeviceTable::mergeWaiting() const {
    if (!waiting.empty())
        const_cast<DeviceTable*>(this)->mergeWaitingLines();
}

// Entering the waiting lines one by one would put each behind every line that sorts with it
// and was listed or took its text before it; the waiting lines, kept in the order of (text,
// moment), each placed behind its equals among the listed lines give the same order at once.
void DeviceTable::mergeWaitingLines() {
    Lines arriving = std::move(waiting);
    waiting.clear();
    std::vector<int> places;
    places.reserve(arriving.size());
    for (const auto& line : arriving) {
        places.push_back(listedPlaceOf(*line));
        // Counts as listed from now on, though its row is known only once all runs are in.
        line->row = places.back();
    }
    // Runs of lines that go to the same place, the last run first, so that the places of
    // the runs above stay as they were found.
    std::size_t end = arriving.size();
    while (end > 0) {
        std::size_t start = end - 1;
        while (start > 0 && places[start - 1] == places[end - 1])
            --start;
        const int at = places[end - 1];
        beginInsertRows(QModelIndex(), at, at + int(end - start) - 1);
        lines.insert(lines.begin() + at,
                     std::make_move_iterator(arriving.begin() + std::ptrdiff_t(start)),
                     std::make_move_iterator(arriving.begin() + std::ptrdiff_t(end)));
        endInsertRows();
        end = start;
    }
    renumber(places.front(), int(lines.size()) - 1);
}

void DeviceTable::moveIntoPlace(DeviceLine* line) {
    const int from = line->row;
    const auto before = [this](const DeviceLine& a, const std::unique_ptr<DeviceLine>& b) {
        return compareLines(a, *b) < 0;
    };
    const auto begin = lines.begin();
    const auto behind = begin + from + 1;
    const int to = int(std::upper_bound(begin, begin + from, *line, before) - begin) +
                   int(std::upper_bound(behind, lines.end(), *line, before) - behind);
    if (to == from)
        return;
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    if (to > from)
        std::rotate(begin + from, begin + from + 1, begin + to + 1);
    else
        std::rotate(begin + to, begin + from, begin + from + 1);
    renumber(std::min(from, to), std::max(from, to));
    endMoveRows();
}

void DeviceTable::renumber(int from, int to) {
    for (int i = from; i <= to; ++i)
        lines[std::size_t(i)]->row = i;
}

void DeviceTable::sortAll() {
    emit layoutAboutToBeChanged();
    const QModelIndexList persistent = persistentIndexList();
    std::vector<DeviceLine*> persistentLines;
    for (const QModelIndex& index : persistent)
        persistentLines.push_back(lines[std::size_t(index.row())].get());

    std::stable_sort(lines.begin(), lines.end(),
                     [this](const auto& a, const auto& b) { return compareLines(*a, *b) < 0; });
    renumber(0, int(lines.size()) - 1);

    QModelIndexList updated;
    for (std::size_t i = 0; i < persistentLines.size(); ++i)
        updated.append(createIndex(persistentLines[i]->row, persistent[qsizetype(i)].column()));
    changePersistentIndexList(persistent, updated);
    emit layoutChanged();
}

int DeviceTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(lines.size());
}

int DeviceTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant DeviceTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole || index.row() >= int(lines.size()))
        return {};
    const DeviceLine& line = *lines[std::size_t(index.row())];
    if (index.column() == 0)
        return line.caption;
    return line.cells[std::size_t(index.column() - 1)];
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
