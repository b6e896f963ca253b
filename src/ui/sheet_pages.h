#pragma once

#include "ui/tab_sheet.h"

#include <QTabWidget>
#include <QWidget>

namespace ui {

// Makes the sheet a page of tabs with a visible tab, captioned with the sheet's caption; a sheet
// that already is a page of tabs stays where it is.
void addSheet(QTabWidget& tabs, TabSheet& sheet);

// Takes the sheet out of tabs and makes the first remaining page the current one. The
// sheet is hidden and kept by keeper, so it belongs to no tab control yet stays owned.
void takeOutSheet(QTabWidget& tabs, TabSheet& sheet, QWidget& keeper);

} // namespace ui
