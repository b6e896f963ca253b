#include "cli/history_command.h"

#include "history/history_database.h"
#include "history/history_output.h"
#include "history/inventory_output.h"

#include <functional>

namespace cli {

namespace {

// Opens the history, has print write from it, and gives the exit status.
int readFromHistory(QTextStream& err,
                    const std::function<void(history::HistoryDatabase& database)>& print) {
    bool failed = false;
    history::HistoryDatabase database(history::defaultHistoryPath(), [&](const QString& problem) {
        err << "torvane-cli: " << problem << '\n';
        failed = true;
    });
    print(database);
    return failed ? exitNetwork : exitDone;
}

} // namespace

int runHistory(const Invocation& invocation, QTextStream& out, QTextStream& err) {
    return readFromHistory(err, [&](history::HistoryDatabase& database) {
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
    });
}

int runInventory(const Invocation& invocation, QTextStream& out, QTextStream& err) {
    return readFromHistory(err, [&](history::HistoryDatabase& database) {
        const std::vector<history::InventoryEntry> entries =
            history::readInventory(database, invocation.since);
        switch (invocation.format) {
        case Format::Table:
            out << history::inventoryTable(entries);
            break;
        case Format::Json:
            out << history::inventoryJson(entries);
            break;
        case Format::Jsonl: // refused by the command line
        case Format::Csv:
            out << history::inventoryCsv(entries);
            break;
        }
    });
}

} // namespace cli
