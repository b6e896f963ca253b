#include "cli/engine_runner.h"
#include "cli/no_answer_hint.h"
#include "cli/workbench.h"
#include "engine/device_engine.h"
#include "report/device_list_diff.h"
#include "report/device_list_reader.h"
#include "report/device_list_writer.h"
#include "report/difference_writer.h"
#include "report/engine_rows.h"

#include <QFile>

namespace cli {

namespace {

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

int compare(const Invocation& invocation, Workbench& bench,
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
    case Format::Csv:
        bench.out << report::differencesCsv(differences);
        break;
    case Format::Jsonl:
        bench.out << report::differencesJsonLines(differences);
        break;
    }
    bench.out.flush();
    if (rows.empty())
        reportNoAnswer(bench);
    return differences.empty() ? exitDone : exitDeviceFailed;
}

} // namespace

int runScan(const Invocation& invocation, Workbench& bench) {
    std::optional<std::vector<report::DeviceRow>> saved;
    if (invocation.compareFile) {
        saved = readSavedList(*invocation.compareFile, bench.err);
        if (!saved)
            return exitUsage;
    }
    if (!bench.runner.scan())
        return bench.networkFailed();
    const std::vector<report::DeviceRow> rows =
        report::deviceRows(bench.engine.devices(), bench.types);
    if (saved)
        return compare(invocation, bench, *saved, rows);
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
    return rows.empty() ? reportNoAnswer(bench) : exitDone;
}

} // namespace cli
