#include "ui/settings_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>
#include <QTextBlock>

namespace ui::settings {

namespace {

QString memoLineName(const QString& name, int index) {
    return name + u'(' + QString::number(index) + u')';
}

QString gridCellName(const QString& name, int column, int row) {
    return name + u'[' + QString::number(column) + u':' + QString::number(row) + u']';
}

QString cellText(const QTableWidget& grid, int row, int column) {
    const QTableWidgetItem* item = grid.item(row, column);
    return item ? item->text() : QString();
}

void setCellText(QTableWidget& grid, int row, int column, const QString& text) {
    if (QTableWidgetItem* item = grid.item(row, column))
        item->setText(text);
    else
        grid.setItem(row, column, new QTableWidgetItem(text));
}

void readComboBox(platform::Registry& reg, QComboBox& combo) {
    const QString name = combo.objectName();
    combo.setCurrentIndex(-1);
    if (!reg.valueExists(name)) {
        combo.setCurrentText(QString());
        return;
    }
    const QString text = reg.readString(name);
    combo.setCurrentText(text);
    // Of several equal items the last one ends up selected.
    for (int i = 0; i < combo.count(); ++i) {
        if (combo.itemText(i) == text)
            combo.setCurrentIndex(i);
    }
}

void readCheckBox(platform::Registry& reg, QCheckBox& box) {
    const QString name = box.objectName();
    const std::optional<platform::RegType> type = reg.valueType(name);
    if (!type)
        return;
    if (*type == platform::RegType::String) {
        // A box stored as text by an older program: the value is put right as "not ticked".
        reg.writeBool(name, false);
        box.setChecked(false);
        return;
    }
    box.setChecked(reg.readInteger(name) != 0);
}

void readMemo(platform::Registry& reg, QPlainTextEdit& memo) {
    const QString name = memo.objectName();
    QStringList lines;
    try {
        const qint32 count = reg.readInteger(name);
        for (int i = 0; i < count; ++i) {
            const QString lineName = memoLineName(name, i);
            // A missing line means a damaged value; the count alone must not make the
            // memo grow without bound.
            if (!reg.valueExists(lineName))
                break;
            lines.append(reg.readString(lineName));
        }
    } catch (const platform::RegistryError&) {
        // The memo keeps what could be read; the other settings are read on.
    }
    setMemoLines(memo, lines);
}

void readGrid(platform::Registry& reg, QTableWidget& grid) {
    const QString name = grid.objectName();
    const qint32 rows = reg.readInteger(name + QStringLiteral("Rows"));
    const qint32 columns = reg.readInteger(name + QStringLiteral("Cols"));
    if (rows <= 0 || columns <= 0) {
        grid.setRowCount(2);
        grid.setColumnCount(2);
        return;
    }
    if (qint64(rows) * columns > kMaxGridCells)
        throw DamagedValueError("stored grid too large");
    grid.setRowCount(rows);
    grid.setColumnCount(columns);
    for (int row = 1; row < rows; ++row) {
        for (int column = 0; column < columns; ++column)
            setCellText(grid, row, column, reg.readString(gridCellName(name, column, row)));
    }
}

void storeGrid(platform::Registry& reg, const QTableWidget& grid) {
    const QString name = grid.objectName();
    reg.writeInteger(name + QStringLiteral("Rows"), grid.rowCount());
    reg.writeInteger(name + QStringLiteral("Cols"), grid.columnCount());
    for (int row = 1; row < grid.rowCount(); ++row) {
        for (int column = 0; column < grid.columnCount(); ++column)
            reg.writeString(gridCellName(name, column, row), cellText(grid, row, column));
    }
}

void storeMemo(platform::Registry& reg, const QPlainTextEdit& memo) {
    const QString name = memo.objectName();
    const QStringList lines = memoLines(memo);
    reg.writeInteger(name, qint32(lines.size()));
    for (int i = 0; i < lines.size(); ++i)
        reg.writeString(memoLineName(name, i), lines.at(i));
}

} // namespace

QString controlValue(const QWidget& control) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(&control))
        return edit->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(&control))
        return combo->currentText();
    if (const auto* box = qobject_cast<const QCheckBox*>(&control))
        return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    return QString();
}

void setControlValue(QWidget& control, const QString& value) {
    if (auto* edit = qobject_cast<QLineEdit*>(&control))
        edit->setText(value);
    else if (auto* combo = qobject_cast<QComboBox*>(&control))
        combo->setCurrentText(value);
    else if (auto* box = qobject_cast<QCheckBox*>(&control))
        box->setChecked(value != QStringLiteral("0"));
}

void readControl(platform::Registry& reg, QWidget& control) {
    const QString name = control.objectName();
    if (auto* combo = qobject_cast<QComboBox*>(&control))
        readComboBox(reg, *combo);
    else if (auto* edit = qobject_cast<QLineEdit*>(&control))
        edit->setText(reg.valueExists(name) ? reg.readString(name) : QString());
    else if (auto* box = qobject_cast<QCheckBox*>(&control))
        readCheckBox(reg, *box);
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(&control))
        readMemo(reg, *memo);
    else if (auto* grid = qobject_cast<QTableWidget*>(&control))
        readGrid(reg, *grid);
}

void storeControl(platform::Registry& reg, const QWidget& control) {
    const QString name = control.objectName();
    if (const auto* edit = qobject_cast<const QLineEdit*>(&control))
        reg.writeString(name, edit->text());
    else if (const auto* combo = qobject_cast<const QComboBox*>(&control))
        reg.writeString(name, combo->currentText());
    else if (const auto* box = qobject_cast<const QCheckBox*>(&control))
        reg.writeBool(name, box->isChecked());
    else if (const auto* memo = qobject_cast<const QPlainTextEdit*>(&control))
        storeMemo(reg, *memo);
    else if (const auto* grid = qobject_cast<const QTableWidget*>(&control))
        storeGrid(reg, *grid);
}

QStringList memoLines(const QPlainTextEdit& memo) {
    const QTextDocument* document = memo.document();
    if (document->isEmpty())
        return {};
    QStringList lines;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    return lines;
}

void setMemoLines(QPlainTextEdit& memo, const QStringList& lines) {
    memo.setPlainText(lines.join(u'\n'));
}

} // namespace ui::settings
