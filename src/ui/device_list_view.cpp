#include "ui/device_list_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QToolTip>
#include <algorithm>

namespace ui {

namespace {

constexpr int kHintShowDelayMs = 50;
constexpr int kHintHideAfterMs = 2000;

class LineColourDelegate : public QStyledItemDelegate {
public:
    explicit LineColourDelegate(DeviceListView* view) : QStyledItemDelegate(view), view(view) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->backgroundBrush = view->backgroundOf(index.row());
        if (const auto colour = view->textColourOf(index.row())) {
            option->palette.setColor(QPalette::Text, *colour);
            option->palette.setColor(QPalette::HighlightedText, *colour);
        }
        if (index.column() == 0 && view->isMarked(index.row())) {
            option->features |= QStyleOptionViewItem::HasDecoration;
            option->icon = view->style()->standardIcon(QStyle::SP_MessageBoxWarning);
            const int side = option->fontMetrics.height();
            option->decorationSize = QSize(side, side);
        }
        if (index.column() == 1 && view->isAddressMarked(index.row())) {
            option->features |= QStyleOptionViewItem::HasDecoration;
            option->icon = view->style()->standardIcon(QStyle::SP_MessageBoxInformation);
            const int side = option->fontMetrics.height();
            option->decorationSize = QSize(side, side);
        }
    }

private:
    DeviceListView* view;
};

} // namespace

DeviceListView::DeviceListView(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAllColumnsShowFocus(true);
    setMouseTracking(true);
    setItemDelegate(new LineColourDelegate(this));
    hintTimer.setSingleShot(true);
    hintTimer.setInterval(kHintShowDelayMs);
    connect(&hintTimer, &QTimer::timeout, this, &DeviceListView::showHint);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, &DeviceListView::headerClicked);
    // Keep the selection visible when the list loses the focus.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight,
                     colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);
}

void DeviceListView::setDeviceTable(DeviceTable* deviceTable) {
    if (table)
        disconnect(table, nullptr, listPacer, nullptr);
    table = deviceTable;
    if (!listPacer)
        listPacer = new RepaintPacer(this);
    // Connected before the view's own connections, so that a change to be held back is
    // known before the view asks for it to be drawn.
    if (table) {
        const auto note = [this] { listPacer->noteChange(); };
        connect(table, &QAbstractItemModel::dataChanged, listPacer, note);
        connect(table, &QAbstractItemModel::rowsInserted, listPacer, note);
        connect(table, &QAbstractItemModel::rowsRemoved, listPacer, note);
        connect(table, &QAbstractItemModel::rowsMoved, listPacer, note);
        connect(table, &QAbstractItemModel::layoutChanged, listPacer, note);
        connect(table, &QAbstractItemModel::modelReset, listPacer, note);
    }
    setModel(deviceTable);
    static constexpr int widths[DeviceTable::kColumnCount] = {120, 100, 100, 100, 60,
                                                              150, 100, 80,  1};
    // The design widths were made for a smaller font; an address column is never narrower
    // than its longest address, so MACs and addresses are never cut off.
    const int addressWidth =
        fontMetrics().horizontalAdvance(QStringLiteral("000.000.000.000")) + 16;
    const int macWidth = fontMetrics().horizontalAdvance(QStringLiteral("00-00-00-00-00-00")) + 16;
    for (int column = 0; column < DeviceTable::kColumnCount; ++column) {
        int width = widths[column];
        if (column == 0)
            width = std::max(width, macWidth);
        else if (column <= 3)
            width = std::max(width, addressWidth);
        setColumnWidth(column, width);
    }
    // The restart column was designed one pixel wide, to be read by the code and not seen;
    // the header's minimum section size would show it, so it is hidden instead.
    setColumnHidden(DeviceTable::kRestartCell + 1, true);
}

void DeviceListView::widenColumnFor(int column, const QStringList& texts) {
    int width = columnWidth(column);
    for (const QString& text : texts)
        width = std::max(width, fontMetrics().horizontalAdvance(text) + 16);
    setColumnWidth(column, width);
}

std::optional<QColor> DeviceListView::textColourOf(int row) const {
    if (!table || !textColour)
        return std::nullopt;
    return textColour(table->caption(row));
}

bool DeviceListView::isMarked(int row) const {
    return table && marked && marked(table->caption(row));
}

bool DeviceListView::isAddressMarked(int row) const {
    return table && addressMarked && addressMarked(table->cell(row, 0));
}

QColor DeviceListView::backgroundOf(int row) const {
    if (table && table->cell(row, DeviceTable::kDuplicateCell) == QLatin1String("D"))
        return QColor(255, 0, 0);
    return palette().color(QPalette::Base);
}

int DeviceListView::selectedRow() const {
    if (!selectionModel())
        return -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

int DeviceListView::focusedRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void DeviceListView::selectRow(int row) {
    if (!table || row < 0 || row >= table->count())
        return;
    const QModelIndex index = table->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
}

void DeviceListView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit clickedAnywhere();
}

void DeviceListView::mouseMoveEvent(QMouseEvent* event) {
    QTreeView::mouseMoveEvent(event);
    emit mouseMovedTo(event->position().toPoint());
    if (hint.isEmpty()) {
        hintTimer.stop();
        QToolTip::hideText();
        return;
    }
    hintPosition = event->position().toPoint();
    if (!QToolTip::isVisible())
        hintTimer.start();
}

void DeviceListView::showHint() {
    const QModelIndex under = indexAt(hintPosition);
    if (hint.isEmpty() || !under.isValid())
        return;
    QToolTip::showText(viewport()->mapToGlobal(hintPosition), hint, viewport(), visualRect(under),
                       kHintHideAfterMs);
}

void DeviceListView::doItemsLayout() {
    // The view lays out all its lines again after every new one, from a zero timer, which
    // at ten thousand lines costs more than the line itself. While a burst is held back
    // that layout waits for the next redraw, and stays requested meanwhile, so that
    // anything that needs the lines' places (a click, a look-up) still gets a fresh layout.
    // The request is a zero timer: the event loop keeps turning until the interval ends.
    if (inTimerEvent && listPacer && listPacer->isHolding()) {
        scheduleDelayedItemsLayout();
        return;
    }
    QTreeView::doItemsLayout();
}

void DeviceListView::timerEvent(QTimerEvent* event) {
    inTimerEvent = true;
    QTreeView::timerEvent(event);
    inTimerEvent = false;
}

bool DeviceListView::viewportEvent(QEvent* event) {
    // The list's own hint replaces the toolkit's tooltip handling.
    if (event->type() == QEvent::ToolTip)
        return true;
    return QTreeView::viewportEvent(event);
}

} // namespace ui
