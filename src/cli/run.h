#pragma once

#include "cli/command_line.h"

#include <QTextStream>

namespace cli {

// Carries out a command: reads the plan, the settings the window left and the description
// file, binds the adapter, and runs the command on the device engine. Gives the exit status.
// programDir is the folder of the program, ending in "/".
int run(const Invocation& invocation, const QString& programDir, QTextStream& out,
        QTextStream& err);

} // namespace cli
