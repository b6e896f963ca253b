#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <unordered_set>
#include <utility>
#include <vector>

namespace ui {

// One line of the device list. It keeps its address while it lives, whatever row it moves
// to, so the code that fills a new line holds on to it instead of to a row.
struct DeviceLine;

// The lines of the device list: a caption (the MAC text) and nine text cells per line, in
// display order, always sorted by the sort column. Lines that compare equal stay in the order
// in which they took their sort text: a new line, or a line whose sort cell changes, goes
// behind every line that already shows that text.
//
// Lookups by MAC, by IP and by both go through indexes kept next to the lines, and the
// duplicate marks are kept by counting, so an answer costs the same with 10 lines as with
// 30,000, even when all of them share one address. Answers taken in together form a batch:
// its new lines are merged into the list once at its end, in exactly the order entering them
// one by one would give, with one insertion per run of adjacent new lines.
class DeviceTable : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kCellCount = 9;
    static constexpr int kDuplicateCell = 6;
    static constexpr int kRestartCell = 7;
    // Display columns: the caption, then cells 0 to 7; cell 8 is never shown.
    static constexpr int kColumnCount = 9;

    explicit DeviceTable(QObject* parent = nullptr);
    ~DeviceTable() override;

    // Every line, those a running batch has still to merge included.
    int count() const;
    // Rows as the list shows them. Reading or writing by row during a batch merges the lines
    // that wait first, so a row always means the same line to every caller.
    const QString& caption(int row) const;
    const QString& cell(int row, int index) const;
    void setCell(int row, int index, const QString& text);
    void clear();

    // Finds the line of this MAC and IP or adds one, and marks the duplicate column: "D" on
    // every line of this IP with another MAC, and on the found line when there is one such,
    // " " everywhere else. Only lines whose mark changes are touched.
    DeviceLine* createLine(const QString& mac, const QString& ip);
    int rowOf(const DeviceLine* line) const;
    void setCell(DeviceLine* line, int index, const QString& text);
    // Writes the text into this cell of every line that shows this IP. Writing the text
    // every such line already got from the last call costs nothing.
    void setCellOfIp(const QString& ip, int index, const QString& text);
    using Cells = std::array<QString, kCellCount>;
    // Adds a line with these cells, sorted into place by them.
    DeviceLine* addLine(const QString& caption, const Cells& cells);

    // Between these, new lines wait and are merged into the list at the end. Batches nest;
    // outside one, a new line goes into the list at once.
    void beginBatch();
    void endBatch();

    // Rows in list order.
    std::vector<int> rowsWithIp(const QString& ip) const;
    std::vector<int> rowsWithCaption(const QString& mac) const;
    int firstRowWithCaption(const QString& mac) const; // -1 when none
    int lastRowWithCaption(const QString& mac) const;  // -1 when none

    // Sorting: column 0 is the caption, column k > 0 is cell k - 1.
    int sortedColumn() const { return sortColumn; }
    bool descending() const { return sortDescending; }
    // A header click: the same column again inverts the direction, another column sorts
    // ascending by it. The whole list is sorted at once, equal lines keeping their order.
    void columnClick(int column);
    // The list's comparison: ASCII letters without regard to case, otherwise by UTF-16 code
    // unit.
    static int compareText(const QString& a, const QString& b);

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Replaces the caption of a column (display role only), for a translated header.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;

    static const std::array<QString, kColumnCount>& columnCaptions();

private:
    using Lines = std::vector<std::unique_ptr<DeviceLine>>;
    using Device = std::pair<QString, QString>; // MAC text and IP text

    using IpCell = std::pair<QString, int>; // an IP text and a cell index

    const QString& sortKey(const DeviceLine& line) const;
    int compareLines(const DeviceLine& a, const DeviceLine& b) const;
    bool takesSortKey(int index) const { return sortColumn == index + 1; }
    // Merging changes nothing a reader sees; it brings the model's rows up to date.
    void mergeWaiting() const;
    void mergeWaitingLines();
    // The row a line would take among the listed lines: behind every one that sorts with it.
    int listedPlaceOf(const DeviceLine& line) const;
    // The order of the waiting lines: by text, then by the moment they took it.
    bool waitsBefore(const DeviceLine& a, const DeviceLine& b) const;
    void addWaiting(std::unique_ptr<DeviceLine> line);
    // Lines to visit in list order, so that lines whose sort text changes go behind their
    // equals in the order they stand.
    void putInListOrder(std::vector<DeviceLine*>& visit) const;
    void moveIntoPlace(DeviceLine* line);
    void renumber(int from, int to);
    void sortAll();
    void changeCell(DeviceLine* line, int index, const QString& text);
    void setMark(DeviceLine* line, bool duplicate);
    void remark(const Device& answer, const DeviceLine* target, bool duplicate,
                const std::vector<DeviceLine*>& ofDevice, const std::vector<DeviceLine*>& withIp);
    // The one furthest down the list.
    DeviceLine* lastLineOf(const std::vector<DeviceLine*>& lines) const;
    void reserveIndexes();
    void indexIp(DeviceLine* line);
    void unindexIp(DeviceLine* line);
    void forgetSameText(const QString& ip);
    static void removeFrom(std::vector<DeviceLine*>& list, DeviceLine* line);

    Lines lines; // in the list, by row
    // New lines of the running batch, in the order they will be merged in.
    Lines waiting;
    int batchDepth = 0;
    quint64 sortClock = 0; // counts the moments lines take a sort text
    QHash<QString, std::vector<DeviceLine*>> byIp;
    // The text every line of an IP got in a cell from the last setCellOfIp(), as long as none
    // of them has changed that cell since and no line has joined the IP. Mostly empty, so the
    // cell writes of a scan burst pass it by.
    QHash<IpCell, QString> sameTextOfIp;
    QHash<QString, std::vector<DeviceLine*>> byCaption;
    QHash<Device, std::vector<DeviceLine*>> byDevice;

    // The duplicate marks, and the answer they describe while nothing else changed them.
    std::unordered_set<DeviceLine*> markedLines;
    std::optional<Device> markedFor;

    int sortColumn = 0;
    bool sortDescending = false;
    std::array<QString, kColumnCount> headers = columnCaptions();
};

} // namespace ui
