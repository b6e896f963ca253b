#pragma once

namespace cli {

struct Workbench;

// After a scan no device answered: tells on standard error what may stop the answers, the
// firewall for certain where its ruleset can be read. Gives exit status 1, since a script
// that scans expects devices.
int reportNoAnswer(Workbench& bench);

} // namespace cli
