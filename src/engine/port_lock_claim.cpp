#include "engine/port_lock_claim.h"

#include "engine/log_sink.h"
#include "platform/port_lock.h"

namespace engine {

PortLockClaim::PortLockClaim(platform::PortLock& lock, const QString& program, LogSink& log)
    : lock(lock), program(program), log(log) {}

bool PortLockClaim::claim(Activity activity) {
    switch (lock.acquire(program, activityName(activity), 0)) {
    case platform::PortLock::Outcome::Held:
        return true;
    case platform::PortLock::Outcome::InUse:
        return false;
    case platform::PortLock::Outcome::Unavailable:
        break;
    }
    log.logStringWithTime(QStringLiteral("Port lock not used: ") + lock.failure());
    return true;
}

void PortLockClaim::release() {
    lock.release();
}

QString PortLockClaim::holder() const {
    return lock.holder();
}

} // namespace engine
