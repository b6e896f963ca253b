#pragma once

#include "platform/monitors.h"

namespace platform {

// The screens the window system reports, the primary screen first.
class QScreenMonitors : public Monitors {
public:
    QList<QRect> monitorRects() const override;
};

} // namespace platform
