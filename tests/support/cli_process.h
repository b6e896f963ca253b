#pragma once

#include <QString>
#include <QStringList>

namespace testsupport {

struct CliRun {
    int exitCode = -1; // -1: it did not end by itself
    QString out;
    QString err;
};

// Runs build/bin/torvane-cli with these arguments in the test's own network namespace and
// waits for its end. Its settings store is a fresh one in a folder of its own unless
// configHome names another ($XDG_CONFIG_HOME).
CliRun runCli(const QStringList& arguments, const QString& configHome = QString());

} // namespace testsupport
