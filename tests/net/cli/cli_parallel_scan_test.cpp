// A scan whose short answers are read many devices at once, against the simulator.
#include "cli_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

namespace {

// Six older gateways, two of them sharing one address with different values, and one
// that never answers its reads.
constexpr const char* kDevices = R"(
[a]
mac = 02-20-00-00-00-01
ip = 127.0.0.31
netmask = 255.255.0.0
gateway = 127.0.0.1
layout = short17
[b]
mac = 02-20-00-00-00-02
ip = 127.0.0.32
netmask = 255.255.255.0
gateway = 127.0.0.2
layout = short18
[c]
mac = 02-20-00-00-00-03
ip = 127.0.0.33
netmask = 255.0.0.0
gateway = 127.0.0.3
layout = short17
[twin-a]
mac = 02-20-00-00-00-04
ip = 127.0.0.40
netmask = 255.255.240.0
gateway = 127.0.0.4
layout = short17
[twin-b]
mac = 02-20-00-00-00-05
ip = 127.0.0.40
netmask = 255.255.252.0
gateway = 127.0.0.5
layout = short18
[mute]
mac = 02-20-00-00-00-06
ip = 127.0.0.34
layout = short17
silent = reads
)";

} // namespace

class CliParallelScanTest : public CliFixture {};

TEST_F(CliParallelScanTest, EveryShortAnswerIsReadOnceAndSharedAddressesKeepTheirOwnValues) {
    start(kDevices);
    const testsupport::CliRun run = cli({"--timeout", "300", "--format", "json", "scan"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QMap<QString, QStringList> values;
    for (const QJsonValue& device : QJsonDocument::fromJson(run.out.toUtf8()).array())
        values[device["mac"].toString()] = {device["netmask"].toString(),
                                            device["gateway"].toString()};
    EXPECT_EQ(values, (QMap<QString, QStringList>{
                          {"02-20-00-00-00-01", {"255.255.0.0", "127.0.0.1"}},
                          {"02-20-00-00-00-02", {"255.255.255.0", "127.0.0.2"}},
                          {"02-20-00-00-00-03", {"255.0.0.0", "127.0.0.3"}},
                          {"02-20-00-00-00-04", {"255.255.240.0", "127.0.0.4"}},
                          {"02-20-00-00-00-05", {"255.255.252.0", "127.0.0.5"}},
                          {"02-20-00-00-00-06", {"", ""}},
                      }));
    // One netmask read per device, the silent one asked once more.
    QMap<QString, int> netmaskReads;
    for (const auto& record : received()) {
        if (record.bytes.size() == 9 && quint8(record.bytes[1]) == 0x05)
            ++netmaskReads[QString::fromLatin1(record.bytes.mid(2, 6).toHex('-').toUpper())];
    }
    EXPECT_EQ(netmaskReads, (QMap<QString, int>{{"02-20-00-00-00-01", 1},
                                                {"02-20-00-00-00-02", 1},
                                                {"02-20-00-00-00-03", 1},
                                                {"02-20-00-00-00-04", 1},
                                                {"02-20-00-00-00-05", 1},
                                                {"02-20-00-00-00-06", 2}}));
}
