// The changes of several devices at once, each with its own requests in order.
#include "engine_bench.h"

#include "engine/change_scheduler.h"
#include "engine/endpoint_session.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace enginetest;
using engine::ChangeEnd;

namespace {

constexpr int kTimeout = 1000;
constexpr int kStep = engine::ChangeTransaction::kStepMs;

QString macOf(int n) {
    return QStringLiteral("02-00-00-00-00-0%1").arg(n);
}

// Devices 1 to 4 at 192.168.0.11 to .14, netmask 255.255.255.0, DHCP off.
struct SchedulerBench : EngineBench {
    SchedulerBench() {
        std::vector<testsupport::ScanAnswerFields> answers;
        for (int n = 1; n <= 4; ++n)
            answers.push_back({.mac = macOf(n),
                               .ip = QStringLiteral("192.168.0.1%1").arg(n),
                               .netmask = "255.255.255.0",
                               .gateway = "192.168.0.1"});
        scan(answers);
        runUntilIdle();
        mark = sentCount();
        journal.sentBase = mark;
        engine.setParallelChanges(32, kTimeout);
    }

    engine::ChangeRequest to(int n, const QString& ip, const QString& netmask) const {
        const engine::DeviceRecord& record = device(macOf(n));
        return {record.id,
                record.mac,
                ip,
                engine::AddressInput::typed(netmask),
                engine::AddressInput::typed(record.gateway.text),
                false,
                true};
    }
    void run(const std::vector<engine::ChangeRequest>& requests) {
        engine.changeMany(requests, {{}, {}, [this](std::size_t change, const ChangeEnd& end) {
                                         ends[change] = end.kind;
                                         unconfirmed[change] = end.unconfirmed;
                                         values[change] = end.values;
                                     }});
    }
    // The device of this MAC answers its request sent last, from this address.
    void confirm(int n, const QString& from) {
        for (auto sent = endpoint.sent.rbegin(); sent != endpoint.sent.rend(); ++sent) {
            if (sent->frame.mid(2, 6).toHex('-').toUpper() == macOf(n).toLatin1()) {
                answer(from, testsupport::statusAnswerFrame(quint8(sent->frame[1]) | 0x80, 0));
                return;
            }
        }
    }
    // The request codes sent from the mark on, with the device's number: "3:1" is a
    // temporary IP change of device 1.
    QStringList sentSince() const {
        QStringList codes;
        for (const QByteArray& frame : framesSince(mark))
            codes << QStringLiteral("%1:%2").arg(quint8(frame[1])).arg(frame.mid(7, 1).toHex());
        return codes;
    }

    std::size_t mark = 0;
    std::map<std::size_t, ChangeEnd::Kind> ends;
    std::map<std::size_t, QByteArray> unconfirmed;
    std::map<std::size_t, std::array<std::optional<engine::ValueOutcome>, 4>> values;
};

} // namespace

TEST(ChangeScheduler, ChangesOfSeveralDevicesInterleaveAndEachKeepsItsOrder) {
    SchedulerBench bench;
    bench.run({bench.to(1, "192.168.0.21", "255.255.0.0"),
               bench.to(2, "192.168.0.22", "255.255.0.0"),
               bench.to(3, "192.168.0.13", "255.255.0.0")});
    EXPECT_EQ(bench.sentSince(), (QStringList{"3:01", "3:02", "9:03"}));
    // Each device confirms from its new address, in another order than they were asked.
    bench.confirm(3, "192.168.0.13");
    bench.confirm(1, "192.168.0.21");
    bench.clock.advance(kStep);
    bench.confirm(2, "192.168.0.22");
    EXPECT_EQ(bench.sentSince(), (QStringList{"3:01", "3:02", "9:03", "6:03", "2:01"}));
    for (int round = 0; round < 4; ++round) {
        bench.clock.advance(kStep);
        for (int n = 1; n <= 3; ++n)
            bench.confirm(n, n == 3 ? "192.168.0.13" : QStringLiteral("192.168.0.2%1").arg(n));
    }
    bench.runUntilIdle();
    QStringList ofDevice1;
    for (const QString& code : bench.sentSince()) {
        if (code.endsWith(":01"))
            ofDevice1 << code;
    }
    EXPECT_EQ(ofDevice1, (QStringList{"3:01", "2:01", "9:01", "6:01"}));
    EXPECT_EQ(bench.ends, (std::map<std::size_t, ChangeEnd::Kind>{{0, ChangeEnd::Kind::Done},
                                                                  {1, ChangeEnd::Kind::Done},
                                                                  {2, ChangeEnd::Kind::Done}}));
    EXPECT_EQ(bench.device(macOf(2)).ip, "192.168.0.22");
    EXPECT_EQ(bench.device(macOf(2)).netmask.text, "255.255.0.0");
    EXPECT_FALSE(bench.engine.endpointOpen());
    EXPECT_EQ(bench.events.matching("closed").size(), 2u); // the scan's and the run's
}

