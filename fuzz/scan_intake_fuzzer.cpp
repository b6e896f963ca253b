// Any sequence of datagrams, entered into the device list the way the main window's intake
// enters scan, netmask and gateway answers, in batches and between header clicks. The list
// entered in batches must equal the list entered one answer at a time, stay sorted, keep one
// line per MAC and IP, find every line by its MAC and its IP, and mark duplicates by the
// latest scan answer.
//
// Input: records of one kind byte and its operands.
//   kind % 4 == 0: a datagram: source selector, length (at most 64), the bytes
//   kind % 4 == 1: the intake's batch ends here
//   kind % 4 == 2: a click on the header of column (operand % 9)
//   kind % 4 == 3: a datagram as for 0, from the address of the latest scan answer
#include "net/ipv4.h"
#include "protocol/frame.h"
#include "ui/model/device_table.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>

namespace {

// A broken promise ends the run, naming the promise.
#define REQUIRE(condition)                                                                         \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "broken: %s\n", #condition);                                      \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

constexpr std::size_t kLongestDatagram = 64;
constexpr int kMostRecords = 400;

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}
    bool atEnd() const { return at >= size; }
    std::uint8_t byte() { return at < size ? data[at++] : 0; }
    protocol::ReceiveBuffer datagram() {
        protocol::ReceiveBuffer buffer{};
        const std::size_t length = std::min<std::size_t>(byte(), kLongestDatagram);
        for (std::size_t i = 0; i < length; ++i)
            buffer[i] = byte();
        return buffer;
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

// What the intake writes into the list for one answer, as the main window writes it.
void enter(ui::DeviceTable& table, const protocol::ReceiveBuffer& buffer, const QString& sourceIp) {
    switch (buffer[1]) {
    case protocol::answerCode(protocol::dcScan): {
        const protocol::ScanAnswer answer = protocol::decodeScanAnswer(buffer);
        ui::DeviceLine* line = table.createLine(answer.mac, answer.ip);
        table.setCell(line, 4, QStringLiteral("not defined (%1)").arg(answer.deviceType));
        table.setCell(line, 5, answer.revision);
        if (!answer.carriesParams) {
            table.setCell(line, 1, QStringLiteral("searching..."));
            table.setCell(line, 2, QStringLiteral("searching..."));
            table.setCell(line, 3, QStringLiteral("n/a"));
            break;
        }
        table.setCell(line, 1, answer.netmask);
        table.setCell(line, 2, answer.gateway);
        table.setCell(line, 7, QStringLiteral("restartSupported"));
        table.setCell(line, 3, QString::number(answer.dhcpByte));
        break;
    }
    case protocol::answerCode(protocol::dcReadNetmask):
        table.setCellOfIp(sourceIp, 1, net::ipTextFromBytes(buffer, 2));
        break;
    case protocol::answerCode(protocol::dcReadGateway):
        table.setCellOfIp(sourceIp, 2, net::ipTextFromBytes(buffer, 2));
        break;
    default:
        break;
    }
}

void requireSameLists(const ui::DeviceTable& batched, const ui::DeviceTable& single) {
    REQUIRE(batched.count() == single.count());
    for (int row = 0; row < single.count(); ++row) {
        REQUIRE(batched.caption(row) == single.caption(row));
        for (int index = 0; index < ui::DeviceTable::kCellCount; ++index)
            REQUIRE(batched.cell(row, index) == single.cell(row, index));
    }
    REQUIRE(batched.rowCount() == batched.count());
}

void requireWellKept(const ui::DeviceTable& table, const QString& lastMac, const QString& lastIp) {
    const int sortIndex = table.sortedColumn() - 1;
    const auto key = [&](int row) {
        return sortIndex < 0 ? table.caption(row) : table.cell(row, sortIndex);
    };
    bool shared = false;
    std::set<std::pair<QString, QString>> devices;
    for (int row = 0; row < table.count(); ++row) {
        if (row > 0) {
            const int order = ui::DeviceTable::compareText(key(row - 1), key(row));
            REQUIRE((table.descending() ? -order : order) <= 0);
        }
        const QString& mac = table.caption(row);
        const QString& ip = table.cell(row, 0);
        REQUIRE(devices.insert({mac, ip}).second);
        const std::vector<int> withIp = table.rowsWithIp(ip);
        REQUIRE(std::find(withIp.begin(), withIp.end(), row) != withIp.end());
        const std::vector<int> withMac = table.rowsWithCaption(mac);
        REQUIRE(std::find(withMac.begin(), withMac.end(), row) != withMac.end());
        REQUIRE(table.firstRowWithCaption(mac) <= row && row <= table.lastRowWithCaption(mac));
        shared = shared || (ip == lastIp && mac != lastMac);
    }
    if (lastMac.isNull())
        return;
    for (int row = 0; row < table.count(); ++row) {
        const bool marked =
            table.cell(row, 0) == lastIp && (table.caption(row) != lastMac || shared);
        REQUIRE(table.cell(row, ui::DeviceTable::kDuplicateCell) ==
                (marked ? QLatin1String("D") : QLatin1String(" ")));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader input(data, size);
    ui::DeviceTable batched;
    ui::DeviceTable single;
    QString lastMac;
    QString lastIp;
    batched.beginBatch();
    for (int record = 0; record < kMostRecords && !input.atEnd(); ++record) {
        const std::uint8_t kind = input.byte() % 4;
        if (kind == 1) {
            batched.endBatch();
            requireSameLists(batched, single);
            requireWellKept(single, lastMac, lastIp);
            batched.beginBatch();
            continue;
        }
        if (kind == 2) {
            const int column = input.byte() % ui::DeviceTable::kColumnCount;
            batched.columnClick(column);
            single.columnClick(column);
            continue;
        }
        // A few senders, so that read answers find lines by their address.
        const QString pooled = QStringLiteral("10.0.0.%1").arg(input.byte() % 8);
        const protocol::ReceiveBuffer buffer = input.datagram();
        const QString sourceIp = kind == 3 && !lastIp.isNull() ? lastIp : pooled;
        enter(batched, buffer, sourceIp);
        enter(single, buffer, sourceIp);
        if (buffer[1] == protocol::answerCode(protocol::dcScan)) {
            lastMac = protocol::macTextFromBytes(buffer, 2);
            lastIp = net::ipTextFromBytes(buffer, 8);
        }
    }
    batched.endBatch();
    requireSameLists(batched, single);
    requireWellKept(single, lastMac, lastIp);
    return 0;
}
