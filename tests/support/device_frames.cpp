#include "support/device_frames.h"

#include "protocol/frame.h"

namespace testsupport {

QByteArray scanAnswerFrame(const ScanAnswerFields& fields) {
    QByteArray payload = *protocol::macBytesFromText(fields.mac);
    payload += protocol::addressBytes(fields.ip);
    payload += char(fields.deviceType & 0xFF);
    payload += fields.revision.leftJustified(5, ' ', true);
    if (fields.length >= 18)
        payload += char((fields.deviceType >> 8) & 0xFF);
    if (fields.length >= 27) {
        payload += char(fields.dhcpByte);
        payload += protocol::addressBytes(fields.netmask);
        payload += protocol::addressBytes(fields.gateway);
    }
    return protocol::buildFrame(0x81, payload);
}

QByteArray readAnswerFrame(quint8 code, const QString& address) {
    return protocol::buildFrame(code, protocol::addressBytes(address));
}

QByteArray statusAnswerFrame(quint8 code, quint8 status) {
    return protocol::buildFrame(code, QByteArray(1, char(status)));
}

} // namespace testsupport
