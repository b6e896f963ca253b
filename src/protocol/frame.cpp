#include "protocol/frame.h"

#include "net/ipv4.h"
#include "platform/code_page.h"

namespace protocol {

QByteArray buildFrame(quint8 command, const QByteArray& payload) {
    QByteArray frame;
    frame.reserve(payload.size() + 3);
    const quint8 length = quint8(1 + payload.size());
    quint8 sum = length;
    frame.append(char(length));
    frame.append(char(command));
    sum = quint8(sum + command);
    for (const char byte : payload) {
        frame.append(byte);
        sum = quint8(sum + quint8(byte));
    }
    frame.append(char(quint8(~sum)));
    return frame;
}

namespace {

int hexDigit(QChar ch) {
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

} // namespace

std::optional<QByteArray> macBytesFromText(const QString& macText) {
    if (macText.size() < 17)
        return std::nullopt;
    QByteArray bytes;
    for (int i = 0; i < 6; ++i) {
        const int high = hexDigit(macText[i * 3]);
        const int low = hexDigit(macText[i * 3 + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.append(char(high * 16 + low));
    }
    return bytes;
}

QString macTextFromBytes(const ReceiveBuffer& buffer, std::size_t offset) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    QString text(17, u'-');
    QChar* out = text.data();
    for (std::size_t i = 0; i < 6; ++i) {
        const std::size_t at = offset + i;
        const quint8 byte = at < buffer.size() ? buffer[at] : 0;
        out[i * 3] = kDigits[byte >> 4];
        out[i * 3 + 1] = kDigits[byte & 0x0F];
    }
    return text;
}

QByteArray addressBytes(const QString& dottedText) {
    const quint32 value = net::ipTextToInt(dottedText);
    QByteArray bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.append(char((value >> shift) & 0xFF));
    return bytes;
}

int deviceTypeCode(const ReceiveBuffer& answer) {
    int code = answer[12];
    if (answer[0] > 17)
        code += (answer[18] & 0x1B) * 256;
    return code;
}

QString revisionText(const ReceiveBuffer& answer) {
    QString text;
    for (std::size_t i = 13; i < 18; ++i)
        text.append(platform::eightBitChar(answer[i]));
    return text;
}

DhcpState dhcpStateOf(quint8 dhcpByte) {
    switch (dhcpByte) {
    case 16:
        return DhcpState::NotActive;
    case 17:
        return DhcpState::Active;
    default:
        return DhcpState::NotSupported;
    }
}

ScanAnswer decodeScanAnswer(const ReceiveBuffer& answer) {
    ScanAnswer decoded;
    decoded.length = answer[0];
    decoded.mac = macTextFromBytes(answer, 2);
    decoded.ip = net::ipTextFromBytes(answer, 8);
    decoded.deviceType = deviceTypeCode(answer);
    decoded.revision = revisionText(answer);
    decoded.carriesParams = decoded.length >= 19;
    if (decoded.carriesParams) {
        decoded.dhcpByte = answer[19];
        decoded.netmask = net::ipTextFromBytes(answer, 20);
        decoded.gateway = net::ipTextFromBytes(answer, 24);
    }
    return decoded;
}

QString frameAsCharacters(const QByteArray& frame) {
    return platform::decodeEightBit(frame);
}

QString frameAsHex(const QByteArray& frame) {
    return QString::fromLatin1(frame.toHex(' ').toUpper());
}

} // namespace protocol
