#include "cli/engine_runner.h"
#include "cli/interrupt_signals.h"
#include "cli/workbench.h"
#include "engine/device_engine.h"
#include "report/device_list_writer.h"
#include "report/engine_rows.h"

#include <algorithm>

namespace cli {

namespace {

// --type: a type code, or a part of the type's name in any case.
bool ofType(const report::DeviceRow& row, const QString& wanted) {
    bool isNumber = false;
    const int code = wanted.toInt(&isNumber);
    if (isNumber && code == row.type)
        return true;
    return row.typeName && row.typeName->contains(wanted, Qt::CaseInsensitive);
}

} // namespace

int runScan(const Invocation& invocation, Workbench& bench) {
    // Ctrl-C ends the scan, not the program: what the scan found so far is still listed.
    InterruptSignals interrupts;
    QObject::connect(&interrupts, &InterruptSignals::interrupted, &interrupts,
                     [&bench] { bench.runner.interruptScan(); });
    if (!bench.runner.scan())
        return bench.networkFailed();
    bench.progress.clear();
    std::vector<report::DeviceRow> rows = report::deviceRows(bench.engine.devices(), bench.types);
    if (invocation.deviceType)
        std::erase_if(rows, [&](const report::DeviceRow& row) {
            return !ofType(row, *invocation.deviceType);
        });
    switch (invocation.format) {
    case Format::Table:
        bench.out << report::deviceListTable(rows);
        break;
    case Format::Json:
        bench.out << report::deviceListJson(rows);
        break;
    case Format::Jsonl:
        bench.out << report::deviceListJsonLines(rows);
        break;
    case Format::Csv:
        bench.out << report::deviceListCsv(rows);
        break;
    }
    bench.out.flush();
    if (!interrupts.received())
        return exitDone;
    bench.err << "torvane-cli: interrupted; the list holds what the scan found until then\n";
    return interrupts.exitStatus();
}

} // namespace cli
