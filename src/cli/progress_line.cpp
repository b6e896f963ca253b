#include "cli/progress_line.h"

#include "engine/events.h"

namespace cli {

namespace {

const char* const kEraseLine = "\r\x1b[K";

} // namespace

ProgressLine::~ProgressLine() {
    clear();
}

void ProgressLine::show(const QString& text) {
    if (!enabled || (shown && text == current))
        return;
    current = text;
    err << kEraseLine << text;
    err.flush();
    shown = true;
}

void ProgressLine::clear() {
    if (!shown)
        return;
    err << kEraseLine;
    err.flush();
    shown = false;
}

void ProgressLine::followScans(engine::Events& events) {
    QObject::connect(&events, &engine::Events::devicesCleared, &context, [this] {
        found = 0;
        show(QStringLiteral("scanning: no device yet"));
    });
    QObject::connect(&events, &engine::Events::deviceAdded, &context, [this] {
        ++found;
        show(found == 1 ? QStringLiteral("scanning: 1 device")
                        : QStringLiteral("scanning: %1 devices").arg(found));
    });
    QObject::connect(
        &events, &engine::Events::readsProgressed, &context, [this](int done, int total) {
            show(QStringLiteral("reading netmask and gateway: %1 of %2").arg(done).arg(total));
        });
    QObject::connect(&events, &engine::Events::endpointClosed, &context, [this] { clear(); });
}

} // namespace cli
