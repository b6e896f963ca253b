#include "cli/engine_runner.h"
#include "cli/interrupt_signals.h"
#include "cli/no_answer_hint.h"
#include "cli/workbench.h"
#include "engine/device_engine.h"
#include "report/device_list_diff.h"
#include "report/device_list_reader.h"
#include "report/device_list_writer.h"
#include "report/difference_writer.h"
#include "report/engine_rows.h"

#include <QFile>

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

// The saved list, or nothing when it cannot be read (which has been reported).
std::optional<std::vector<report::DeviceRow>> readSavedList(const QString& path, QTextStream& err) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "torvane-cli: cannot read the device list " << path << ": " << file.errorString()
            << '\n';
        return std::nullopt;
    }
    report::ReadDeviceList list = report::readDeviceList(file.readAll());
    if (!list.problem.isEmpty()) {
        err << "torvane-cli: " << path << " is no device list saved by TorvaneScan ("
            << list.problem << "); nothing was sent\n";
        return std::nullopt;
    }
    return std::move(list.rows);
}

// Writes what differs; true when something does.
bool writeDifferences(const Invocation& invocation, Workbench& bench,
                      const std::vector<report::DeviceRow>& saved,
                      const std::vector<report::DeviceRow>& rows) {
    const std::vector<report::DeviceDifference> differences =
        report::compareDeviceLists(saved, rows);
    switch (invocation.format) {
    case Format::Table:
        bench.out << report::differencesTable(differences);
        break;
    case Format::Json:
        bench.out << report::differencesJson(differences);
        break;
    case Format::Jsonl:
        bench.out << report::differencesJsonLines(differences);
        break;
    case Format::Csv:
        bench.out << report::differencesCsv(differences);
        break;
    }
    return !differences.empty();
}

void writeList(const Invocation& invocation, Workbench& bench,
               const std::vector<report::DeviceRow>& rows) {
    switch (invocation.format) {
    case Format::Table:
        bench.out << report::deviceListTable(rows, bench.through);
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
}

} // namespace

int runScan(const Invocation& invocation, std::vector<Workbench>& benches) {
    Workbench& bench = benches.front();
    std::optional<std::vector<report::DeviceRow>> saved;
    if (invocation.compareFile) {
        saved = readSavedList(*invocation.compareFile, bench.err);
        if (!saved)
            return exitUsage;
    }
    // Ctrl-C ends the scan, not the program: what the scan found so far is still listed.
    InterruptSignals interrupts;
    QObject::connect(&interrupts, &InterruptSignals::interrupted, &interrupts, [&benches] {
        for (Workbench& each : benches)
            each.runner.interruptScan();
    });
    std::vector<report::DeviceRow> rows;
    for (Workbench& each : benches) {
        if (!each.runner.scan())
            return each.networkFailed();
        const auto heard = report::deviceRows(each.engine.devices(), each.types,
                                              each.engine.adapter(), each.engine.interfaces());
        rows.insert(rows.end(), heard.begin(), heard.end());
    }
    bench.progress.clear();
    report::sortByIp(rows);
    if (invocation.deviceType)
        std::erase_if(rows, [&](const report::DeviceRow& row) {
            return !ofType(row, *invocation.deviceType);
        });
    const bool differs = saved && writeDifferences(invocation, bench, *saved, rows);
    if (!saved)
        writeList(invocation, bench, rows);
    bench.out.flush();
    if (interrupts.received()) {
        bench.err << "torvane-cli: interrupted; the list holds what the scan found until then\n";
        return interrupts.exitStatus();
    }
    // A script that scans expects devices: none answering is no success, and the user is
    // told what may stop the answers.
    if (std::all_of(benches.begin(), benches.end(),
                    [](const Workbench& each) { return each.engine.devices().count() == 0; })) {
        reportNoAnswer(bench);
        return saved && !differs ? exitDone : exitDeviceFailed;
    }
    return differs ? exitDeviceFailed : exitDone;
}

} // namespace cli
