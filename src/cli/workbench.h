#pragma once

#include "cli/command_line.h"
#include "cli/plan_file.h"
#include "cli/progress_line.h"

#include <QTextStream>

#include <optional>

namespace engine {
class DeviceEngine;
struct DeviceRecord;
} // namespace engine

namespace gdf {
class DeviceTypeTable;
}

namespace cli {

class EngineRunner;

// What every command works with.
struct Workbench {
    engine::DeviceEngine& engine;
    EngineRunner& runner;
    const gdf::DeviceTypeTable& types;
    QTextStream& out;
    QTextStream& err;
    // How far a long run has come, for a person watching standard error.
    ProgressLine& progress;

    // Writes "torvane-cli: " and the network's failure; gives exit status 3.
    int networkFailed();
    // The device of the last scan that answered with this MAC (the latest, should it have
    // answered from two addresses).
    const engine::DeviceRecord* device(const QString& mac) const;
};

int runScan(const Invocation& invocation, Workbench& bench);
int runSet(const Invocation& invocation, Workbench& bench);
int runBlink(const Invocation& invocation, Workbench& bench);
int runRestart(const Invocation& invocation, Workbench& bench);
// Scans every interval until SIGINT or SIGTERM, and reports what appeared, went or changed.
int runWatch(const Invocation& invocation, Workbench& bench);
// The plan has been read and checked without a fault.
int runApply(const Invocation& invocation, const Plan& plan, Workbench& bench);

} // namespace cli
