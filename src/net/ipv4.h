#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <span>

namespace net {

// Returned by ipTextToInt for a text it cannot convert; also the value of 255.255.255.255.
constexpr quint32 kIpFailure = 0xFFFFFFFFu;

quint32 ipTextToInt(const QString& text);
QString intToIpText(quint32 value);
// Reads four bytes at offset; bytes outside the buffer read as zero.
QString ipTextFromBytes(std::span<const quint8> buffer, std::size_t offset);
bool isValidIpText(const QString& text);
bool isLinkLocalIp(const QString& text);
bool isInSameSubnet(const QString& adapterIp, const QString& mask, const QString& deviceIp);

// The whole-text integer conversion the address checks use for each dotted piece:
// optional leading blanks, an optional sign, then decimal digits, or hexadecimal digits
// after "$", "x" or "0x". Anything else, an empty text or a value outside 32 bits fails.
std::optional<qint32> pieceToInt(const QString& piece);

} // namespace net
