// Which requests a change sends, and which changes are refused, decided before anything of
// the change is queued.
#include "engine/address_policy.h"
#include "engine/change_plan.h"
#include "engine/device_set.h"

#include <gtest/gtest.h>

using engine::AddressField;
using engine::AddressInput;
using engine::AddressState;
using engine::ChangeRequest;
using engine::DhcpMode;
using engine::Field;
using engine::Refusal;

namespace {

const QString kMac = QStringLiteral("00-11-22-33-44-55");
const QString kIp = QStringLiteral("192.168.0.20");

// The device as listed, and another one at 192.168.0.30.
struct Listed {
    DhcpMode dhcp = DhcpMode::NotActive;
    AddressField netmask = AddressField::value("255.255.255.0");
    AddressField gateway = AddressField::value("192.168.0.1");
};

engine::DeviceSet devicesWith(const Listed& listed) {
    engine::DeviceSet set;
    engine::DeviceRecord& device = set.edit(set.enter(kMac, kIp).id);
    device.dhcp = listed.dhcp;
    device.netmask = listed.netmask;
    device.gateway = listed.gateway;
    set.enter("00-11-22-33-44-66", "192.168.0.30");
    return set;
}

// The editor as loaded from the list: every value unchanged.
ChangeRequest unchanged(const Listed& listed) {
    const auto input = [](const AddressField& field) {
        return field.state == AddressState::Value ? AddressInput::typed(field.text)
                                                  : AddressInput::showing(field.state, "text");
    };
    return ChangeRequest{0,
                         kMac,
                         kIp,
                         input(listed.netmask),
                         input(listed.gateway),
                         listed.dhcp == DhcpMode::Active,
                         listed.dhcp == DhcpMode::Active || listed.dhcp == DhcpMode::NotActive};
}

// "Dt" (DHCP on), "D-" (off), "It"/"Ip" (IP temporary/permanent), "Nt", "Np", "Gt", "Gp";
// a request that is not sendable is written in brackets.
QStringList requestsOf(const engine::ChangePlan& plan) {
    QStringList names;
    for (const auto& request : plan.requests) {
        QString name;
        switch (request.field) {
        case Field::Dhcp:
            name = request.dhcpOn ? "Dt" : "D-";
            break;
        case Field::Ip:
            name = request.permanent ? "Ip" : "It";
            break;
        case Field::Netmask:
            name = request.permanent ? "Np" : "Nt";
            break;
        case Field::Gateway:
            name = request.permanent ? "Gp" : "Gt";
            break;
        }
        names << (request.sendable ? name : "(" + name + ")");
    }
    return names;
}

struct PlanCase {
    const char* name;
    Listed listed;
    std::function<void(ChangeRequest&)> edit;
    QStringList requests;
    Refusal::Kind refusal = Refusal::Kind::None;
    bool nothingChanged = false;
};

void PrintTo(const PlanCase& c, std::ostream* out) {
    *out << c.name;
}

class ChangePlanCase : public ::testing::TestWithParam<PlanCase> {};

} // namespace

TEST_P(ChangePlanCase, QueuesTheRequestsInOrderOrRefuses) {
    const PlanCase& c = GetParam();
    const engine::DeviceSet devices = devicesWith(c.listed);
    ChangeRequest request = unchanged(c.listed);
    c.edit(request);
    const engine::ChangePlan plan = engine::planChange(devices, request, engine::AddressPolicy());
    EXPECT_EQ(plan.refusal.kind, c.refusal);
    EXPECT_EQ(plan.nothingChanged, c.nothingChanged);
    EXPECT_EQ(requestsOf(plan), c.requests);
}

