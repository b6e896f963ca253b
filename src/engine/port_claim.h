#pragma once

#include <QString>

namespace engine {

// What an operation does with the port, told to another program that finds it taken.
enum class Activity { Scanning, Reading, Changing, Blinking, Restarting };
// "scanning", "reading", "changing", "blinking", "restarting".
QString activityName(Activity activity);

// Keeps the other programs of the family off the port while the endpoint is open: each
// takes the other's answers otherwise. Every call returns at once.
class PortClaim {
public:
    virtual ~PortClaim() = default;
    // True when the port is this program's (a claim already held takes the new activity);
    // false when another program holds it.
    virtual bool claim(Activity activity) = 0;
    virtual void release() = 0;
    // After a refused claim: who holds the port, "torvanescan (pid 4711, scanning)".
    virtual QString holder() const = 0;
};

} // namespace engine
