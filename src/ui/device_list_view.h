#pragma once

#include "ui/model/device_table.h"
#include "ui/repaint_pacer.h"

#include <QColor>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <optional>

namespace ui {

// The report-style device list: whole-line selection, read-only cells, a selection that
// stays visible without focus, and lines coloured before they are drawn.
class DeviceListView : public QTreeView {
    Q_OBJECT
public:
    // The text colour of a line by its caption, or none for the normal colour.
    using TextColour = std::function<std::optional<QColor>(const QString& caption)>;

    explicit DeviceListView(QWidget* parent = nullptr);

    void setDeviceTable(DeviceTable* table);
    DeviceTable* deviceTable() const { return table; }
    void setTextColour(TextColour colour) { textColour = std::move(colour); }
    // Whether a line by its caption carries the warning mark in front of its caption.
    using Marked = std::function<bool(const QString& caption)>;
    void setMarked(Marked given) { marked = std::move(given); }
    bool isMarked(int row) const;
    // Whether a line by its IP carries the mark in front of its IP.
    void setAddressMarked(Marked given) { addressMarked = std::move(given); }
    bool isAddressMarked(int row) const;
    std::optional<QColor> textColourOf(int row) const;
    QColor backgroundOf(int row) const;

    // The selected line, or -1.
    int selectedRow() const;
    // The line with the focus (the current line), or -1.
    int focusedRow() const;
    void selectRow(int row);

    // Widens a column, if needed, so that each of these texts shows in full.
    void widenColumnFor(int column, const QStringList& texts);

    // The text of the hint shown over the lines; empty shows none.
    void setHintText(const QString& text) { hint = text; }
    QString hintText() const { return hint; }

    void doItemsLayout() override;

signals:
    // Every click on the list, on a line or not, after the view has updated its selection.
    void clickedAnywhere();
    void mouseMovedTo(const QPoint& position);
    void headerClicked(int column);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void showHint();

    DeviceTable* table = nullptr;
    TextColour textColour;
    Marked marked;
    Marked addressMarked;
    QString hint;
    QTimer hintTimer;
    RepaintPacer* listPacer = nullptr;
    bool inTimerEvent = false;
    QPoint hintPosition;
};

} // namespace ui
