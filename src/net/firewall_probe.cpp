#include "net/firewall_probe.h"

#include "net/firewall_ruleset.h"

#include <QStandardPaths>

namespace net {

FirewallProbe::FirewallProbe(QObject* parent) : QObject(parent) {
    connect(&process, &QProcess::finished, this, [this] { finish(); });
    connect(&process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish();
    });
}

void FirewallProbe::start(const QString& name) {
    if (running) {
        running = false;
        process.kill();
        process.waitForFinished(500);
    }
    interfaceName = name;
    // nft lives in the administrator's folders, which an ordinary user's PATH lacks.
    QString nft = QStandardPaths::findExecutable(
        QStringLiteral("nft"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (nft.isEmpty())
        nft = QStandardPaths::findExecutable(QStringLiteral("nft"));
    running = true;
    if (nft.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [this] { finish(); }, Qt::QueuedConnection);
        return;
    }
    process.start(nft, {QStringLiteral("-j"), QStringLiteral("list"), QStringLiteral("ruleset")});
}

void FirewallProbe::waitForConclusion(int ms) {
    if (running && process.state() != QProcess::NotRunning && !process.waitForFinished(ms)) {
        process.kill();
        process.waitForFinished(500);
    }
    if (running)
        finish();
}

void FirewallProbe::finish() {
    if (!running)
        return;
    running = false;
    const bool read = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    const QByteArray ruleset = read ? process.readAllStandardOutput() : QByteArray();
    emit concluded(answerDropPoint(ruleset, interfaceName).value_or(QString()));
}

QString interfaceHolding(const tNetworkInterfaceList& interfaces, const QString& address) {
    for (const tNetworkInterface& interface : interfaces) {
        if (interface.AddrIP == address)
            return interface.InterfaceName;
    }
    return QString();
}

} // namespace net
