#pragma once

#include <string>

namespace testsupport {

// Runs a command line through /bin/sh (network set-up with `ip` inside the test's own
// namespace). True when it exits with 0.
bool runShell(const std::string& commandLine);

} // namespace testsupport
