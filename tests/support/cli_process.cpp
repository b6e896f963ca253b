#include "support/cli_process.h"

namespace testsupport {

RunningCli::RunningCli(const QStringList& arguments, const QString& configHome) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       configHome.isEmpty() ? freshHome.path() : configHome);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TORVANE_BIN_DIR "/torvane-cli"), arguments);
    process.waitForStarted();
}

CliRun RunningCli::finish() {
    CliRun run;
    // A generous limit: a run of a plan of twenty devices takes about half a minute.
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

CliRun runCli(const QStringList& arguments, const QString& configHome) {
    return RunningCli(arguments, configHome).finish();
}

} // namespace testsupport
