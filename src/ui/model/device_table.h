#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace ui {

// The lines of the device list: a caption (the MAC text) and nine text cells per line, in
// display order. Lookups by MAC and by IP go through indexes kept next to the lines, and a new
// line is sorted into place instead of re-sorting everything, so a burst of thousands of
// answers stays cheap while the list looks exactly as if it were walked and re-sorted.
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

    int count() const { return int(lines.size()); }
    const QString& caption(int row) const;
    const QString& cell(int row, int index) const;
    void setCell(int row, int index, const QString& text);
    void clear();

    // Finds the line of this MAC and IP or appends one, and re-marks the duplicate column
    // of every line: "D" where another MAC answered with this IP, " " elsewhere. The new
    // line is sorted into place. Returns its row.
    int createLine(const QString& mac, const QString& ip);
    // Adds a line for a device whose duplicate mark its owner keeps (" " to begin with),
    // sorted into place. Returns its row.
    int appendLine(const QString& mac, const QString& ip);

    // Rows in list order.
    std::vector<int> rowsWithIp(const QString& ip) const;
    std::vector<int> rowsWithCaption(const QString& mac) const;
    int firstRowWithCaption(const QString& mac) const; // -1 when none
    int lastRowWithCaption(const QString& mac) const;  // -1 when none

    // Sorting: column 0 is the caption, column k > 0 is cell k - 1.
    int sortedColumn() const { return sortColumn; }
    bool descending() const { return sortDescending; }
    // A header click: the same column again inverts the direction, another column sorts
    // ascending by it. The whole list is sorted at once.
    void columnClick(int column);
    // The list's comparison: ASCII letters without regard to case, otherwise by UTF-16 code
    // unit; negated when descending.
    int compareRows(int rowA, int rowB) const;
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
    struct Line {
        QString caption;
        std::array<QString, kCellCount> cells;
        int row = 0;
        bool outOfPlace = false; // its sort key changed since it was placed
    };

    const QString& sortKey(const Line& line) const;
    int compareLines(const Line& a, const Line& b) const;
    void placeNewLine(std::unique_ptr<Line> line);
    void renumber(int from);
    void sortAll();
    // Runs sortLines, which may reorder `lines` freely, and keeps the selection and every
    // other persistent index on its line.
    void reorder(const std::function<void()>& sortLines);
    void indexIp(Line* line, const QString& ip);
    void unindexIp(Line* line);

    std::vector<std::unique_ptr<Line>> lines;
    QHash<QString, std::vector<Line*>> byIp;
    QHash<QString, std::vector<Line*>> byCaption;
    std::vector<Line*> markedDuplicates;
    std::vector<Line*> outOfPlaceLines;
    int sortColumn = 0;
    bool sortDescending = false;
    std::array<QString, kColumnCount> headers = columnCaptions();
};

} // namespace ui