TEST(ChangeScheduler, AnAnswerGoesOnlyToTheDeviceWaitingForItsCodeAtItsAddress) {
    SchedulerBench bench;
    // Device 2 takes device 3's address, so device 3 moves first; device 1 runs beside.
    bench.run({bench.to(3, "192.168.0.33", "255.255.255.0"),
               bench.to(2, "192.168.0.13", "255.255.255.0"),
               bench.to(1, "192.168.0.31", "255.255.255.0")});
    EXPECT_EQ(bench.sentSince(), (QStringList{"3:03", "3:01"}));
    // Both wait for 83; the one from device 1's new address moves device 1 alone.
    bench.confirm(1, "192.168.0.31");
    bench.clock.advance(kStep);
    EXPECT_EQ(bench.sentSince(), (QStringList{"3:03", "3:01", "2:01"}));
    // A netmask answer nobody waits for, from device 3's address, changes nothing.
    bench.answer("192.168.0.13", testsupport::statusAnswerFrame(0x89, 0));
    EXPECT_TRUE(
        bench.log.contains("Change answer 89 from 192.168.0.13 that no change waits for, ignored"));
    bench.clock.advance(kStep);
    EXPECT_EQ(bench.sentSince().size(), 3);
    bench.confirm(3, "192.168.0.33");
    bench.clock.advance(kStep);
    bench.confirm(3, "192.168.0.33");
    EXPECT_EQ(bench.sentSince().size(), 4);
    bench.clock.advance(kStep);
    // Device 2 starts only once device 3's change has ended.
    EXPECT_EQ(bench.sentSince().size(), 5);
    EXPECT_EQ(bench.sentSince().last(), "3:02");
    bench.clock.advance(kTimeout);
    EXPECT_EQ(bench.ends[0], ChangeEnd::Kind::Done);
    // Devices 1 and 2 never confirmed their last request: each timed out on its own.
    EXPECT_EQ(bench.ends[1], ChangeEnd::Kind::Timeout);
    EXPECT_EQ(bench.ends[2], ChangeEnd::Kind::Timeout);
    EXPECT_EQ(bench.unconfirmed[2], addressRequest(0x02, macOf(1), "192.168.0.31"));
    bench.runUntilIdle();
    EXPECT_FALSE(bench.engine.endpointOpen());
}

// Whatever cuts a change off, its end and the journal tell what became of the value under
// way, and that the value after it was never sent.
TEST(ChangeScheduler, AChangeCutOffRecordsItsValueUnderWayAndTheRestAsNotSent) {
    using engine::ValueOutcome;
    const struct {
        std::function<void(SchedulerBench&)> cutOff;
        ChangeEnd::Kind kind;
        ValueOutcome ip;
    } cases[] = {
        {[](SchedulerBench& bench) { bench.clock.advance(kTimeout); }, ChangeEnd::Kind::Timeout,
         ValueOutcome::Timeout},
        {[](SchedulerBench& bench) {
             bench.answer("192.168.0.11", testsupport::statusAnswerFrame(0x83, 1));
         },
         ChangeEnd::Kind::Refused, ValueOutcome::Refused},
        {[](SchedulerBench& bench) { bench.engine.interruptChanges(); },
         ChangeEnd::Kind::Interrupted, ValueOutcome::Interrupted},
    };
    for (const auto& cut : cases) {
        SchedulerBench bench;
        bench.run({bench.to(1, "192.168.0.21", "255.255.0.0")});
        cut.cutOff(bench);
        const QString outcome = engine::outcomeKey(cut.ip);
        EXPECT_EQ(bench.ends[0], cut.kind) << outcome.toStdString();
        EXPECT_EQ(bench.values[0][std::size_t(engine::Field::Ip)], cut.ip);
        EXPECT_EQ(bench.values[0][std::size_t(engine::Field::Netmask)], ValueOutcome::NotSent);
        EXPECT_EQ(bench.journal.lines,
                  (QStringList{"begin ip 192.168.0.11 -> 192.168.0.21, 0 sent",
                               "ip " + outcome + ", 1 sent",
                               "begin netmask 255.255.255.0 -> 255.255.0.0, 1 sent"}));
        bench.runUntilIdle();
        EXPECT_EQ(bench.sentSince().size(), 1);
        EXPECT_FALSE(bench.engine.endpointOpen());
    }
}
