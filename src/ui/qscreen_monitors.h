#pragma once

#include "platform/monitors.h"

namespace ui {

// The screens the window system reports, the primary screen first.
class QScreenMonitors : public platform::Monitors {
public:
    QList<QRect> monitorRects() const override;
};

} // namespace ui
