// Any datagram, decoded the way the intake decodes each answer code. The decoders must never
// read outside the receive buffer and must always give texts of the forms the list shows.
#include "net/ipv4.h"
#include "protocol/frame.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QStringList>

namespace {

// A broken promise ends the run, naming the promise.
#define REQUIRE(condition)                                                                         \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "broken: %s\n", #condition);                                      \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

bool isMacText(const QString& text) {
    if (text.size() != 17)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (i % 3 == 2) {
            if (c != u'-')
                return false;
        } else if (!c.isDigit() && !(c >= u'A' && c <= u'F')) {
            return false;
        }
    }
    return true;
}

// Four decimal octets without leading zeros, joined by dots.
bool isDottedText(const QString& text) {
    const QStringList octets = text.split(u'.');
    if (octets.size() != 4)
        return false;
    for (const QString& octet : octets) {
        bool number = false;
        const int value = octet.toInt(&number);
        if (!number || value < 0 || value > 255 || octet != QString::number(value))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    protocol::ReceiveBuffer buffer{};
    std::memcpy(buffer.data(), data, std::min(size, buffer.size()));

    switch (buffer[1]) {
    case protocol::answerCode(protocol::dcScan): {
        const protocol::ScanAnswer answer = protocol::decodeScanAnswer(buffer);
        REQUIRE(answer.length == buffer[0]);
        REQUIRE(isMacText(answer.mac));
        const auto macBytes = protocol::macBytesFromText(answer.mac);
        REQUIRE(macBytes && macBytes->size() == 6);
        for (int i = 0; i < 6; ++i)
            REQUIRE(quint8(macBytes->at(i)) == buffer[std::size_t(2 + i)]);
        REQUIRE(isDottedText(answer.ip));
        REQUIRE(answer.deviceType >= 0 && answer.deviceType <= 0x1BFF);
        REQUIRE(answer.deviceType == protocol::deviceTypeCode(buffer));
        REQUIRE(answer.revision.size() == 5 && answer.revision == protocol::revisionText(buffer));
        REQUIRE(answer.carriesParams == (answer.length >= 19));
        if (answer.carriesParams) {
            REQUIRE(answer.dhcpByte == buffer[19]);
            REQUIRE(isDottedText(answer.netmask) && isDottedText(answer.gateway));
        }
        protocol::dhcpStateOf(answer.dhcpByte);
        break;
    }
    case protocol::answerCode(protocol::dcReadNetmask):
    case protocol::answerCode(protocol::dcReadGateway):
        REQUIRE(isDottedText(net::ipTextFromBytes(buffer, 2)));
        break;
    default:
        // Status answers read one byte at offset 2; everything else is dropped. The log
        // shows any frame as characters and as hex, whatever its bytes.
        protocol::frameAsCharacters(QByteArray(reinterpret_cast<const char*>(buffer.data()),
                                               qsizetype(std::min(size, buffer.size()))));
        break;
    }
    protocol::frameAsHex(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
