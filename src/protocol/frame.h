#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace protocol {

constexpr quint16 kDevicePort = 55808;
inline const QString kLimitedBroadcast = QStringLiteral("255.255.255.255");
constexpr std::size_t kReceiveBufferSize = 1501;

// Every datagram is received into a zero-filled buffer of this size, so a decoder that
// reads past the received bytes reads zeros and never outside the buffer.
using ReceiveBuffer = std::array<quint8, kReceiveBufferSize>;

enum TDeviceCommand : quint8 {
    dcScan = 0x01,
    dcSetIpPermanent = 0x02,
    dcSetIpTemporary = 0x03,
    dcBlink = 0x04,
    dcReadNetmask = 0x05,
    dcSetNetmaskPermanent = 0x06,
    dcReadGateway = 0x07,
    dcSetGatewayPermanent = 0x08,
    dcSetNetmaskTemporary = 0x09,
    dcSetGatewayTemporary = 0x0A,
    dcRestart = 0x0B,
    dcSetDhcp = 0x0C,
};

constexpr quint8 answerCode(TDeviceCommand command) {
    return quint8(command | 0x80);
}

enum TSetAddrType { atIP, atNetmask, atGateway, atDhcp };

enum class DhcpState { NotSupported, NotActive, Active };

// N, the code, the payload, the complement of the 8-bit sum of everything before it.
QByteArray buildFrame(quint8 command, const QByteArray& payload);
// The six bytes of a "XX-XX-XX-XX-XX-XX" text; nothing when a pair is not hexadecimal or
// the text is too short. The separators are not examined.
std::optional<QByteArray> macBytesFromText(const QString& macText);
QString macTextFromBytes(const ReceiveBuffer& buffer, std::size_t offset);
QByteArray addressBytes(const QString& dottedText);

// Fields of a scan answer (code 0x81).
int deviceTypeCode(const ReceiveBuffer& answer);
QString revisionText(const ReceiveBuffer& answer);
DhcpState dhcpStateOf(quint8 dhcpByte);

struct ScanAnswer {
    quint8 length = 0; // N
    QString mac;
    QString ip;
    int deviceType = 0;
    QString revision;
    bool carriesParams = false; // N >= 19: DHCP byte, netmask and gateway present
    quint8 dhcpByte = 0;
    QString netmask;
    QString gateway;
};
ScanAnswer decodeScanAnswer(const ReceiveBuffer& answer);

// A frame's bytes as 8-bit characters, the form the log shows them in.
QString frameAsCharacters(const QByteArray& frame);
// "01 01 FD"
QString frameAsHex(const QByteArray& frame);

} // namespace protocol
