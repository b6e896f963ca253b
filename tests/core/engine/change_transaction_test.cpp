// The address change as a state machine on a fake clock: one request at a time, each after
// the answer to the one before was applied and the step has passed; the watch for the first
// answer; the restart offer; and the answers that belong to no request.
#include "change_test_helpers.h"

#include "engine/change_transaction.h"
#include "engine/endpoint_session.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cerrno>

using namespace enginetest;
using engine::AnswerState;
using engine::ChangeStart;
using engine::ChangeTransaction;
using Phase = engine::ChangeTransaction::Phase;

namespace {

constexpr int kStep = ChangeTransaction::kStepMs;
constexpr int kGrace = engine::EndpointSession::kCloseGraceMs;

} // namespace

TEST(ChangeTransaction, AnIpChangeGoesTemporaryThenPermanentAndFollowsTheNewAddress) {
    ChangeBench bench;
    engine::ChangeRequest request = bench.loaded();
    request.ip = "192.168.000.020";
    const ChangeStart started = bench.engine.change(request);
    EXPECT_EQ(started.outcome, ChangeStart::Outcome::Queued);
    EXPECT_EQ(started.ip, "192.168.0.20");
    const QByteArray temporary = QByteArray::fromHex("0B03001122334455C0A8001476");
    const QByteArray permanent = QByteArray::fromHex("0B02001122334455C0A8001477");
    EXPECT_EQ(bench.changeFrames(), std::vector<QByteArray>{temporary});
    EXPECT_EQ(bench.engine.transaction().answerState(), AnswerState::Pending);
    EXPECT_EQ(bench.engine.transaction().lastChangedMac(), kMac);

    // The device takes the new address at once and answers from it.
    bench.confirm("192.168.0.20");
    EXPECT_EQ(bench.device(kMac).ip, "192.168.0.20");
    bench.clock.advance(kStep - 1);
    EXPECT_EQ(bench.changeFrames().size(), 1u);
    bench.clock.advance(1);
    EXPECT_EQ(bench.changeFrames(), (std::vector<QByteArray>{temporary, permanent}));
    bench.confirm("192.168.0.20");
    bench.clock.advance(kStep);
    EXPECT_EQ(bench.engine.transaction().answerState(), AnswerState::Success);
    EXPECT_EQ(bench.events.lastStatus(), "Setting_IP_address");
    bench.clock.advance(kGrace);
    EXPECT_EQ(bench.events.lastStatus(), "Operation_finished");
    EXPECT_FALSE(bench.engine.endpointOpen());
    EXPECT_EQ(bench.destinationsSince(bench.sentMark),
              (std::vector<QString>{EngineBench::kBroadcast, EngineBench::kBroadcast}));

    // The scan's endpoint (handle 7) was closed; the change opened the next one.
    const QString temporaryText = protocol::frameAsCharacters(temporary);
    const QString permanentText = protocol::frameAsCharacters(permanent);
    EXPECT_EQ(bench.log.since(bench.logMark).filter(QRegularExpression("^[^@]")),
              (QStringList{"**** Start change config", "Send message IP temp",
                           "Adding to list at : 0 " + temporaryText, "Send message IP permanent",
                           "Adding to list at : 1 " + permanentText, "********* Start save",
                           "Sending from list at :0 " + temporaryText + " to Socket 8",
                           "********* Start save",
                           "Sending from list at :1 " + permanentText + " to Socket 8",
                           "********* Start save"}));
    EXPECT_EQ(bench.events.since(bench.eventMark),
              (QStringList{"colour", "change started", "sending", "status Setting_IP_address",
                           "confirmed Ip 192.168.0.20", "changed 0", "sending",
                           "status Setting_IP_address", "confirmed Ip 192.168.0.20", "changed 0",
                           "colour", "status Operation_finished", "closed ok"}));
}

