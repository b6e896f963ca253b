#pragma once

#include "history/history_records.h"

#include <QString>
#include <vector>

namespace history {

// The history's columns as the outputs name them: time, program, user, host, adapter, mac,
// ip, value, from, to, result.
QStringList historyColumns();
// A record's texts in the order of the columns.
QStringList historyCells(const HistoryRecord& record);

// Aligned for a person, upper-case headings.
QString historyTable(const std::vector<HistoryRecord>& records);
// An array of objects with one key per column.
QString historyJson(const std::vector<HistoryRecord>& records);
// One object a line.
QString historyJsonLines(const std::vector<HistoryRecord>& records);
// A heading line and one line per record.
QString historyCsv(const std::vector<HistoryRecord>& records);

} // namespace history
