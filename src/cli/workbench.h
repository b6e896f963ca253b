#pragma once

#include "cli/command_line.h"
#include "cli/plan_file.h"
#include "cli/progress_line.h"

#include <QTextStream>

#include <optional>
#include <vector>

namespace engine {
class ChangeJournal;
class DeviceEngine;
struct DeviceRecord;
} // namespace engine

namespace platform {
class PortLock;
}

namespace net {
class AddressProbe;
}

namespace gdf {
class DeviceTypeTable;
}

namespace cli {

class EngineRunner;

// What every command works with.
struct Workbench {
    engine::DeviceEngine& engine;
    EngineRunner& runner;
    // Where the changes are recorded, and what earlier ones left unfinished.
    engine::ChangeJournal& journal;
    const gdf::DeviceTypeTable& types;
    QTextStream& out;
    QTextStream& err;
    // How far a long run has come, for a person watching standard error.
    ProgressLine& progress;
    // Which adapter the engine works through and why: "through 10.77.0.1 (--adapter)".
    QString through;
    // Asks the segment who holds an address; none with --no-probe.
    net::AddressProbe* probe;

    // Writes "torvane-cli: " and the network's failure; gives exit status 3.
    int networkFailed();
    // The device of the last scan that answered with this MAC (the latest, should it have
    // answered from two addresses).
    const engine::DeviceRecord* device(const QString& mac) const;
};

// Scans through every bench's adapter in turn and lists all they heard.
int runScan(const Invocation& invocation, std::vector<Workbench>& benches);
int runSet(const Invocation& invocation, Workbench& bench);
int runBlink(const Invocation& invocation, Workbench& bench);
int runRestart(const Invocation& invocation, Workbench& bench);
// Scans every interval until SIGINT or SIGTERM, and reports what appeared, went or changed.
// The port is held for each scan only.
int runWatch(const Invocation& invocation, Workbench& bench, platform::PortLock& portLock);
// The plan has been read and checked without a fault.
int runApply(const Invocation& invocation, const Plan& plan, Workbench& bench);

} // namespace cli
