// What the address change writes into its journal, and when: each value's entry before its
// first request leaves, again before the permanent one and at every answer, and the values
// a change did not come to.
#include "change_test_helpers.h"

#include "engine/change_transaction.h"

#include <gtest/gtest.h>

#include <functional>

using namespace enginetest;
using engine::ValueOutcome;

namespace {

constexpr int kStep = engine::ChangeTransaction::kStepMs;

struct JournalScenario {
    const char* name;
    // Gives the request its values; the bench has the device kMac at 192.168.0.5/24.
    std::function<void(engine::ChangeRequest&)> ask;
    // What the device and the front end do once the change has begun.
    std::function<void(ChangeBench&)> drive;
    QStringList journal;
    QString codes; // the request codes sent, in hexadecimal
};

void confirmAndStep(ChangeBench& bench, const QString& from = kDeviceIp) {
    bench.confirm(from);
    bench.clock.advance(kStep);
}

const JournalScenario kScenarios[] = {
    {"EveryValueConfirmedEndsDone",
     [](engine::ChangeRequest& r) {
         r.ip = "192.168.0.20";
         r.gateway = engine::AddressInput::typed("192.168.0.254");
     },
     [](ChangeBench& b) {
         for (int i = 0; i < 4; ++i)
             confirmAndStep(b, "192.168.0.20");
     },
     {"begin ip 192.168.0.5 -> 192.168.0.20, 0 sent", "ip temporary_only, 1 sent",
      "ip temporary_only, 1 sent", "ip done, 2 sent",
      "begin gateway 192.168.0.1 -> 192.168.0.254, 2 sent", "gateway temporary_only, 3 sent",
      "gateway temporary_only, 3 sent", "gateway done, 4 sent"},
     "03 02 0A 08"},
    {"ARefusalLeavesTheOtherValuesNotSent",
     [](engine::ChangeRequest& r) {
         r.ip = "192.168.0.20";
         r.netmask = engine::AddressInput::typed("255.255.0.0");
     },
     [](ChangeBench& b) { b.confirm(kDeviceIp, 1); },
     {"begin ip 192.168.0.5 -> 192.168.0.20, 0 sent", "ip refused, 1 sent",
      "begin netmask 255.255.255.0 -> 255.255.0.0, 1 sent"},
     "03"},
    {"NoFirstAnswerIsATimeout",
     [](engine::ChangeRequest& r) { r.gateway = engine::AddressInput::typed("192.168.0.254"); },
     [](ChangeBench& b) { b.clock.advance(200 * 14); },
     {"begin gateway 192.168.0.1 -> 192.168.0.254, 0 sent", "gateway timeout, 1 sent"},
     "0A"},
    {"AnInterruptLetsTheValueUnderWayFinish",
     [](engine::ChangeRequest& r) {
         r.ip = "192.168.0.20";
         r.gateway = engine::AddressInput::typed("192.168.0.254");
     },
     [](ChangeBench& b) {
         b.confirm("192.168.0.20");
         b.engine.finishCurrentValue();
         b.clock.advance(kStep);
         confirmAndStep(b, "192.168.0.20");
     },
     {"begin ip 192.168.0.5 -> 192.168.0.20, 0 sent", "ip temporary_only, 1 sent",
      "begin gateway 192.168.0.1 -> 192.168.0.254, 1 sent", "ip temporary_only, 1 sent",
      "ip done, 2 sent"},
     "03 02"},
    {"AbandonedWhileThePermanentIsOut",
     [](engine::ChangeRequest& r) { r.ip = "192.168.0.20"; },
     [](ChangeBench& b) {
         confirmAndStep(b, "192.168.0.20");
         b.engine.abandonChange(ValueOutcome::Interrupted);
     },
     {"begin ip 192.168.0.5 -> 192.168.0.20, 0 sent", "ip temporary_only, 1 sent",
      "ip temporary_only, 1 sent", "ip interrupted, 2 sent"},
     "03 02"},
    {"AValueTheDeviceShowsIsWrittenAgainWhenAsked",
     [](engine::ChangeRequest& r) { r.rewrite = {engine::Field::Netmask}; },
     [](ChangeBench& b) {
         confirmAndStep(b);
         confirmAndStep(b);
     },
     {"begin netmask 255.255.255.0 -> 255.255.255.0, 0 sent", "netmask temporary_only, 1 sent",
      "netmask temporary_only, 1 sent", "netmask done, 2 sent"},
     "09 06"},
};

class ChangeJournalTest : public ::testing::TestWithParam<JournalScenario> {};

} // namespace

TEST_P(ChangeJournalTest, RecordsEachValueBeforeItsRequestsAndAtItsAnswers) {
    const JournalScenario& scenario = GetParam();
    ChangeBench bench;
    bench.journal.sentBase = bench.sentMark;
    engine::ChangeRequest request = bench.loaded();
    scenario.ask(request);
    ASSERT_EQ(bench.engine.change(request).outcome, engine::ChangeStart::Outcome::Queued);
    scenario.drive(bench);
    EXPECT_EQ(bench.journal.lines, scenario.journal);
    QStringList codes;
    for (const QByteArray& frame : bench.changeFrames())
        codes << frame.mid(1, 1).toHex().toUpper();
    EXPECT_EQ(codes.join(' '), scenario.codes);
    for (const engine::JournalEntry& entry : bench.journal.entries) {
        EXPECT_EQ(entry.mac, kMac);
        EXPECT_EQ(entry.ip, kDeviceIp);
        EXPECT_EQ(entry.adapter, EngineBench::kAdapter);
    }
}

INSTANTIATE_TEST_SUITE_P(Changes, ChangeJournalTest, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

// An older gateway's answer carries no DHCP state: asked to, the change sends the switch
// all the same, to the device's address.
TEST(ChangeJournal, DhcpIsSentToADeviceWhoseAnswerCarriesNoDhcpState) {
    EngineBench bench;
    bench.scan({{.mac = kMac, .ip = kDeviceIp, .length = 17}});
    bench.runUntilIdle();
    const std::size_t mark = bench.sentCount();
    const engine::DeviceRecord& device = bench.device(kMac);
    ASSERT_EQ(device.dhcp, engine::DhcpMode::NotReported);
    engine::ChangeRequest request{device.id,
                                  kMac,
                                  kDeviceIp,
                                  engine::AddressInput::showing(device.netmask.state, {}),
                                  engine::AddressInput::showing(device.gateway.state, {}),
                                  true,
                                  false,
                                  {engine::Field::Dhcp}};
    ASSERT_EQ(bench.engine.change(request).outcome, engine::ChangeStart::Outcome::Queued);
    EXPECT_EQ(bench.framesSince(mark), std::vector<QByteArray>{dhcpRequest(true)});
    EXPECT_EQ(bench.destinationsSince(mark), std::vector<QString>{kDeviceIp});
    EXPECT_EQ(bench.journal.entries.back().from, "n/a");
    EXPECT_EQ(bench.journal.entries.back().to, "active");
}
