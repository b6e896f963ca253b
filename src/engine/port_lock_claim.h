#pragma once

#include "engine/port_claim.h"

namespace platform {
class PortLock;
}

namespace engine {

class LogSink;

// The claim as the port lock file: tried once, never waited for, since the engine does not
// wait. A lock file that cannot be used is logged, and the port is taken without it.
class PortLockClaim : public PortClaim {
public:
    PortLockClaim(platform::PortLock& lock, const QString& program, LogSink& log);

    bool claim(Activity activity) override;
    void release() override;
    QString holder() const override;

private:
    platform::PortLock& lock;
    QString program;
    LogSink& log;
};

} // namespace engine
