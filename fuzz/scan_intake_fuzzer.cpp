// Any sequence of datagrams, taken in by the device engine during a scan, each engine with a
// device list that follows its events the way the main window's list does. One engine is
// handed the datagrams in batches and its list merges the new lines of each batch at its end;
// the other gets them one at a time and its list adds each line at once. Both lists must be
// the same, and so must both state logs (which give the rows lines take); each list stays
// sorted by its sort column, has one line per device showing that device's record, finds the
// first line of a MAC, and the duplicate marks describe the latest scan answer.
//
// Input: records of one kind byte and its operands.
//   kind % 4 == 0: a datagram: source selector, length (at most 64), the bytes
//   kind % 4 == 1: the batch ends here
//   kind % 4 == 2: the batch ends, and the header of column (operand % 9) is clicked
//   kind % 4 == 3: a datagram as for 0, from the address of the latest scan answer
// After the last record the scan period and the reads run out.
#include "core/engine/fake_clock.h"
#include "core/engine/fake_endpoint.h"
#include "core/engine/recording_log.h"

#include "engine/device_engine.h"
#include "protocol/frame.h"
#include "ui/model/device_table.h"

#include <QObject>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

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
// Long enough for the scan period and the reads of every device an input can list.
constexpr qint64 kRunOutMs = 3600 * 1000;

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}
    bool atEnd() const { return at >= size; }
    std::uint8_t byte() { return at < size ? data[at++] : 0; }
    QByteArray datagram() {
        const std::size_t length = std::min<std::size_t>(byte(), kLongestDatagram);
        QByteArray bytes;
        for (std::size_t i = 0; i < length; ++i)
            bytes.append(char(byte()));
        return bytes;
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

QString addressText(const engine::AddressField& field) {
    switch (field.state) {
    case engine::AddressState::Value:
        return field.text;
    case engine::AddressState::Searching:
        return QStringLiteral("searching...");
    case engine::AddressState::NotAvailable:
        return QStringLiteral("n/a");
    case engine::AddressState::NotConfigurable:
        return QStringLiteral("not configurable");
    case engine::AddressState::Empty:
        break;
    }
    return QString();
}

// A device's cells as the main window words them (untranslated); the last one is never shown.
ui::DeviceTable::Cells cellsOf(const engine::DeviceRecord& device) {
    return {device.ip,
            addressText(device.netmask),
            addressText(device.gateway),
            QString::number(int(device.dhcp)),
            QStringLiteral("not defined (%1)").arg(device.typeCode),
            device.revision,
            device.duplicateMark ? QStringLiteral("D") : QStringLiteral(" "),
            QString::number(int(device.restart)),
            QString()};
}

// The header clicks as the list takes them.
struct SortOrder {
    int column = 0;
    bool descending = false;

    void click(int clicked) {
        descending = clicked == column && !descending;
        column = clicked;
    }
};

// An engine scanning over a fake endpoint and clock, and its device list.
class ScanWithList {
public:
    explicit ScanWithList(bool batches) {
        engine::Events& events = deviceEngine.events();
        QObject::connect(&events, &engine::Events::devicesCleared, &context, [this] {
            lines.clear();
            lineOfDevice.clear();
        });
        if (batches) {
            QObject::connect(&events, &engine::Events::batchBegins, &context,
                             [this] { lines.beginBatch(); });
            QObject::connect(&events, &engine::Events::batchEnds, &context,
                             [this] { lines.endBatch(); });
        }
        QObject::connect(&events, &engine::Events::deviceAdded, &context,
                         [this](engine::DeviceId id) {
                             REQUIRE(std::size_t(id) == lineOfDevice.size());
                             const engine::DeviceRecord& device = deviceEngine.devices().at(id);
                             lineOfDevice.push_back(lines.addLine(device.mac, cellsOf(device)));
                         });
        QObject::connect(
            &events, &engine::Events::deviceChanged, &context, [this](engine::DeviceId id) {
                REQUIRE(std::size_t(id) < lineOfDevice.size());
                const ui::DeviceTable::Cells cells = cellsOf(deviceEngine.devices().at(id));
                for (int index = 0; index + 1 < ui::DeviceTable::kCellCount; ++index)
                    lines.setCell(lineOfDevice[std::size_t(id)], index, cells[std::size_t(index)]);
            });
        deviceEngine.setLineIndex(
            [this](engine::DeviceId id) { return lines.rowOf(lineOfDevice[std::size_t(id)]); });
        deviceEngine.startScan();
    }

    // Handed over together, as the receive thread hands over what it has read.
    void deliver(const std::vector<engine::ReceivedDatagram>& datagrams) {
        endpoint.deliver(datagrams);
        // The intake comes back for what one batch left.
        clock.advance(0);
    }
    void click(int column) {
        lines.columnClick(column);
        sortOrder.click(column);
    }
    void runOut() { clock.advance(kRunOutMs); }

    const ui::DeviceTable& list() const { return lines; }
    const engine::DeviceSet& devices() const { return deviceEngine.devices(); }
    const QStringList& log() const { return stateLog.lines; }

    // The latest scan answer: MAC and IP as the engine read them.
    void requireWellKept(const QString& lastMac, const QString& lastIp) const;

private:
    enginetest::FakeClock clock;
    enginetest::FakeEndpoint endpoint;
    enginetest::RecordingLog stateLog;
    engine::DeviceEngine deviceEngine{endpoint, clock, stateLog};
    ui::DeviceTable lines;
    std::vector<ui::DeviceLine*> lineOfDevice;
    SortOrder sortOrder;
    QObject context; // first to go, taking the connections with it
};

void ScanWithList::requireWellKept(const QString& lastMac, const QString& lastIp) const {
    REQUIRE(lines.count() == devices().count());
    REQUIRE(lines.rowCount() == lines.count());
    const auto key = [this](int row) {
        return sortOrder.column == 0 ? lines.caption(row) : lines.cell(row, sortOrder.column - 1);
    };
    for (int row = 1; row < lines.count(); ++row) {
        const int order = ui::DeviceTable::compareText(key(row - 1), key(row));
        REQUIRE((sortOrder.descending ? -order : order) <= 0);
    }
    bool shared = false;
    for (const engine::DeviceRecord& device : devices().all())
        shared = shared || (device.ip == lastIp && device.mac != lastMac);
    std::vector<bool> rowTaken(std::size_t(lines.count()), false);
    std::map<QString, int> firstRowOfMac;
    for (const engine::DeviceRecord& device : devices().all()) {
        const int row = lines.rowOf(lineOfDevice[std::size_t(device.id)]);
        REQUIRE(row >= 0 && row < lines.count() && !rowTaken[std::size_t(row)]);
        rowTaken[std::size_t(row)] = true;
        REQUIRE(lines.caption(row) == device.mac);
        const ui::DeviceTable::Cells cells = cellsOf(device);
        for (int index = 0; index < ui::DeviceTable::kCellCount; ++index)
            REQUIRE(lines.cell(row, index) == cells[std::size_t(index)]);
        const bool marked =
            !lastMac.isNull() && device.ip == lastIp && (device.mac != lastMac || shared);
        REQUIRE(device.duplicateMark == marked);
        const auto first = firstRowOfMac.find(device.mac);
        if (first == firstRowOfMac.end())
            firstRowOfMac.emplace(device.mac, row);
        else
            first->second = std::min(first->second, row);
    }
    for (const auto& macAndRow : firstRowOfMac)
        REQUIRE(lines.firstRowWithCaption(macAndRow.first) == macAndRow.second);
}

void requireSameLists(const ui::DeviceTable& batched, const ui::DeviceTable& single) {
    REQUIRE(batched.count() == single.count());
    for (int row = 0; row < single.count(); ++row) {
        REQUIRE(batched.caption(row) == single.caption(row));
        for (int index = 0; index < ui::DeviceTable::kCellCount; ++index)
            REQUIRE(batched.cell(row, index) == single.cell(row, index));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader input(data, size);
    ScanWithList batched(true);
    ScanWithList single(false);
    std::vector<engine::ReceivedDatagram> batch;
    QString lastMac;
    QString lastIp;
    const auto endBatch = [&] {
        batched.deliver(batch);
        batch.clear();
        requireSameLists(batched.list(), single.list());
        batched.requireWellKept(lastMac, lastIp);
        single.requireWellKept(lastMac, lastIp);
    };
    for (int record = 0; record < kMostRecords && !input.atEnd(); ++record) {
        const std::uint8_t kind = input.byte() % 4;
        if (kind == 1 || kind == 2) {
            endBatch();
            if (kind == 2) {
                const int column = input.byte() % ui::DeviceTable::kColumnCount;
                batched.click(column);
                single.click(column);
            }
            continue;
        }
        // A few senders, so that read answers find devices by their address.
        const QString pooled = QStringLiteral("10.0.0.%1").arg(input.byte() % 8);
        const engine::ReceivedDatagram datagram{input.datagram(),
                                                kind == 3 && !lastIp.isNull() ? lastIp : pooled};
        batch.push_back(datagram);
        single.deliver({datagram});
        if (datagram.bytes.size() >= 2 &&
            quint8(datagram.bytes[1]) == protocol::answerCode(protocol::dcScan)) {
            protocol::ReceiveBuffer buffer{};
            std::copy(datagram.bytes.cbegin(), datagram.bytes.cend(), buffer.begin());
            const protocol::ScanAnswer answer = protocol::decodeScanAnswer(buffer);
            lastMac = answer.mac;
            lastIp = answer.ip;
        }
    }
    endBatch();
    batched.runOut();
    single.runOut();
    requireSameLists(batched.list(), single.list());
    batched.requireWellKept(lastMac, lastIp);
    single.requireWellKept(lastMac, lastIp);
    REQUIRE(batched.log() == single.log());
    return 0;
}
