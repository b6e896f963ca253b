#pragma once

#include <QStringList>

namespace ui {
class DeviceListView;
class DeviceTable;
} // namespace ui

namespace app {

class TForm1;

// The keys of the main window's own texts: the component names of its menus, menu items,
// buttons, labels and check box, then "ListView1Column0" to "ListView1Column8" for the
// column headers of the device list.
const QStringList& mainWindowTextKeys();

// Gives the main window's menus, buttons, labels and column headers the texts their keys
// translate to. A key that no language file holds keeps the design text, so without its
// "lang" folder the window looks as designed. A label's leading blanks (its indent in the
// design) stay in front of the translated text. The headers are those of the window's device
// list and its view.
void translateMainWindow(TForm1& form, ui::DeviceTable& lines, ui::DeviceListView& listView);

} // namespace app
