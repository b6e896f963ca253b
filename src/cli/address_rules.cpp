#include "cli/address_rules.h"

#include "net/ipv4.h"

#include <QStringList>

namespace cli {

namespace {

// Four decimal numbers of one to three digits, each at most 255, nothing else; the
// window's looser reading (signs, "$" hex) is no way to type an address into a shell.
std::optional<quint32> dottedValue(const QString& text) {
    const QStringList pieces = text.split(u'.');
    if (pieces.size() != 4)
        return std::nullopt;
    quint32 value = 0;
    for (const QString& piece : pieces) {
        if (piece.isEmpty() || piece.size() > 3)
            return std::nullopt;
        for (const QChar ch : piece) {
            if (ch < u'0' || ch > u'9')
                return std::nullopt;
        }
        const uint octet = piece.toUInt();
        if (octet > 255)
            return std::nullopt;
        value = value << 8 | octet;
    }
    return value;
}

Checked refused(const QString& what, const QString& text, const QString& why = QString()) {
    QString problem = QStringLiteral("%1 \"%2\"").arg(what, text);
    if (!why.isEmpty())
        problem += QStringLiteral(": ") + why;
    return Checked{std::nullopt, problem};
}

bool hexDigit(QChar ch) {
    return (ch >= u'0' && ch <= u'9') || (ch >= u'a' && ch <= u'f') || (ch >= u'A' && ch <= u'F');
}

Checked unicast(const QString& what, const QString& text) {
    const auto value = dottedValue(text.trimmed());
    if (!value)
        return refused(what, text, QStringLiteral("not a dotted IPv4 address"));
    const quint32 first = *value >> 24;
    if (first == 0)
        return refused(what, text, QStringLiteral("no host may take an address in 0.0.0.0/8"));
    if (first >= 224)
        return refused(what, text,
                       QStringLiteral("a multicast or reserved address, not a device's"));
    return Checked{net::intToIpText(*value), QString()};
}

} // namespace

Checked macAddress(const QString& text) {
    const QString mac = text.trimmed();
    bool wellFormed = mac.size() == 17;
    for (qsizetype i = 0; wellFormed && i < mac.size(); ++i) {
        wellFormed = i % 3 == 2 ? (mac[i] == u'-' || mac[i] == u':') : hexDigit(mac[i]);
    }
    if (!wellFormed)
        return refused(QStringLiteral("bad MAC address"), text,
                       QStringLiteral("six hexadecimal pairs joined by - or :"));
    QString canonical = mac.toUpper();
    canonical.replace(u':', u'-');
    return Checked{canonical, QString()};
}

Checked deviceAddress(const QString& text) {
    return unicast(QStringLiteral("bad IP address"), text);
}

Checked netmask(const QString& text) {
    const auto value = dottedValue(text.trimmed());
    if (!value)
        return refused(QStringLiteral("bad netmask"), text,
                       QStringLiteral("not a dotted IPv4 address"));
    const quint32 hostBits = ~*value;
    const bool contiguous = (hostBits & (hostBits + 1)) == 0;
    if (!contiguous || *value == 0 || hostBits == 0)
        return refused(QStringLiteral("bad netmask"), text,
                       QStringLiteral("1 to 31 leading one bits, such as 255.255.255.0"));
    return Checked{net::intToIpText(*value), QString()};
}

Checked gatewayAddress(const QString& text) {
    if (dottedValue(text.trimmed()) == 0u)
        return Checked{QStringLiteral("0.0.0.0"), QString()};
    return unicast(QStringLiteral("bad gateway address"), text);
}

Checked adapterAddress(const QString& text) {
    return unicast(QStringLiteral("bad adapter address"), text);
}

std::optional<bool> dhcpSwitch(const QString& text) {
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("on") || word == QLatin1String("active"))
        return true;
    if (word == QLatin1String("off") || word == QLatin1String("inactive"))
        return false;
    return std::nullopt;
}

} // namespace cli
