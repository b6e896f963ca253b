#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace history {

class HistoryDatabase;

// One row of the history: one value of one change, as far as it came.
struct HistoryRecord {
    QString time; // UTC, "2026-05-04T09:15:02.481Z"
    QString program;
    QString user;
    QString host;
    QString adapter;
    QString mac;
    QString ip;
    QString value; // "ip", "netmask", "gateway", "dhcp"
    QString from;
    QString to;
    QString result;
};

struct HistoryFilter {
    std::optional<QString> mac;   // canonical MAC text
    std::optional<QString> since; // a history time: rows written at or after it
    bool newestFirst = false;
};

// The rows that pass the filter, oldest first unless asked otherwise. Empty when the history
// is unavailable or cannot be read (the database reports that).
std::vector<HistoryRecord> readHistory(HistoryDatabase& database, const HistoryFilter& filter);

// A date ("2026-05-04", midnight UTC) or an ISO 8601 date and time (UTC unless it names
// an offset) as a history time; none when the text is neither.
std::optional<QString> historyTimeOf(const QString& text);

} // namespace history
