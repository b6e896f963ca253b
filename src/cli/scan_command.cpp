#include "cli/engine_runner.h"
#include "cli/workbench.h"
#include "engine/device_engine.h"
#include "report/device_list_writer.h"
#include "report/engine_rows.h"

namespace cli {

int runScan(const Invocation& invocation, Workbench& bench) {
    if (!bench.runner.scan())
        return bench.networkFailed();
    const std::vector<report::DeviceRow> rows =
        report::deviceRows(bench.engine.devices(), bench.types);
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
    return exitDone;
}

} // namespace cli
