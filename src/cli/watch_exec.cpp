#include "cli/watch_exec.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <csignal>
#include <unistd.h>

namespace cli {

QString runEventCommand(const QString& command, const QString& eventJson, const QString& event,
                        const QString& mac, const QString& ip, int timeoutMs) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TORVANE_EVENT"), event);
    environment.insert(QStringLiteral("TORVANE_MAC"), mac);
    environment.insert(QStringLiteral("TORVANE_IP"), ip);
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A group of its own, so that a command that hangs is stopped with whatever it started.
    process.setChildProcessModifier([] { setpgid(0, 0); });
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    if (!process.waitForStarted(timeoutMs))
        return QStringLiteral("cannot be started: ") + process.errorString();
    process.write(eventJson.toUtf8() + '\n');
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        ::kill(-pid_t(process.processId()), SIGKILL);
        process.waitForFinished(1000);
        return QStringLiteral("did not end within %1 s and was stopped").arg(timeoutMs / 1000.0);
    }
    if (process.exitStatus() == QProcess::CrashExit)
        return QStringLiteral("was ended by a signal");
    if (process.exitCode() != 0)
        return QStringLiteral("exited with status %1").arg(process.exitCode());
    return QString();
}

} // namespace cli
