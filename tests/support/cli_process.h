#pragma once

#include <QString>
#include <QStringList>

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

} // namespace testsupport