TEST(ChangeTransaction, EveryAddressIsConfirmedBeforeTheNextLeavesAndListedCanonically) {
    ChangeBench bench;
    engine::ChangeRequest request = bench.loaded();
    request.ip = kDeviceIp;
    request.netmask = engine::AddressInput::typed("255.255.000.000");
    request.gateway = engine::AddressInput::typed("192.168.0.254");
    bench.engine.change(request);
    for (int answered = 0; answered < 4; ++answered) {
        ASSERT_EQ(bench.changeFrames().size(), std::size_t(answered + 1));
        bench.clock.advance(1000); // no answer, no next request
        ASSERT_EQ(bench.changeFrames().size(), std::size_t(answered + 1));
        bench.confirm();
        bench.clock.advance(kStep);
    }
    EXPECT_EQ(bench.changeFrames(),
              (std::vector<QByteArray>{QByteArray::fromHex("0B09001122334455FFFF0000EE"),
                                       QByteArray::fromHex("0B06001122334455FFFF0000F1"),
                                       addressRequest(0x0A, kMac, "192.168.0.254"),
                                       addressRequest(0x08, kMac, "192.168.0.254")}));
    EXPECT_EQ(bench.device(kMac).netmask.text, "255.255.0.0");
    EXPECT_EQ(bench.device(kMac).gateway.text, "192.168.0.254");
    EXPECT_EQ(bench.events.matching("confirmed"),
              (QStringList{"confirmed Netmask 255.255.0.0", "confirmed Netmask 255.255.0.0",
                           "confirmed Gateway 192.168.0.254", "confirmed Gateway 192.168.0.254"}));
    EXPECT_EQ(bench.engine.transaction().answerCount(), 4);
    // No restart is offered for addresses alone.
    EXPECT_TRUE(bench.events.matching("restart").isEmpty());
}

TEST(ChangeTransaction, SwitchingDhcpOffSendsSevenRequestsAndOffersARestart) {
    ChangeBench bench(0x11);
    engine::ChangeRequest request = bench.loaded();
    request.dhcpTicked = false;
    bench.engine.change(request);
    for (int answered = 0; answered < 7; ++answered) {
        bench.confirm();
        bench.clock.advance(kStep);
    }
    EXPECT_EQ(bench.changeFrames(),
              (std::vector<QByteArray>{dhcpRequest(false), addressRequest(0x03, kMac, kDeviceIp),
                                       addressRequest(0x02, kMac, kDeviceIp),
                                       addressRequest(0x09, kMac, "255.255.255.0"),
                                       addressRequest(0x06, kMac, "255.255.255.0"),
                                       addressRequest(0x0A, kMac, "192.168.0.1"),
                                       addressRequest(0x08, kMac, "192.168.0.1")}));
    // The DHCP request carries no MAC: it goes to the device; the others go to everyone.
    EXPECT_EQ(bench.destinationsSince(bench.sentMark)[0], kDeviceIp);
    EXPECT_EQ(bench.destinationsSince(bench.sentMark)[1], EngineBench::kBroadcast);
    EXPECT_EQ(bench.device(kMac).dhcp, engine::DhcpMode::NotActive);
    EXPECT_TRUE(bench.log.contains("---- dchp state changed "));
    EXPECT_EQ(bench.log.lines.last(), "---------------------");
    EXPECT_EQ(bench.events.matching("restart"), QStringList{"restart offered"});
    EXPECT_EQ(bench.engine.transaction().phase(), Phase::AwaitingRestart);

    // Declined: the close offers the restart again, and the next change asks once more.
    bench.engine.answerRestartOffer(false);
    bench.clock.advance(kGrace);
    EXPECT_EQ(bench.events.matching("closed", bench.eventMark),
              QStringList{"closed ok, restart offered"});
    EXPECT_EQ(bench.events.lastStatus(), "Operation_finished");
    EXPECT_TRUE(bench.engine.transaction().restartWanted());

    engine::ChangeRequest next = bench.loaded();
    next.gateway = engine::AddressInput::typed("192.168.0.2");
    const std::size_t mark = bench.sentCount();
    bench.engine.change(next);
    bench.confirm();
    bench.clock.advance(kStep);
    bench.confirm();
    bench.clock.advance(kStep);
    EXPECT_EQ(bench.events.matching("restart").size(), 2u);

    // Accepted: the restart goes to the device, then both closes follow one another.
    bench.engine.answerRestartOffer(true);
    EXPECT_EQ(bench.framesSince(mark).back(), commandRequest(0x0B, kMac));
    EXPECT_EQ(bench.endpoint.sent.back().destination, kDeviceIp);
    EXPECT_FALSE(bench.engine.transaction().restartWanted());
    bench.clock.advance(2 * kGrace);
    EXPECT_EQ(bench.log.lines.mid(bench.log.lines.size() - 2),
              (QStringList{"@ CloseSocket success do buttons 0", "@ doCloseSocket handle 0"}));
    EXPECT_EQ(bench.events.matching("closed").last(), "closed ok");
}

