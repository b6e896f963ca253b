#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QString>

#include <array>
#include <memory>
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
// The list shows what its owner writes into it, the duplicate marks included; it decides
// nothing about the devices. Lines added together form a batch: its new lines are merged
// into the list once at its end, in exactly the order adding them one by one would give,
// with one insertion per run of adjacent new lines rather than one per line.
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
    // Rows as the list shows them. Reading by row during a batch merges the lines that wait
    // first, so a row always means the same line to every caller.
    const QString& caption(int row) const;
    const QString& cell(int row, int index) const;
    void clear();

    using Cells = std::array<QString, kCellCount>;
    // Adds a line with these cells, sorted into place by them.
    DeviceLine* addLine(const QString& caption, const Cells& cells);
    // A changed sort cell moves the line at once, behind the lines that show its new text.
    void setCell(DeviceLine* line, int index, const QString& text);
    // During a batch, the row the line will have once the batch is merged; -1 for none.
    int rowOf(const DeviceLine* line) const;
    int firstRowWithCaption(const QString& mac) const; // -1 when none

    // Between these, new lines wait and are merged into the list at the end. Batches nest;
    // outside one, a new line goes into the list at once.
    void beginBatch();
    void endBatch();

    // Sorting: column 0 is the caption, column k > 0 is cell k - 1; ascending by the caption
    // until the first header click. A click on the sort column inverts the direction, on
    // another column sorts ascending by it. The whole list is sorted at once, equal lines
    // keeping their order.
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
    void moveIntoPlace(DeviceLine* line);
    void renumber(int from, int to);
    void sortAll();
    void reserveIndexes();

    Lines lines; // in the list, by row
    // New lines of the running batch, in the order they will be merged in.
    Lines waiting;
    int batchDepth = 0;
    quint64 sortClock = 0; // counts the moments lines take a sort text
    QHash<QString, std::vector<DeviceLine*>> byCaption;

    int sortColumn = 0;
    bool sortDescending = false;
    std::array<QString, kColumnCount> headers = columnCaptions();
};

} // namespace ui
