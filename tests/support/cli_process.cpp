#include "support/cli_process.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <csignal>

namespace testsupport {

namespace {

// Waits for the run's end and takes what it wrote. A generous limit: a run of a plan of
// twenty devices takes about half a minute.
CliRun endOf(QProcess& process) {
    CliRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
    }
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

RunningCli::RunningCli(const QStringList& arguments, const QString& configHome) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       configHome.isEmpty() ? freshHome.path() : configHome);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TORVANE_BIN_DIR "/torvane-cli"), arguments);
    process.waitForStarted();
}

CliRun RunningCli::finish() {
    return endOf(process);
}

CliRun runCli(const QStringList& arguments, const QString& configHome) {
    return RunningCli(arguments, configHome).finish();
}

CliProcess::CliProcess(const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TORVANE_BIN_DIR "/torvane-cli"), arguments);
    process.waitForStarted();
}

CliProcess::~CliProcess() {
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
}

void CliProcess::take() {
    outText += QString::fromUtf8(process.readAllStandardOutput());
    errText += QString::fromUtf8(process.readAllStandardError());
}

bool CliProcess::waitForOutput(const std::function<bool(const QString& out)>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    take();
    while (!done(outText) && !deadline.hasExpired() && process.state() == QProcess::Running) {
        process.waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), 200)));
        take();
    }
    return done(outText);
}

int CliProcess::terminate(int timeoutMs) {
    process.terminate();
    const bool ended = process.waitForFinished(timeoutMs);
    take();
    return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

CliRun runCli(const QStringList& arguments, const QString& configHome, const QString& dataHome,
              const Interrupts& interrupts) {
    QTemporaryDir freshHome;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       configHome.isEmpty() ? freshHome.path() : configHome);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TORVANE_BIN_DIR "/torvane-cli"), arguments);
    QElapsedTimer running;
    running.start();
    for (int sent = 0; interrupts.when && sent < interrupts.count && running.elapsed() < 120000;) {
        if (process.waitForFinished(20))
            break;
        if (interrupts.when()) {
            kill(pid_t(process.processId()), SIGINT);
            ++sent;
        }
    }
    return endOf(process);
}

} // namespace testsupport
