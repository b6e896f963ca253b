#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

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

// build/bin/torvane-cli running beside the test (a watch), with a fresh settings store;
// killed on destruction.
class CliProcess {
public:
    explicit CliProcess(const QStringList& arguments);
    ~CliProcess();

    // Reads its output until done(out) holds or the time is up; gives done(out).
    bool waitForOutput(const std::function<bool(const QString& out)>& done, int timeoutMs);
    // SIGTERM, then its end; gives its exit status (-1: it did not end by itself in time).
    int terminate(int timeoutMs);
    const QString& out() const { return outText; }
    const QString& err() const { return errText; }

private:
    void take();

    QTemporaryDir home;
    QProcess process;
    QString outText;
    QString errText;
};

} // namespace testsupport
