#pragma once

#include "fake_endpoint.h"

#include "engine/change_journal.h"

#include <QStringList>

#include <vector>

namespace enginetest {

// Every journal write as a line, with the number of frames sent by then (from sentBase on):
// "begin ip 192.168.0.5 -> 192.168.0.20, 0 sent", "ip done, 2 sent".
class FakeJournal : public engine::ChangeJournal {
public:
    explicit FakeJournal(const FakeEndpoint& endpoint) : endpoint(endpoint) {}

    EntryId begin(const engine::JournalEntry& entry) override {
        entries.push_back(entry);
        lines << QStringLiteral("begin %1 %2 -> %3, %4 sent")
                     .arg(engine::fieldKey(entry.field), entry.from, entry.to)
                     .arg(sent());
        return EntryId(entries.size() - 1);
    }
    void record(EntryId entry, engine::ValueOutcome outcome) override {
        lines << QStringLiteral("%1 %2, %3 sent")
                     .arg(engine::fieldKey(entries[std::size_t(entry)].field),
                          engine::outcomeKey(outcome))
                     .arg(sent());
    }
    engine::UnfinishedValues unfinished() override { return stored; }

    std::size_t sentBase = 0;
    QStringList lines;
    std::vector<engine::JournalEntry> entries;
    engine::UnfinishedValues stored;

private:
    qsizetype sent() const { return qsizetype(endpoint.sent.size() - sentBase); }
    const FakeEndpoint& endpoint;
};

} // namespace enginetest