TEST(ChangeTransaction, SwitchingDhcpOnSendsOneRequestAndQueuingItWithdrawsTheOffer) {
    ChangeBench bench(0x10);
    engine::ChangeRequest request = bench.loaded();
    request.dhcpTicked = true;
    bench.engine.setDhcpTicked(true);
    bench.engine.change(request);
    EXPECT_EQ(bench.changeFrames(), std::vector<QByteArray>{dhcpRequest(true)});
    bench.confirm();
    bench.clock.advance(kStep);
    EXPECT_EQ(bench.device(kMac).dhcp, engine::DhcpMode::Active);
    EXPECT_EQ(bench.events.matching("restart"), QStringList{"restart offered with DHCP"});
    bench.engine.answerRestartOffer(true);
    // With DHCP ticked the restart is broadcast.
    EXPECT_EQ(bench.endpoint.sent.back().frame, commandRequest(0x0B, kMac));
    EXPECT_EQ(bench.endpoint.sent.back().destination, EngineBench::kBroadcast);
}

struct Refused {
    const char* name;
    std::function<void(engine::ChangeRequest&)> edit;
    engine::Refusal::Kind kind;
    QStringList log; // after "**** Start change config"
};

class ChangeRefusal : public ::testing::TestWithParam<Refused> {};

TEST_P(ChangeRefusal, QueuesAndSendsNothingAndStartsNoWatch) {
    ChangeBench bench;
    engine::ChangeRequest request = bench.loaded();
    GetParam().edit(request);
    const ChangeStart started = bench.engine.change(request);
    EXPECT_EQ(started.outcome, ChangeStart::Outcome::Refused);
    EXPECT_EQ(started.refusal.kind, GetParam().kind);
    bench.clock.advance(10000);
    EXPECT_TRUE(bench.changeFrames().empty());
    EXPECT_TRUE(bench.events.since(bench.eventMark).isEmpty());
    EXPECT_EQ(bench.log.since(bench.logMark),
              QStringList{"**** Start change config"} + GetParam().log);
    EXPECT_FALSE(bench.engine.transaction().watchRunning());
    EXPECT_TRUE(bench.clock.idle());
}

INSTANTIATE_TEST_SUITE_P(
    Change, ChangeRefusal,
    ::testing::Values(Refused{"LinkLocal",
                              [](auto& r) { r.ip = "169.254.10.20"; },
                              engine::Refusal::Kind::LinkLocal,
                              {}},
                      // The check sees the address that would be sent.
                      Refused{"LinkLocalWithLeadingZero",
                              [](auto& r) { r.ip = "0169.254.10.20"; },
                              engine::Refusal::Kind::LinkLocal,
                              {}},
                      Refused{"InvalidNetmask",
                              [](auto& r) { r.netmask = engine::AddressInput::typed("255.255.0"); },
                              engine::Refusal::Kind::InvalidFields,
                              {}},
                      Refused{"IpInUse",
                              [](auto& r) { r.ip = "192.168.000.006"; },
                              engine::Refusal::Kind::IpInUse,
                              {}},
                      Refused{"IpInUseWhileDhcpChanges",
                              [](auto& r) {
                                  r.ip = kOtherIp;
                                  r.dhcpTicked = true;
                              },
                              engine::Refusal::Kind::IpInUse,
                              {"DCHP changed start set query"}}),
    [](const ::testing::TestParamInfo<Refused>& info) { return std::string(info.param.name); });

TEST(ChangeTransaction, NothingChangedOrNoDeviceSendsNothing) {
    ChangeBench bench;
    EXPECT_EQ(bench.engine.change(bench.loaded()).outcome, ChangeStart::Outcome::NothingChanged);
    engine::ChangeRequest none = bench.loaded();
    none.device.reset();
    EXPECT_EQ(bench.engine.change(none).outcome, ChangeStart::Outcome::NoDevice);
    EXPECT_EQ(
        bench.log.since(bench.logMark),
        (QStringList{"**** Start change config", QString::fromUtf8("Nix geändert, nicht speichern"),
                     "**** Start change config",
                     "No device line for 00-11-22-33-44-55, nothing to change"}));
    EXPECT_TRUE(bench.changeFrames().empty());
    EXPECT_FALSE(bench.engine.endpointOpen());
}

