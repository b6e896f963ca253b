#pragma once

#include "platform/monitors.h"

#include <utility>

namespace testsupport {

// A monitor layout chosen by the test.
class FixedMonitors : public platform::Monitors {
public:
    explicit FixedMonitors(QList<QRect> rects) : rects(std::move(rects)) {}
    QList<QRect> monitorRects() const override { return rects; }

private:
    QList<QRect> rects;
};

} // namespace testsupport
