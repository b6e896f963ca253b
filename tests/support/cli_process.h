#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testsupport {

struct CliRun {
    int exitCode = -1; // -1: it did not end by itself
    QString out;
    QString err;
};

// build/bin/torvane-cli started with these arguments in the test's own network namespace.
// Its settings store is a fresh one in a folder of its own unless configHome names another
// ($XDG_CONFIG_HOME).
class RunningCli {
public:
    explicit RunningCli(const QStringList& arguments, const QString& configHome = QString());
    qint64 pid() const { return process.processId(); }
    // Waits for its end.
    CliRun finish();

private:
    QTemporaryDir freshHome;
    QProcess process;
};

// Runs torvane-cli to its end, as RunningCli starts it.
CliRun runCli(const QStringList& arguments, const QString& configHome = QString());

} // namespace testsupport
