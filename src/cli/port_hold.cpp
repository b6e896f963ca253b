#include "cli/port_hold.h"

#include "engine/port_claim.h"
#include "platform/port_lock.h"

namespace cli {

namespace {

engine::Activity activityOf(const Invocation& invocation) {
    switch (invocation.command) {
    case Command::Scan:
    case Command::Watch:
        return engine::Activity::Scanning;
    case Command::Set:
        return engine::Activity::Changing;
    case Command::Blink:
        return engine::Activity::Blinking;
    case Command::Restart:
        return engine::Activity::Restarting;
    case Command::Apply:
    case Command::History: // these two read the history only; they never take the port
    case Command::Inventory:
        break;
    }
    return invocation.dryRun ? engine::Activity::Scanning : engine::Activity::Changing;
}

} // namespace

bool holdPort(platform::PortLock& lock, const Invocation& invocation, QTextStream& err) {
    const QString activity = engine::activityName(activityOf(invocation));
    switch (lock.acquire(QStringLiteral("torvane-cli"), activity, invocation.waitMs)) {
    case platform::PortLock::Outcome::Held:
        return true;
    case platform::PortLock::Outcome::InUse:
        err << platform::portInUseText(lock.port(), lock.holder()) << '\n';
        return false;
    case platform::PortLock::Outcome::Unavailable:
        break;
    }
    err << "torvane-cli: " << lock.failure() << "; going on without the port lock\n";
    return true;
}

} // namespace cli
