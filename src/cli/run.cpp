#include "cli/run.h"

#include "cli/engine_runner.h"
#include "cli/plan_intake.h"
#include "cli/port_hold.h"
#include "cli/stderr_log.h"
#include "cli/stored_choices.h"
#include "cli/workbench.h"
#include "engine/device_engine.h"
#include "engine/qt_clock.h"
#include "engine/udp_endpoint_adapter.h"
#include "gdf/gdf_table.h"
#include "net/local_interfaces.h"
#include "platform/ini_file.h"
#include "platform/port_lock.h"
#include "platform/registry.h"
#include "platform/timer_intervals.h"
#include "protocol/frame.h"

#include <QFileInfo>

#include <unistd.h>

namespace cli {

namespace {

// The table is empty when the file is missing; a key that names no code ends the reading,
// and the entries before it are used. Either way the devices are still listed, by code.
gdf::DeviceTypeTable readTypes(const QString& path, QTextStream& err) {
    gdf::DeviceTypeTable types;
    if (!QFileInfo(path).isFile()) {
        err << "torvane-cli: no gateway description file " << path
            << ", device types are shown by code\n";
        return types;
    }
    const platform::IniFile file = platform::IniFile::fromFile(path);
    if (!file.readProblem().isEmpty()) {
        err << "torvane-cli: gateway description file " << path << " cannot be read ("
            << file.readProblem() << "), device types are shown by code\n";
        return types;
    }
    if (const auto problem = types.readGDF(file, path); problem)
        err << "torvane-cli: " << problem->message() << '\n';
    return types;
}

bool isLocalAddress(const QString& address, const net::tNetworkInterfaceList& interfaces) {
    for (const net::tNetworkInterface& interface : interfaces) {
        if (interface.AddrIP == address)
            return true;
    }
    return false;
}

} // namespace

int run(const Invocation& invocation, const QString& programDir, QTextStream& out,
        QTextStream& err) {
    std::optional<Plan> plan;
    if (invocation.command == Command::Apply) {
        plan = loadPlan(invocation.planFile, err);
        if (!plan)
            return exitUsage;
    }
    if (invocation.gdfFile && !QFileInfo(*invocation.gdfFile).isFile()) {
        err << "torvane-cli: --gdf " << *invocation.gdfFile << ": no such file\n";
        return exitUsage;
    }

    platform::RegistryStore store;
    store.load();
    if (const QString problem = store.takeLoadProblem(); !problem.isEmpty())
        err << "torvane-cli: " << problem << '\n';
    const QString gdfPath = invocation.gdfFile.value_or(windowDescriptionFile(store, programDir));
    const gdf::DeviceTypeTable types = readTypes(gdfPath, err);

    QStringList localAddresses;
    net::GetLocalIPs(localAddresses);
    net::tNetworkInterfaceList interfaces;
    net::getNetworkInterfaces(interfaces);
    const QString adapter = invocation.adapter.value_or(windowAdapter(store, localAddresses));
    if (adapter.isEmpty()) {
        err << "torvane-cli: this host has no IPv4 address to work through\n";
        return exitNetwork;
    }
    // An address of another host would leave the socket unbound, and the broadcast would go
    // out from wherever the system chose.
    if (!isLocalAddress(adapter, interfaces)) {
        err << "torvane-cli: " << adapter << " is no address of this host (--adapter)\n";
        return exitNetwork;
    }

    // Held until the program ends, so that no other program of the family comes between
    // the steps of the command.
    platform::PortLock portLock(
        platform::PortLock::folderFor(QFileInfo(store.filePath()).absolutePath()),
        protocol::kDevicePort);
    if (!holdPort(portLock, invocation, err))
        return exitNetwork;

    engine::UdpEndpointAdapter endpoint;
    engine::QtClock clock;
    StderrLog log(err, invocation.verbose);
    engine::DeviceEngine engine(endpoint, clock, log);
    engine.setInterfaces(interfaces);
    engine.setAdapter(adapter);
    engine::Intervals intervals;
    intervals.scanPeriod = invocation.scanMs;
    if (const auto configured = platform::readTimerIntervals(programDir);
        configured && configured->getParams > 0)
        intervals.readPace = configured->getParams;
    // The engine's own watch gives up on a first answer after 13 ticks; it is set to let
    // the command's timeout decide, for the first confirmation as for every other.
    intervals.changeWatch = invocation.timeoutMs / 12 + 1;
    engine.setIntervals(intervals);
    engine.setParallelReads(invocation.parallel, invocation.timeoutMs);

    EngineRunner runner(engine, invocation.timeoutMs);
    // The log lines of --verbose would break into the line.
    ProgressLine progress(err, isatty(STDERR_FILENO) != 0 && !invocation.verbose);
    progress.followScans(engine.events());
    Workbench bench{engine, runner, types, out, err, progress};
    switch (invocation.command) {
    case Command::Scan:
        return runScan(invocation, bench);
    case Command::Set:
        return runSet(invocation, bench);
    case Command::Blink:
        return runBlink(invocation, bench);
    case Command::Restart:
        return runRestart(invocation, bench);
    case Command::Watch:
        return runWatch(invocation, bench);
    case Command::Apply:
        break;
    }
    return runApply(invocation, *plan, bench);
}

} // namespace cli
