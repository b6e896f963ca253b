#include "net/ipv4.h"

#include <QStringList>

namespace net {

quint32 ipTextToInt(const QString& text) {
    if (text.isEmpty())
        return kIpFailure;
    if (text == QLatin1String("0.0.0.0"))
        return 0;
    quint32 acc = 0;
    quint32 cur = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c >= u'0' && c <= u'9') {
            cur = cur * 10 + (c - u'0');
            if (cur > 255)
                return kIpFailure;
        } else if (c == u'.') {
            acc = acc * 256 + cur; // wraps modulo 2^32: leading octets are shifted out
            cur = 0;
        }
    }
    return acc * 256 + cur;
}

// Every answer's address is turned into text, thousands a second in a burst: the digits are
// written straight into the one string made.
QString intToIpText(quint32 value) {
    char16_t text[15];
    qsizetype length = 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned octet = (value >> shift) & 0xFF;
        if (octet >= 100)
            text[length++] = char16_t(u'0' + octet / 100);
        if (octet >= 10)
            text[length++] = char16_t(u'0' + octet / 10 % 10);
        text[length++] = char16_t(u'0' + octet % 10);
        if (shift > 0)
            text[length++] = u'.';
    }
    return QString(reinterpret_cast<const QChar*>(text), length);
}

QString ipTextFromBytes(std::span<const quint8> buffer, std::size_t offset) {
    quint32 value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t at = offset + i;
        value = (value << 8) | (at < buffer.size() ? buffer[at] : 0u);
    }
    return intToIpText(value);
}

namespace {

int digitValue(QChar ch, int base) {
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (base == 16 && c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (base == 16 && c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

} // namespace

std::optional<qint32> pieceToInt(const QString& piece) {
    int i = 0;
    const int n = int(piece.size());
    while (i < n && (piece[i] == u' ' || piece[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < n && (piece[i] == u'-' || piece[i] == u'+')) {
        negative = piece[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < n && (piece[i] == u'$' || piece[i] == u'x' || piece[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && piece[i] == u'0' && (piece[i + 1] == u'x' || piece[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return std::nullopt;
    qint64 value = 0;
    for (; i < n; ++i) {
        const int digit = digitValue(piece[i], base);
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > 0x80000000LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > 0x7FFFFFFFLL)
        return std::nullopt;
    return qint32(value);
}

bool isValidIpText(const QString& text) {
    if (text.isEmpty())
        return false;
    const QStringList pieces = text.split(u'.');
    if (pieces.size() != 4)
        return false;
    for (const QString& piece : pieces) {
        const auto value = pieceToInt(piece);
        if (!value || *value > 255)
            return false;
    }
    return ipTextToInt(text) != kIpFailure;
}

bool isLinkLocalIp(const QString& text) {
    const QStringList pieces = text.split(u'.');
    if (pieces.size() != 4)
        return false;
    if (pieces[0] != QLatin1String("169") || pieces[1] != QLatin1String("254"))
        return false;
    const auto third = pieceToInt(pieces[2]);
    const auto fourth = pieceToInt(pieces[3]);
    return third && fourth && *third >= 1 && *third <= 254 && *fourth >= 0 && *fourth <= 255;
}

bool isInSameSubnet(const QString& adapterIp, const QString& mask, const QString& deviceIp) {
    if (adapterIp.trimmed() == deviceIp.trimmed())
        return false;
    const QStringList adapter = adapterIp.split(u'.', Qt::SkipEmptyParts);
    const QStringList masks = mask.split(u'.', Qt::SkipEmptyParts);
    const QStringList device = deviceIp.split(u'.', Qt::SkipEmptyParts);
    // A text without four numeric pieces (typed adapter text, a device without a line)
    // is treated as "not in the subnet", which makes every caller fall back to broadcast.
    if (adapter.size() < 4 || masks.size() < 4 || device.size() < 4)
        return false;
    for (int k = 0; k < 4; ++k) {
        const auto a = pieceToInt(adapter[k]);
        const auto m = pieceToInt(masks[k]);
        const auto d = pieceToInt(device[k]);
        if (!a || !m || !d)
            return false;
        if ((*d & *m) != (*a & *m))
            return false;
    }
    return true;
}

} // namespace net
