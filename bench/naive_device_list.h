#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace bench {

// The device list as it would be without indexes, kept only to compare against: every new
// answer walks every line (to find its line and to re-mark the duplicate column) and every
// new line re-sorts the whole list. After the same answers it shows what the program's list
// shows, filled from the engine's device set.
class NaiveDeviceList : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kCellCount = 9;
    static constexpr int kDuplicateCell = 6;

    int count() const { return int(lines.size()); }
    const QString& caption(int row) const { return lines[std::size_t(row)]->caption; }
    const QString& cell(int row, int index) const {
        return lines[std::size_t(row)]->cells[std::size_t(index)];
    }
    void setCell(int row, int index, const QString& text);
    // Returns the row of the device's line.
    int createLine(const QString& mac, const QString& ip);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct Line {
        QString caption;
        std::array<QString, kCellCount> cells;
    };

    void markDuplicate(int row, bool duplicate);
    // Sorts by caption, ascending, as the list does before any header click.
    void sortAll();

    std::vector<std::unique_ptr<Line>> lines;
};

} // namespace bench
