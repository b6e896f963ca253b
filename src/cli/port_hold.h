#pragma once

#include "cli/command_line.h"

#include <QTextStream>

namespace platform {
class PortLock;
}

namespace cli {

// Takes the port for the whole command, waiting for another program of the family up to
// --wait-ms. False, with the reason written to err, when that program still holds it.
bool holdPort(platform::PortLock& lock, const Invocation& invocation, QTextStream& err);

} // namespace cli