INSTANTIATE_TEST_SUITE_P(
    Change, ChangePlanCase,
    ::testing::Values(
        PlanCase{"NothingChanged", {}, [](ChangeRequest&) {}, {}, Refusal::Kind::None, true},
        // With the DHCP box ticked and nothing to write there is neither the test for
        // "nothing changed" nor anything to send.
        PlanCase{"DhcpStaysOn", {.dhcp = DhcpMode::Active}, [](ChangeRequest&) {}, {}},
        PlanCase{"DhcpOffSendsEverything",
                 {.dhcp = DhcpMode::Active},
                 [](ChangeRequest& r) { r.dhcpTicked = false; },
                 {"D-", "It", "Ip", "Nt", "Np", "Gt", "Gp"}},
        PlanCase{"DhcpOnSendsOnlyTheDhcpRequest",
                 {},
                 [](ChangeRequest& r) { r.dhcpTicked = true; },
                 {"Dt"}},
        PlanCase{"DhcpOnWithAnotherGateway",
                 {},
                 [](ChangeRequest& r) {
                     r.dhcpTicked = true;
                     r.gateway = AddressInput::typed("192.168.0.254");
                 },
                 {"Dt", "Gt", "Gp"}},
        PlanCase{"IpOnly", {}, [](ChangeRequest& r) { r.ip = "192.168.0.21"; }, {"It", "Ip"}},
        PlanCase{"NetmaskAndGateway",
                 {},
                 [](ChangeRequest& r) {
                     r.netmask = AddressInput::typed("255.255.000.000");
                     r.gateway = AddressInput::typed("192.168.0.254");
                 },
                 {"Nt", "Np", "Gt", "Gp"}},
        // A box that cannot be changed does not count as a DHCP change.
        PlanCase{"DhcpNotSelectable",
                 {.dhcp = DhcpMode::NotSupported},
                 [](ChangeRequest& r) {
                     r.dhcpSelectable = false;
                     r.ip = "192.168.0.21";
                 },
                 {"It", "Ip"}},
        // "Not available" is never written; switching DHCP off wants it all the same.
        PlanCase{"NotAvailableIsLeftOut",
                 {.dhcp = DhcpMode::Active,
                  .netmask = AddressField::of(AddressState::NotAvailable),
                  .gateway = AddressField::of(AddressState::NotAvailable)},
                 [](ChangeRequest& r) { r.dhcpTicked = false; },
                 {"D-", "It", "Ip", "(Nt)", "(Np)", "(Gt)", "(Gp)"}},
        PlanCase{"NotAvailableIsNoChange",
                 {.netmask = AddressField::of(AddressState::NotAvailable)},
                 [](ChangeRequest& r) { r.ip = "192.168.0.21"; },
                 {"It", "Ip"}},
        // A state shown where an address belongs is no address: it is refused whenever all
        // fields are checked.
        PlanCase{"NotConfigurableIsRefusedWhenChecked",
                 {.netmask = AddressField::of(AddressState::NotConfigurable)},
                 [](ChangeRequest& r) { r.ip = "192.168.0.21"; },
                 {},
                 Refusal::Kind::InvalidFields},
        PlanCase{"InvalidIp",
                 {},
                 [](ChangeRequest& r) { r.ip = "192.168.0.300"; },
                 {},
                 Refusal::Kind::InvalidFields},
        // Switching DHCP on checks only the values it would write.
        PlanCase{"DhcpOnChecksTheValuesToWrite",
                 {},
                 [](ChangeRequest& r) {
                     r.dhcpTicked = true;
                     r.ip = "1.2.3";
                 },
                 {},
                 Refusal::Kind::InvalidFields},
        PlanCase{"IpInUse",
                 {},
                 [](ChangeRequest& r) { r.ip = "192.168.0.30"; },
                 {},
                 Refusal::Kind::IpInUse},
        // The duplicate test comes before the DHCP request is queued.
        PlanCase{"IpInUseWhileDhcpChanges",
                 {},
                 [](ChangeRequest& r) {
                     r.dhcpTicked = true;
                     r.ip = "192.168.0.30";
                 },
                 {},
                 Refusal::Kind::IpInUse}),
    [](const ::testing::TestParamInfo<PlanCase>& info) { return std::string(info.param.name); });

TEST(ChangePlan, TheFieldCheckNamesEveryInvalidFieldAndOnlyThose) {
    const Listed listed;
    const engine::DeviceSet devices = devicesWith(listed);
    ChangeRequest request = unchanged(listed);
    request.ip = "192.168.0.300";
    request.netmask = AddressInput::typed("255.255.0");
    request.gateway = AddressInput::showing(AddressState::NotAvailable, "n/a");
    const Refusal refusal = engine::planChange(devices, request, engine::AddressPolicy()).refusal;
    EXPECT_EQ(refusal.kind, Refusal::Kind::InvalidFields);
    EXPECT_TRUE(refusal.ip);
    EXPECT_TRUE(refusal.netmask);
    EXPECT_FALSE(refusal.gateway);
}

TEST(ChangePlan, NormalizeAddrWritesAValidAddressCanonically) {
    EXPECT_EQ(engine::normalizeAddr("255.255.000.000"), "255.255.0.0");
    EXPECT_EQ(engine::normalizeAddr("192.168.001.010"), "192.168.1.10");
}