TEST(ChangeTransaction, NoAnswerDeclaresTheTimeoutOnTheThirteenthWatchTick) {
    ChangeBench bench;
    engine::ChangeRequest request = bench.loaded();
    request.ip = "192.168.0.20";
    bench.engine.change(request);
    bench.clock.advance(12 * 200);
    EXPECT_EQ(bench.engine.transaction().watchTicks(), 12);
    EXPECT_TRUE(bench.events.matching("timed out").isEmpty());
    bench.clock.advance(200);
    EXPECT_EQ(bench.engine.transaction().answerState(), AnswerState::Failed);
    EXPECT_EQ(bench.engine.transaction().watchTicks(), 0);
    EXPECT_EQ(bench.events.since(bench.eventMark).mid(3),
              (QStringList{"status Changes_not_saved", "colour", "timed out",
                           "failed Parameter_setting_timeout 0"}));
    EXPECT_TRUE(
        bench.log.contains("Request not sent (no answer in time): " +
                           protocol::frameAsHex(addressRequest(0x02, kMac, "192.168.0.20"))));
    EXPECT_TRUE(bench.engine.transaction().unsentFrames().empty());
    // A late answer is stray.
    bench.confirm("192.168.0.20");
    EXPECT_EQ(bench.device(kMac).ip, kDeviceIp);
    EXPECT_EQ(bench.changeFrames().size(), 1u);
}

TEST(ChangeTransaction, SilenceAfterTheFirstAppliedAnswerTimesOutAsWell) {
    ChangeBench bench;
    engine::ChangeRequest request = bench.loaded();
    request.ip = "192.168.0.20";
    bench.engine.change(request);
    bench.confirm("192.168.0.20");
    // The permanent request leaves after the step; its answer never comes.
    bench.clock.advance(kStep + 11 * 200);
    EXPECT_EQ(bench.changeFrames().size(), 2u);
    EXPECT_TRUE(bench.events.matching("timed out").isEmpty());
    bench.clock.advance(2 * 200);
    EXPECT_EQ(bench.engine.transaction().answerState(), AnswerState::Failed);
    EXPECT_EQ(bench.events.matching("timed out").size(), 1);
    bench.clock.advance(kGrace);
    EXPECT_FALSE(bench.engine.endpointOpen());
}

struct DeviceRefusal {
    bool dhcp;
    quint8 status;
    const char* statusKey; // nullptr: the status panel keeps its text
};

class ChangeRefusedByDevice : public ::testing::TestWithParam<DeviceRefusal> {};

