#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

#include <functional>

namespace testsupport {

struct CliRun {
    int exitCode = -1; // -1: it did not end by itself
    QString out;
    QString err;
};

// Runs build/bin/torvane-cli with these arguments in the test's own network namespace and
// waits for its end. Its settings store and its change history are fresh ones in folders of
// their own unless configHome ($XDG_CONFIG_HOME) or dataHome ($XDG_DATA_HOME) name others.
// interruptWhen, asked while it runs, sends it SIGINT each time it first holds, at most
// `interrupts` times.
struct Interrupts {
    std::function<bool()> when;
    int count = 1;
};
CliRun runCli(const QStringList& arguments, const QString& configHome = QString(),
              const QString& dataHome = QString(), const Interrupts& interrupts = {});

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
