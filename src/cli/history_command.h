#pragma once

#include "cli/command_line.h"

#include <QTextStream>

namespace cli {

// The two commands that read the history database; they send nothing and never take the
// port. A history that cannot be read gives exit status 3: no answer, not an empty one.

// Prints the change history, oldest first, of one device or of all.
int runHistory(const Invocation& invocation, QTextStream& out, QTextStream& err);
// Prints every device the scans have seen (since a time), by MAC.
int runInventory(const Invocation& invocation, QTextStream& out, QTextStream& err);

} // namespace cli