TEST_P(ChangeRefusedByDevice, StopsTheChangeAndTheTimeoutFollows) {
    const DeviceRefusal refusal = GetParam();
    ChangeBench bench;
    engine::ChangeRequest request = bench.loaded();
    request.ip = "192.168.0.20";
    request.dhcpTicked = refusal.dhcp;
    bench.engine.change(request);
    bench.confirm(kDeviceIp, refusal.status);
    bench.clock.advance(kStep);
    EXPECT_EQ(bench.changeFrames().size(), 1u);
    EXPECT_EQ(bench.events.matching("status", bench.eventMark),
              refusal.statusKey ? QStringList{QString("status ") + refusal.statusKey}
                                : QStringList());
    EXPECT_EQ(bench.engine.transaction().phase(), Phase::Stopped);
    EXPECT_EQ(bench.engine.transaction().answerCount(), 1);
    EXPECT_EQ(bench.device(kMac).ip, kDeviceIp);
    EXPECT_FALSE(bench.engine.transaction().restartWanted());
    // A refusal drops what is left at once; an unknown status leaves it for the timeout.
    EXPECT_EQ(bench.engine.transaction().unsentFrames().empty(), refusal.statusKey != nullptr);
    if (refusal.statusKey) {
        EXPECT_EQ(bench.log.lines.filter("Request not sent (the device refused)").size(),
                  refusal.dhcp ? 2 : 1);
    }
    bench.clock.advance(13 * 200);
    EXPECT_EQ(bench.events.lastStatus(), "Changes_not_saved");
    EXPECT_TRUE(bench.engine.transaction().unsentFrames().empty());
    EXPECT_EQ(bench.changeFrames().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Change, ChangeRefusedByDevice,
                         ::testing::Values(DeviceRefusal{false, 1, "Setting_not_allowed"},
                                           DeviceRefusal{false, 2, "Setting_not_possible"},
                                           DeviceRefusal{false, 3, nullptr},
                                           DeviceRefusal{true, 1, "Setting_DHCP_not_allowed"},
                                           DeviceRefusal{true, 2, "Setting_DHCP_not_possible"},
                                           DeviceRefusal{true, 3, nullptr}));

TEST(ChangeTransaction, OnlyTheAnswerToTheOutstandingRequestFromTheDeviceCounts) {
    ChangeBench bench;
    // Before any change: logged and ignored.
    bench.engine.openEndpoint(engine::Activity::Changing);
    bench.answer(kDeviceIp, testsupport::statusAnswerFrame(0x8C, 0));
    EXPECT_TRUE(bench.log.contains("Change answer without a change in progress ignored"));

    engine::ChangeRequest request = bench.loaded();
    request.ip = "192.168.0.20";
    bench.engine.change(request);
    const qsizetype mark = bench.log.lines.size();
    // Another device, another code, and a second answer after the first: none of them.
    bench.answer(kOtherIp, testsupport::statusAnswerFrame(0x83, 0));
    bench.answer(kDeviceIp, testsupport::statusAnswerFrame(0x82, 0));
    bench.answer(kDeviceIp, testsupport::statusAnswerFrame(0x8C, 0));
    EXPECT_EQ(bench.engine.transaction().answerCount(), 0);
    bench.confirm();
    bench.confirm();
    EXPECT_EQ(bench.engine.transaction().answerCount(), 1);
    EXPECT_EQ(bench.log.since(mark).filter("Change answer").size(), 4);
    EXPECT_TRUE(
        bench.log.contains("Change answer from 192.168.0.6, not the changed device, ignored"));
    EXPECT_TRUE(bench.log.contains("Change answer 8C to no request awaiting one, ignored"));
    EXPECT_EQ(bench.device(kOtherMac).ip, kOtherIp);
    EXPECT_FALSE(bench.log.contains("---- dchp state changed "));
    bench.clock.advance(kStep);
    EXPECT_EQ(bench.changeFrames().size(), 2u);
}

TEST(ChangeTransaction, OfTwoDevicesAtTheSendersAddressOnlyTheChangedOneIsUpdated) {
    EngineBench bench;
    bench.scan({{.mac = kMac, .ip = "192.168.0.30", .gateway = "192.168.0.1"},
                {.mac = kOtherMac, .ip = "192.168.0.30", .gateway = "192.168.0.1"}});
    bench.runUntilIdle();
    const std::size_t mark = bench.sentCount();
    const engine::DeviceRecord& device = bench.device(kMac);
    // The duplicate test refuses any change while another device shares the address, so
    // the other device moves first.
    bench.engine.change({bench.idOf(kOtherMac), kOtherMac, "192.168.0.31",
                         engine::AddressInput::typed(device.netmask.text),
                         engine::AddressInput::typed(device.gateway.text), false, true});
    bench.answer("192.168.0.30", testsupport::statusAnswerFrame(0x83, 0));
    EXPECT_EQ(bench.device(kOtherMac).ip, "192.168.0.31");
    EXPECT_EQ(bench.device(kMac).ip, "192.168.0.30");
    bench.clock.advance(kStep);
    EXPECT_EQ(bench.framesSince(mark).size(), 2u);
}

TEST(ChangeTransaction, ASendFailureFailsTheChangeAndDropsWhatIsLeft) {
    ChangeBench bench;
    bench.endpoint.sendError = ENETUNREACH;
    engine::ChangeRequest request = bench.loaded();
    request.ip = "192.168.0.20";
    bench.engine.change(request);
    EXPECT_EQ(bench.events.matching("failed"), QStringList{"failed Error_sending_save 101"});
    EXPECT_EQ(bench.engine.transaction().answerState(), AnswerState::Failed);
    for (const quint8 code : {quint8(0x03), quint8(0x02)})
        EXPECT_TRUE(
            bench.log.contains("Request not sent (the change failed): " +
                               protocol::frameAsHex(addressRequest(code, kMac, "192.168.0.20"))));
    bench.clock.advance(kGrace);
    EXPECT_FALSE(bench.engine.endpointOpen());
    bench.clock.advance(10000);
    EXPECT_TRUE(bench.events.matching("timed out").isEmpty());
}

TEST(ChangeTransaction, ANewChangeOrAScanEndsTheOneStillUnderWay) {
    ChangeBench bench;
    engine::ChangeRequest request = bench.loaded();
    request.ip = "192.168.0.20";
    bench.engine.change(request);
    engine::ChangeRequest next = bench.loaded();
    next.gateway = engine::AddressInput::typed("192.168.0.2");
    bench.engine.change(next);
    EXPECT_TRUE(
        bench.log.contains("Request not sent (left from an earlier change): " +
                           protocol::frameAsHex(addressRequest(0x02, kMac, "192.168.0.20"))));
    // The first change's answer comes late: it answers nothing outstanding now.
    bench.confirm();
    EXPECT_EQ(bench.device(kMac).gateway.text, "192.168.0.2");
    bench.answer(kDeviceIp, testsupport::statusAnswerFrame(0x83, 0));
    EXPECT_EQ(bench.device(kMac).ip, kDeviceIp);

    // A scan ends the change: nothing more leaves, no timeout comes, and a late
    // confirmation changes nothing.
    bench.engine.startScan();
    EXPECT_TRUE(bench.log.contains("Change still waiting for its answers ended by the scan"));
    EXPECT_TRUE(
        bench.log.contains("Request not sent (a scan started): " +
                           protocol::frameAsHex(addressRequest(0x08, kMac, "192.168.0.2"))));
    EXPECT_TRUE(bench.engine.transaction().lastChangedMac().isEmpty());
    bench.answer("192.168.0.5", testsupport::scanAnswerFrame({.mac = kMac, .ip = kDeviceIp}));
    bench.answer(kDeviceIp, testsupport::statusAnswerFrame(0x88, 0));
    bench.clock.advance(2499);
    EXPECT_EQ(bench.device(kMac).gateway.text, "127.0.0.254");
    EXPECT_TRUE(bench.engine.endpointOpen());
    bench.runUntilIdle();
    EXPECT_TRUE(bench.events.matching("timed out").isEmpty());
    EXPECT_EQ(bench.framesSince(bench.sentMark + 3), std::vector<QByteArray>{});
}

TEST(ChangeTransaction, AChangeWaitingForItsAnswersKeepsTheEndpointPastTheScanPeriod) {
    EngineBench bench;
    bench.scan({{.mac = kMac,
                 .ip = kDeviceIp,
                 .dhcpByte = 0x10,
                 .netmask = "255.255.255.0",
                 .gateway = "0.0.0.0"}});
    const engine::DeviceRecord& record = bench.device(kMac);
    bench.clock.advance(2000);
    bench.engine.change({record.id, kMac, "192.168.0.20",
                         engine::AddressInput::typed(record.netmask.text),
                         engine::AddressInput::typed(record.gateway.text), false, true});
    // The scan's period and closing pause end while the first request waits for its answer,
    // before the watch gives up on it.
    bench.clock.advance(500 + kGrace + 100);
    EXPECT_TRUE(bench.engine.endpointOpen());
    EXPECT_TRUE(bench.events.matching("closed").isEmpty());
    bench.answer("192.168.0.20", testsupport::statusAnswerFrame(0x83, 0));
    EXPECT_EQ(bench.device(kMac).ip, "192.168.0.20");
}

TEST(ChangeTransaction, ValuesLeftOutAreReportedInsteadOfOperationFinished) {
    ChangeBench bench(0x11);
    // DHCP is switched off, which writes all three addresses, but the netmask shows the
    // "not available" text.
    engine::ChangeRequest request = bench.loaded();
    request.dhcpTicked = false;
    request.netmask = engine::AddressInput::showing(engine::AddressState::NotAvailable, "n/a");
    bench.engine.change(request);
    for (int answered = 0; answered < 5; ++answered) {
        bench.confirm();
        bench.clock.advance(kStep);
    }
    EXPECT_EQ(bench.changeFrames(),
              (std::vector<QByteArray>{dhcpRequest(false), addressRequest(0x03, kMac, kDeviceIp),
                                       addressRequest(0x02, kMac, kDeviceIp),
                                       addressRequest(0x0A, kMac, "192.168.0.1"),
                                       addressRequest(0x08, kMac, "192.168.0.1")}));
    EXPECT_EQ(bench.log.lines.count("Not queued, no valid address: n/a"), 2);
    EXPECT_TRUE(bench.events.matching("not sent").isEmpty());
    bench.engine.answerRestartOffer(false);
    EXPECT_EQ(bench.events.matching("not sent"), QStringList{"not sent Netmask"});
    bench.clock.advance(kGrace);
    EXPECT_FALSE(bench.engine.endpointOpen());
    EXPECT_TRUE(bench.events.matching("status Operation_finished").isEmpty());

    // With nothing else to write, nothing is queued and the value left out is named.
    ChangeBench other(0x11);
    engine::ChangeRequest nothing = other.loaded();
    nothing.dhcpTicked = true;
    nothing.gateway = engine::AddressInput::typed("1.2.3");
    EXPECT_EQ(other.engine.change(nothing).outcome, ChangeStart::Outcome::Refused);
}
