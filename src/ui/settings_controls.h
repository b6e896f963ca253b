#pragma once

#include "platform/registry.h"

#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <stdexcept>

namespace ui::settings {

// Raised when a stored grid is larger than any grid the program would have stored, so
// that a damaged store cannot make the dialog allocate without bound.
class DamagedValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The most cells a stored string grid may have.
constexpr qint64 kMaxGridCells = 100000;

// The value of a control as text: edit and combo box text, check box "1" or "0", empty
// for every other kind.
QString controlValue(const QWidget& control);
// Edit and combo box take the text; a check box is cleared by "0" and ticked by any other
// text; other kinds stay unchanged.
void setControlValue(QWidget& control, const QString& value);

// Fills the control from the current key of reg. A memo that cannot be read keeps the
// lines read so far without an error; every other failure (a missing grid count, a value
// of another type, a store that cannot be written) throws and ends the caller's reading.
void readControl(platform::Registry& reg, QWidget& control);
// Writes the control's values into the current key of reg; throws RegistryError when a
// value cannot be written.
void storeControl(platform::Registry& reg, const QWidget& control);

// The lines of a memo as stored: an empty memo has none.
QStringList memoLines(const QPlainTextEdit& memo);
void setMemoLines(QPlainTextEdit& memo, const QStringList& lines);

} // namespace ui::settings
