#pragma once

#include <QByteArray>
#include <QString>

namespace testsupport {

// Answers as devices send them, for tests that play the device themselves.
struct ScanAnswerFields {
    QString mac = QStringLiteral("02-11-22-33-44-55");
    QString ip = QStringLiteral("127.0.0.5");
    int deviceType = 0x0101;
    QByteArray revision = "V1.05";
    int length = 27; // N: 27 full, 17 or 18 short
    quint8 dhcpByte = 0x10;
    QString netmask = QStringLiteral("255.0.0.0");
    QString gateway = QStringLiteral("127.0.0.254");
};

QByteArray scanAnswerFrame(const ScanAnswerFields& fields);
// 85 / 87 with four address bytes.
QByteArray readAnswerFrame(quint8 code, const QString& address);
// An answer carrying one status byte (82, 83, 84, 8C), or only its code (86, 88, 89, 8A).
QByteArray statusAnswerFrame(quint8 code, quint8 status);

} // namespace testsupport
