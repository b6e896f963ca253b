#include "cli/run.h"

#include "cli/adapter_choice.h"
#include "cli/adapter_dispatch.h"
#include "cli/adapter_session.h"
#include "cli/history_command.h"
#include "cli/interrupt_signals.h"
#include "cli/plan_intake.h"
#include "cli/port_hold.h"
#include "cli/stored_choices.h"
#include "cli/workbench.h"
#include "gdf/gdf_table.h"
#include "history/history_database.h"
#include "history/inventory.h"
#include "history/sql_journal.h"
#include "net/local_interfaces.h"
#include "net/neighbour_probe.h"
#include "platform/ini_file.h"
#include "platform/port_lock.h"
#include "platform/registry.h"
#include "platform/timer_intervals.h"
#include "protocol/frame.h"

#include <QFileInfo>

#include <memory>

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

} // namespace

int run(const Invocation& invocation, const QString& programDir, QTextStream& out,
        QTextStream& err) {
    if (invocation.command == Command::History)
        return runHistory(invocation, out, err);
    if (invocation.command == Command::Inventory)
        return runInventory(invocation, out, err);
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
    const AdapterChoice choice = chooseAdapters(invocation, store, interfaces, localAddresses);
    if (choice.adapters.isEmpty()) {
        err << "torvane-cli: " << choice.problem << '\n';
        return exitNetwork;
    }
    const QString through = throughText(choice.adapters, choice.reason);
    if (invocation.verbose)
        err << "torvane-cli: working " << through << '\n';

    // Held until the program ends, so that no other program of the family comes between
    // the steps of the command. A watch takes it for each of its scans only, so that the
    // window and other commands work between them.
    platform::PortLock portLock(
        platform::PortLock::folderFor(QFileInfo(store.filePath()).absolutePath()),
        protocol::kDevicePort);
    if (invocation.command != Command::Watch && !holdPort(portLock, invocation, err))
        return exitNetwork;
    // Every scan records what it heard in the inventory; the commands that change devices
    // also journal their changes. A problem with the history is told once and the command
    // goes on without it.
    history::HistoryDatabase database(history::defaultHistoryPath(),
                                      [&err](const QString& problem) {
                                          err << "torvane-cli: " << problem << '\n';
                                          err.flush();
                                      });
    engine::NoJournal noJournal;
    std::optional<history::SqlJournal> sqlJournal;
    if (invocation.command == Command::Set || invocation.command == Command::Apply)
        sqlJournal.emplace(database,
                           history::Identity::ofThisProcess(QStringLiteral("torvane-cli")));
    engine::ChangeJournal& journal =
        sqlJournal ? static_cast<engine::ChangeJournal&>(*sqlJournal) : noJournal;

    engine::Intervals intervals;
    intervals.scanPeriod = invocation.scanMs;
    if (const auto configured = platform::readTimerIntervals(programDir);
        configured && configured->getParams > 0)
        intervals.readPace = configured->getParams;
    // The engine's own watch gives up on each request's answer after 13 ticks; it is set to
    // let the command's timeout decide.
    intervals.changeWatch = invocation.timeoutMs / 12 + 1;

    // The log lines of --verbose would break into the line.
    ProgressLine progress(err, isatty(STDERR_FILENO) != 0 && !invocation.verbose);
    net::NeighbourProbe probe(interfaces);
    std::vector<std::unique_ptr<AdapterSession>> sessions;
    std::vector<Workbench> benches;
    for (const QString& adapter : choice.adapters) {
        sessions.push_back(std::make_unique<AdapterSession>(adapter, interfaces, intervals,
                                                            invocation.timeoutMs, err,
                                                            invocation.verbose, journal));
        AdapterSession& session = *sessions.back();
        session.engine.setParallelReads(invocation.parallel, invocation.timeoutMs);
        session.engine.setParallelChanges(invocation.parallel, invocation.timeoutMs);
        session.runner.onScanEnded([&database, &session, &types] {
            history::recordScan(database, session.engine.devices(), types,
                                session.engine.adapter());
        });
        progress.followScans(session.engine.events());
        benches.push_back(Workbench{session.engine, session.runner, journal, types, out, err,
                                    progress, through, invocation.probe ? &probe : nullptr});
    }
    // An interrupted change ends with the value under way written to its end and every
    // row's result printed, then with the signal's status (130, 143).
    std::optional<InterruptSignals> interrupts;
    if (invocation.command == Command::Set || invocation.command == Command::Apply) {
        interrupts.emplace();
        for (const auto& session : sessions) {
            EngineRunner& runner = session->runner;
            QObject::connect(&*interrupts, &InterruptSignals::interrupted, &*interrupts,
                             [&runner] { runner.interrupt(); });
        }
    }
    const int status = runOnAdapters(invocation, plan, benches, portLock);
    out.flush();
    return interrupts && interrupts->received() != 0 ? interrupts->exitStatus() : status;
}

} // namespace cli
