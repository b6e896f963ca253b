#pragma once

#include "cli/command_line.h"

#include <QTextStream>

namespace cli {

// Prints the change history, oldest first, of one device or of all; sends nothing.
int runHistory(const Invocation& invocation, QTextStream& out, QTextStream& err);

} // namespace cli
