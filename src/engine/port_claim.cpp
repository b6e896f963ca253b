#include "engine/port_claim.h"

namespace engine {

QString activityName(Activity activity) {
    switch (activity) {
    case Activity::Scanning:
        return QStringLiteral("scanning");
    case Activity::Reading:
        return QStringLiteral("reading");
    case Activity::Changing:
        return QStringLiteral("changing");
    case Activity::Blinking:
        return QStringLiteral("blinking");
    case Activity::Restarting:
        break;
    }
    return QStringLiteral("restarting");
}

} // namespace engine
