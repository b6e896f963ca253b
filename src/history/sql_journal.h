#pragma once

#include "engine/change_journal.h"

#include <QString>

namespace history {

class HistoryDatabase;

// Who changes: the program and the user on this host.
struct Identity {
    QString program;
    QString user;
    QString host;

    // The user and host of this process, for the named program.
    static Identity ofThisProcess(const QString& program);
};

// The journal of the device engine in the history database: one row per value of a change,
// inserted before its first request leaves and brought up to date, each time in a
// transaction of its own, as the change goes on. The time of a row is that of its latest
// write, in UTC.
class SqlJournal : public engine::ChangeJournal {
public:
    SqlJournal(HistoryDatabase& database, Identity identity);

    EntryId begin(const engine::JournalEntry& entry) override;
    void record(EntryId entry, engine::ValueOutcome outcome) override;
    engine::UnfinishedValues unfinished() override;

private:
    HistoryDatabase& database;
    Identity identity;
};

// The time as the history writes it: "2026-05-04T09:15:02.481Z".
QString historyTime();

} // namespace history
