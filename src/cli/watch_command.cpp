#include "cli/engine_runner.h"
#include "cli/interrupt_signals.h"
#include "cli/port_hold.h"
#include "cli/watch_event.h"
#include "cli/watch_exec.h"
#include "cli/watch_tracker.h"
#include "cli/workbench.h"
#include "engine/device_engine.h"
#include "platform/port_lock.h"
#include "report/engine_rows.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <csignal>

namespace cli {

namespace {

// Waits until the next scan is due or a stop is asked for.
void waitForNextScan(const InterruptSignals& interrupts, qint64 ms) {
    if (ms <= 0 || interrupts.received())
        return;
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(ms), &loop, &QEventLoop::quit);
    QObject::connect(&interrupts, &InterruptSignals::interrupted, &loop, &QEventLoop::quit);
    loop.exec();
}

void report(const Invocation& invocation, Workbench& bench, const WatchEvent& event) {
    const QString json = eventJson(event);
    bench.out << (invocation.format == Format::Jsonl ? json + u'\n' : eventTableLine(event));
    bench.out.flush();
    if (!invocation.execCommand)
        return;
    const QString problem =
        runEventCommand(*invocation.execCommand, json, watchKindName(event.change.kind),
                        event.change.mac, event.change.ip, invocation.execTimeoutS * 1000);
    if (!problem.isEmpty()) {
        bench.err << "torvane-cli: --exec for " << watchKindName(event.change.kind) << ' '
                  << event.change.mac << ": " << problem << '\n';
        bench.err.flush();
    }
}

} // namespace

int runWatch(const Invocation& invocation, Workbench& bench, platform::PortLock& portLock) {
    // A reader that went away shows as a failed write, which ends the watch, and a command
    // that does not read its input must not end it either.
    std::signal(SIGPIPE, SIG_IGN);
    // SIGINT and SIGTERM end the watch, but only once the scan in hand is over and reported:
    // they are the ordinary way to end it (systemctl stop), hence exit status 0.
    const InterruptSignals interrupts;
    WatchTracker tracker;
    if (invocation.format == Format::Table) {
        bench.out << eventTableHeading();
        bench.out.flush();
    }
    while (!interrupts.received() && bench.out.status() == QTextStream::Ok) {
        QElapsedTimer sinceScan;
        sinceScan.start();
        // The port is held for the scan only: it is free until the next one, for the window
        // and other commands. A scan the port is not given for is tried again at the next.
        if (!holdPort(portLock, invocation, bench.err)) {
            bench.err << "torvane-cli: trying again at the next scan\n";
            bench.err.flush();
        } else if (bench.runner.scan()) {
            const auto rows = report::deviceRows(bench.engine.devices(), bench.types,
                                                 bench.engine.adapter(), bench.engine.interfaces());
            for (WatchChange& change : tracker.update(rows))
                report(
                    invocation, bench,
                    {QDateTime::currentDateTimeUtc(), bench.engine.adapter(), std::move(change)});
        } else {
            // A scan that failed saw nothing; it does not count as one the devices missed.
            bench.err << "torvane-cli: " << bench.runner.networkFailure()
                      << "; trying again at the next scan\n";
            bench.err.flush();
        }
        portLock.release();
        waitForNextScan(interrupts, qint64(invocation.intervalS) * 1000 - sinceScan.elapsed());
    }
    return exitDone;
}

} // namespace cli
