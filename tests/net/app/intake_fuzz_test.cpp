// Thousands of random, truncated and malformed datagrams of every answer code, sent from
// devices on loopback to a scanning main window: it must take them all in without failing,
// and its device list must stay well-formed throughout.
#include "support/device_frames.h"
#include "support/event_pump.h"
#include "support/form_fixture.h"
#include "support/loopback_devices.h"

#include "protocol/frame.h"
#include "ui/model/device_table.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <random>

using namespace testsupport;

namespace {

const QByteArray kScanRequest = QByteArray::fromHex("0101FD");
const QString kLastMac = QStringLiteral("02-FF-FF-FF-FF-FE");
const QString kLastIp = QStringLiteral("127.0.0.250");
constexpr int kDatagramsPerCode = 150;
constexpr int kLongestDatagram = 1600;

class DatagramMaker {
public:
    explicit DatagramMaker(std::uint32_t seed) : random(seed) {}

    int below(int bound) { return int(random() % std::uint32_t(bound)); }
    quint8 byte() { return quint8(random()); }

    // Devices whose lines the answers without a MAC can find.
    QString listedAddress() { return QStringLiteral("127.0.0.%1").arg(10 + below(20)); }
    // Addresses no line shows: answers from there change nothing but still run the intake.
    QString strayAddress() { return QStringLiteral("127.0.1.%1").arg(1 + below(200)); }

    QByteArray randomBytes(int length) {
        QByteArray bytes(length, '\0');
        for (char& b : bytes)
            b = char(byte());
        return bytes;
    }

    QByteArray wellFormed(quint8 code) {
        switch (code) {
        case 0x81: {
            ScanAnswerFields fields;
            fields.mac =
                QStringLiteral("02-00-00-00-00-%1").arg(below(40), 2, 10, QLatin1Char('0'));
            fields.ip = listedAddress();
            fields.deviceType = below(0x10000);
            fields.revision = randomBytes(5);
            fields.length = std::array{17, 18, 19, 27}[std::size_t(below(4))];
            fields.dhcpByte = byte();
            return scanAnswerFrame(fields);
        }
        case 0x85:
        case 0x87:
            return readAnswerFrame(code, QStringLiteral("255.255.%1.0").arg(below(256)));
        default:
            return statusAnswerFrame(code, quint8(below(4)));
        }
    }

