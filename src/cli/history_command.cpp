#include "cli/history_command.h"

#include "history/history_database.h"
#include "history/history_output.h"

namespace cli {

int runHistory(const Invocation& invocation, QTextStream& out, QTextStream& err) {
    bool failed = false;
    history::HistoryDatabase database(history::defaultHistoryPath(), [&](const QString& problem) {
        err << "torvane-cli: " << problem << '\n';
        failed = true;
    });
    history::HistoryFilter filter;
    if (!invocation.mac.isEmpty())
        filter.mac = invocation.mac;
    filter.since = invocation.since;
    const std::vector<history::HistoryRecord> records = history::readHistory(database, filter);
    switch (invocation.format) {
    case Format::Table:
        out << history::historyTable(records);
        break;
    case Format::Json:
        out << history::historyJson(records);
        break;
    case Format::Jsonl:
        out << history::historyJsonLines(records);
        break;
    case Format::Csv:
        out << history::historyCsv(records);
        break;
    }
    // A history that cannot be read is no answer: the caller must not take it for an empty one.
    return failed ? exitNetwork : exitDone;
}

} // namespace cli
