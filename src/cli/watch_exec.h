#pragma once

#include <QString>

namespace cli {

// Runs command with /bin/sh for one event of a watch: the event's JSON on its standard
// input, TORVANE_EVENT, TORVANE_MAC and TORVANE_IP in its environment, its standard output
// discarded and its standard error the watch's own. A command still running after timeoutMs
// is killed with every process it started. Gives what went wrong, empty when it exited 0.
QString runEventCommand(const QString& command, const QString& eventJson, const QString& event,
                        const QString& mac, const QString& ip, int timeoutMs);

} // namespace cli
