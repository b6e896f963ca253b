#pragma once

#include "platform/message_boxes.h"
#include "platform/monitors.h"
#include "platform/registry.h"

#include <QString>

class QWidget;

namespace app {

// The key of the main window's position record and of the chosen adapter.
inline const QString kWindowKeyPath = QStringLiteral("\\software\\Kestrelwald\\TorvaneScan");

// Places the window as it was stored: bounds, normal / minimised / maximised state and
// the monitor of a maximised window. Leaves the window key current in `reg` (null: nothing
// happens). A record that is incomplete, of other types or sizes, is ignored: the window
// keeps its initial placement.
void restoreWindowProps(platform::Registry* reg, QWidget& window,
                        const platform::Monitors& monitors);

// Stores the window's normal bounds (in the normal state only), its state, its nearest
// monitor and the adapter text, in one write. Any failure shows the one message box and
// returns; with failureShown, only while it is false, and it is then set.
void saveWindowProps(platform::Registry* reg, QWidget& window, const platform::Monitors& monitors,
                     const QString& adapterText, platform::MessageBoxes& boxes,
                     bool* failureShown = nullptr);

} // namespace app
