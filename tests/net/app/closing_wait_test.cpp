// The closing wait takes in late answers, also when the answer that ended the operation is
// what started the close.
#include "device_bench.h"

#include "support/event_pump.h"

#include "ui/model/device_table.h"

#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

using namespace testsupport;

namespace {

const QString kMac = QStringLiteral("00-11-22-33-44-55");
const QString kDeviceIp = QStringLiteral("127.0.0.5");

} // namespace

TEST(ClosingWait, AnAnswerArrivingWhileAConfirmedChangeClosesIsTakenIn) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({ScanAnswerFields{.mac = kMac, .ip = kDeviceIp}});
    bench.load(kMac);
    parts.EditGatewayAddr->setText("127.0.0.200");

    // The device confirms both requests; a moment after the last confirmation, while the
    // program waits before closing, another gateway's late scan answer comes in.
    ScriptedDevice scripted{.mac = kMac, .ip = kDeviceIp};
    ScanAnswerFields late{.mac = "02-00-00-00-00-77", .ip = "127.0.0.77"};
    bench.devices.answerBy([&](const UdpPeer::Datagram& request) {
        auto answers = scripted(request);
        if (request.bytes.size() > 1 && quint8(request.bytes[1]) == 0x08)
            QTimer::singleShot(300, [&] { bench.devices.send({late.ip, scanAnswerFrame(late)}); });
        return answers;
    });
    const int closes = bench.f.closeCount();
    form.actChangeIPConfigExecute();
    ASSERT_TRUE(pumpUntil([&] { return bench.f.closeCount() > closes; }, 20000));

    EXPECT_EQ(bench.cell(kMac, 2), "127.0.0.200");
    EXPECT_TRUE(bench.statusIs("Operation_finished"));
    EXPECT_GE(bench.rowOf(late.mac), 0);
    // Taken in before the change's close, the last one.
    const QStringList& lines = bench.f.log.lines();
    const auto lateAnswer = std::find(lines.begin(), lines.end(),
                                      QStringLiteral("MsgLen von  127.0.0.77 vor entscheidung 27"));
    const auto closed = std::find_if(lines.rbegin(), lines.rend(), [](const QString& line) {
                            return line.contains(QLatin1String("CloseSocket closed"));
                        }).base();
    EXPECT_LT(lateAnswer, closed);
    EXPECT_FALSE(form.socketOpen());
}
