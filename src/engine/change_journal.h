#pragma once

#include "engine/outcomes.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace engine {

// Where one value's change stands.
enum class ValueOutcome {
    NotSent,       // nothing of it has been confirmed (it may not have left)
    TemporaryOnly, // the temporary write was confirmed, the permanent one not (yet)
    Done,          // temporary and permanent confirmed, or the DHCP switch confirmed
    Refused,       // the device refused it
    Timeout,       // a request of it was not confirmed in time
    Interrupted,   // the change was stopped while a request of it was out
};
// "not_sent", "temporary_only", "done", "refused", "timeout", "interrupted"
QString outcomeKey(ValueOutcome outcome);
std::optional<ValueOutcome> outcomeFromKey(const QString& name);
// "ip", "netmask", "gateway", "dhcp"
QString fieldKey(Field field);
std::optional<Field> fieldFromKey(const QString& name);

// One value of one device that a change is about to write.
struct JournalEntry {
    QString adapter;
    QString mac;
    QString ip; // the device's address when the change began
    Field field = Field::Ip;
    QString from; // as the device showed it: an address, "n/a", "active" or "inactive"
    QString to;
};

// The values of each device (by MAC) whose latest change neither ended done nor was refused
// (a refused write changes nothing), and so may be held only until the device's next
// restart.
using UnfinishedValues = QHash<QString, QList<Field>>;

// Keeps what every change did: an entry is written before a value's first request leaves
// and again before each further request and when each answer comes, so that a later run
// finds what an earlier one left unfinished even when that one was killed. A journal that
// cannot write goes on without and says so itself; it never stops a change.
class ChangeJournal {
public:
    using EntryId = qint64;
    virtual ~ChangeJournal() = default;
    // The value's first request is about to leave; the entry stands at NotSent.
    virtual EntryId begin(const JournalEntry& entry) = 0;
    // The value's change has come this far (also before a further request leaves).
    virtual void record(EntryId entry, ValueOutcome outcome) = 0;
    virtual UnfinishedValues unfinished() = 0;
};

// For a front end or a test that keeps no history.
class NoJournal : public ChangeJournal {
public:
    EntryId begin(const JournalEntry&) override { return 0; }
    void record(EntryId, ValueOutcome) override {}
    UnfinishedValues unfinished() override { return {}; }
};

bool awaitsCompletion(const UnfinishedValues& unfinished, const QString& mac, Field field);

} // namespace engine
