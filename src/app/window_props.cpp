#include "app/window_props.h"

#include <QDataStream>
#include <QIODevice>
#include <QWidget>

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace app {

namespace {

const QString kPosSize = QStringLiteral("WindowPosSize");
const QString kState = QStringLiteral("WindowState");
const QString kMonitor = QStringLiteral("DefaultMonitor");
const QString kAdapter = QStringLiteral("SelectedAdapterIp");

enum StoredState : quint8 { stateNormal = 0, stateMinimised = 1, stateMaximised = 2 };

// A maximised window's frame hangs this far over its monitor's left edge.
constexpr int kMaximisedFrameOverhang = 8;

// The stored rectangle: right and bottom lie just outside the window.
struct Bounds {
    qint64 left = 0;
    qint64 top = 0;
    qint64 right = 0;
    qint64 bottom = 0;
};

qint32 edgeValue(qint64 edge) {
    return static_cast<qint32>(std::clamp<qint64>(edge, std::numeric_limits<qint32>::min(),
                                                  std::numeric_limits<qint32>::max()));
}

// The record is read and written through a stream rather than by pointer arithmetic on
// the byte array: the stream checks the length itself.
QByteArray boundsRecord(const QRect& rect) {
    const std::array<qint64, 4> edges{rect.left(), rect.top(), qint64(rect.left()) + rect.width(),
                                      qint64(rect.top()) + rect.height()};
    QByteArray record;
    QDataStream out(&record, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (const qint64 edge : edges) {
        out << edgeValue(edge);
    }
    return record;
}

// Nothing when the record is not four 32-bit edges.
std::optional<Bounds> boundsFrom(const QByteArray& record) {
    if (record.size() != 16) {
        return std::nullopt;
    }
    QDataStream in(record);
    in.setByteOrder(QDataStream::LittleEndian);
    qint32 edges[4] = {};
    for (qint32& edge : edges) {
        in >> edge;
    }
    if (in.status() != QDataStream::Ok) {
        return std::nullopt;
    }
    return Bounds{edges[0], edges[1], edges[2], edges[3]};
}

bool intersects(const Bounds& bounds, const QRect& desktop) {
    if (desktop.isEmpty()) {
        return false;
    }
    const qint64 left = std::max<qint64>(bounds.left, desktop.left());
    const qint64 right = std::min<qint64>(bounds.right, qint64(desktop.left()) + desktop.width());
    const qint64 top = std::max<qint64>(bounds.top, desktop.top());
    const qint64 bottom = std::min<qint64>(bounds.bottom, qint64(desktop.top()) + desktop.height());
    return left < right && top < bottom;
}

int clampedSize(qint64 size) {
    return static_cast<int>(std::clamp<qint64>(size, 0, QWIDGETSIZE_MAX));
}

StoredState stateOf(const QWidget& window) {
    if (window.isMinimized()) {
        return stateMinimised;
    }
    if (window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        return stateMaximised;
    }
    return stateNormal;
}

void placeMaximised(QWidget& window, const platform::Monitors& monitors, qint32 monitor) {
    const QList<QRect> rects = monitors.monitorRects();
    if (!rects.isEmpty()) {
        // A stored number that is no monitor's (one was removed) means the first monitor.
        const QRect& target = rects.at(monitor >= 0 && monitor < rects.size() ? monitor : 0);
        window.move(target.left() - kMaximisedFrameOverhang, window.y());
    }
    window.setWindowState(Qt::WindowMaximized);
}

void placeNormal(QWidget& window, const platform::Monitors& monitors, const Bounds& bounds) {
    window.setWindowState(Qt::WindowNoState);
    // A rectangle wholly off the present desktop would hide the window: keep the initial one.
    if (intersects(bounds, platform::desktopRect(monitors))) {
        window.setGeometry(static_cast<int>(bounds.left), static_cast<int>(bounds.top),
                           clampedSize(bounds.right - bounds.left),
                           clampedSize(bounds.bottom - bounds.top));
    }
}

} // namespace

void restoreWindowProps(platform::Registry* reg, QWidget& window,
                        const platform::Monitors& monitors) {
    if (reg == nullptr || !reg->openKey(kWindowKeyPath, true) || !reg->valueExists(kPosSize)) {
        return;
    }
    QByteArray bounds;
    QByteArray state;
    qint32 monitor = 0;
    try {
        bounds = reg->readBinaryData(kPosSize);
        state = reg->readBinaryData(kState);
        monitor = reg->readInteger(kMonitor);
    } catch (const platform::RegistryError&) {
        return; // an incomplete record: the window keeps its initial placement
    }
    const std::optional<Bounds> edges = boundsFrom(bounds);
    if (!edges || state.size() != 1) {
        return;
    }
    switch (static_cast<quint8>(state.at(0))) {
    case stateNormal:
        placeNormal(window, monitors, *edges);
        break;
    case stateMinimised:
        window.setWindowState(Qt::WindowMinimized);
        break;
    case stateMaximised:
        placeMaximised(window, monitors, monitor);
        break;
    default:
        break; // no state of this program: the record is ignored
    }
}

// The bounds are the window's geometry without its frame, which is what setGeometry()
// takes back, so that the window does not creep by its frame size from start to start.
void saveWindowProps(platform::Registry* reg, QWidget& window, const platform::Monitors& monitors,
                     const QString& adapterText, platform::MessageBoxes& boxes,
                     bool* failureShown) {
    if (reg == nullptr) {
        return;
    }
    const QRect bounds = window.geometry();
    const StoredState state = stateOf(window);
    try {
        platform::RegistryBatch batch(reg->store());
        if (!reg->openKey(kWindowKeyPath, true)) {
            throw platform::RegistryError("the window key cannot be opened");
        }
        if (state == stateNormal) {
            reg->writeBinaryData(kPosSize, boundsRecord(bounds));
        }
        reg->writeBinaryData(kState, QByteArray(1, static_cast<char>(state)));
        reg->writeInteger(kMonitor, platform::nearestMonitor(monitors, bounds));
        reg->writeString(kAdapter, adapterText);
        batch.commit();
    } catch (const platform::RegistryError&) {
        if (failureShown != nullptr && *failureShown) {
            return;
        }
        if (failureShown != nullptr) {
            *failureShown = true;
        }
        boxes.showMessage(QStringLiteral("Can not store window position and size in registry!"));
    }
}

} // namespace app