    // One of: random bytes under the code, a well-formed answer cut short, a well-formed
    // answer with garbage behind it, or one whose length byte and checksum lie.
    QByteArray datagram(quint8 code) {
        switch (below(4)) {
        case 0: {
            QByteArray bytes = randomBytes(below(kLongestDatagram + 1));
            if (bytes.size() > 1)
                bytes[1] = char(code);
            return bytes;
        }
        case 1: {
            const QByteArray whole = wellFormed(code);
            return whole.left(below(int(whole.size()) + 1));
        }
        case 2:
            return wellFormed(code) + randomBytes(below(kLongestDatagram));
        default: {
            QByteArray bytes = wellFormed(code);
            bytes[0] = char(byte());
            bytes[bytes.size() - 1] = char(byte());
            return bytes;
        }
        }
    }

private:
    std::mt19937 random;
};

bool isMacText(const QString& text) {
    static const QRegularExpression mac(QStringLiteral("^[0-9A-F]{2}(-[0-9A-F]{2}){5}$"));
    return mac.match(text).hasMatch();
}

// Four decimal octets without leading zeros, joined by dots.
bool isDottedText(const QString& text) {
    static const QRegularExpression dotted(
        QStringLiteral("^(0|[1-9][0-9]{0,2})(\\.(0|[1-9][0-9]{0,2})){3}$"));
    if (!dotted.match(text).hasMatch())
        return false;
    for (const QString& octet : text.split(u'.')) {
        if (octet.toInt() > 255)
            return false;
    }
    return true;
}

void expectWellFormedList(app::TForm1& form) {
    const ui::DeviceTable& lines = form.deviceList();
    const QSet<QString> dhcpTexts{form.stateTexts().dhcpActive, form.stateTexts().dhcpNotActive,
                                  form.stateTexts().dhcpNotSupported,
                                  form.stateTexts().notAvailableShort};
    const QSet<QString> missingAddressTexts{form.stateTexts().searching,
                                            form.stateTexts().notAvailable,
                                            form.stateTexts().notConfigurable};
    QSet<QString> devices;
    QSet<QString> macs;
    for (int row = 0; row < lines.count(); ++row) {
        SCOPED_TRACE(QStringLiteral("line %1: %2").arg(row).arg(lines.caption(row)).toStdString());
        const QString& mac = lines.caption(row);
        EXPECT_TRUE(isMacText(mac));
        EXPECT_TRUE(isDottedText(lines.cell(row, 0))) << lines.cell(row, 0).toStdString();
        for (const int address : {1, 2}) {
            const QString& text = lines.cell(row, address);
            EXPECT_TRUE(isDottedText(text) || missingAddressTexts.contains(text))
                << text.toStdString();
        }
        EXPECT_TRUE(dhcpTexts.contains(lines.cell(row, 3))) << lines.cell(row, 3).toStdString();
        EXPECT_FALSE(lines.cell(row, 4).isEmpty());
        EXPECT_EQ(lines.cell(row, 5).size(), 5);
        EXPECT_TRUE(lines.cell(row, 6) == QLatin1String(" ") ||
                    lines.cell(row, 6) == QLatin1String("D"));
        const QString& restart = lines.cell(row, 7);
        EXPECT_TRUE(restart.isEmpty() || restart == QLatin1String("restartSupported") ||
                    restart == QLatin1String("restartNOTSupported"));
        EXPECT_TRUE(lines.cell(row, 8).isEmpty());
        // One line per device; the look-up by MAC finds the first line of each.
        EXPECT_FALSE(devices.contains(mac + u' ' + lines.cell(row, 0)));
        devices.insert(mac + u' ' + lines.cell(row, 0));
        if (!macs.contains(mac)) {
            macs.insert(mac);
            EXPECT_EQ(lines.firstRowWithCaption(mac), row);
        }
        // Before any header click the list is in MAC order.
        if (row > 0) {
            EXPECT_LE(ui::DeviceTable::compareText(lines.caption(row - 1), mac), 0);
        }
    }
}

} // namespace

TEST(IntakeFuzz, RandomTruncatedAndLyingAnswersOfEveryCodeLeaveAWellFormedList) {
    FormFixture::Options options;
    // The scan stays open for the whole test, and no query tick closes the endpoint early.
    options.timerSection = QStringLiteral("TimerScan=600000\nTimerSetParam=200\n"
                                          "TimerGetParams=600000\n");
    FormFixture f(options);
    LoopbackDevices devices;
    f.activate();
    ASSERT_TRUE(devices.waitFor(kScanRequest));

    std::vector<quint8> codes;
    for (quint8 code = 0x81; code <= 0x8C; ++code)
        codes.push_back(code);
    for (const quint8 other : {0x00, 0x01, 0x05, 0x7F, 0x80, 0x8D, 0x91, 0xC1, 0xFF})
        codes.push_back(other);

    DatagramMaker maker(20240611);
    int sent = 0;
    for (int round = 0; round < kDatagramsPerCode; ++round) {
        for (const quint8 code : codes) {
            // A confirmed change waits 200 ms for each line of its sender, so only a few of
            // them come from listed devices.
            const bool change = code >= 0x82 && code <= 0x8C && code != 0x85 && code != 0x87 &&
                                code != 0x84 && code != 0x8B;
            const bool fromListed = !change || maker.below(100) == 0;
            const QString source = fromListed ? maker.listedAddress() : maker.strayAddress();
            ASSERT_TRUE(devices.send({source, maker.datagram(code)}));
            ++sent;
        }
        pumpRounds(3);
        expectWellFormedList(f.form());
    }
    EXPECT_EQ(sent, kDatagramsPerCode * int(codes.size()));

    // Datagrams are taken in order: once the last answer is listed, all have been read.
    ScanAnswerFields last;
    last.mac = kLastMac;
    last.ip = kLastIp;
    ASSERT_TRUE(devices.send({kLastIp, scanAnswerFrame(last)}));
    ASSERT_TRUE(pumpUntil([&] { return f.form().deviceList().firstRowWithCaption(kLastMac) >= 0; },
                          120000));
    expectWellFormedList(f.form());
    EXPECT_GT(f.form().deviceList().count(), 40);
}
