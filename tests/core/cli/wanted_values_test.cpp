#include "cli/wanted_values.h"

#include <gtest/gtest.h>

using namespace cli;
using engine::AddressField;
using engine::AddressState;
using engine::DhcpMode;

namespace {

engine::DeviceRecord device(DhcpMode dhcp) {
    engine::DeviceRecord record;
    record.id = 3;
    record.mac = "02-00-00-00-00-01";
    record.ip = "10.0.0.5";
    record.netmask = AddressField::value("255.255.255.0");
    record.gateway = AddressField::of(AddressState::NotAvailable);
    record.dhcp = dhcp;
    return record;
}

} // namespace

TEST(WantedValues, OnlyValuesThatDifferAreChanges) {
    const struct {
        const char* name;
        DhcpMode dhcp;
        WantedValues wanted;
        QString changes;
        QString refusal;
    } cases[] = {
        {"all equal", DhcpMode::NotActive, {"10.0.0.5", "255.255.255.0", {}, false}, "", ""},
        {"new values",
         DhcpMode::NotActive,
         {"10.0.0.6", "255.255.0.0", "10.0.0.1", true},
         "ip 10.0.0.5 -> 10.0.0.6, netmask 255.255.255.0 -> 255.255.0.0, gateway n/a -> "
         "10.0.0.1, dhcp inactive -> active",
         ""},
        {"DHCP off where there is none to switch",
         DhcpMode::NotSupported,
         {{}, {}, {}, false},
         "",
         ""},
        {"DHCP on where there is none",
         DhcpMode::NotSupported,
         {{}, {}, {}, true},
         "",
         "the device reports no DHCP that could be switched on"},
        {"DHCP where the answer tells none",
         DhcpMode::NotReported,
         {{}, {}, {}, true},
         "dhcp n/a -> active",
         ""},
        {"DHCP off", DhcpMode::Active, {{}, {}, {}, false}, "dhcp active -> inactive", ""},
    };
    for (const auto& c : cases) {
        const engine::DeviceRecord record = device(c.dhcp);
        EXPECT_EQ(changesText(valueChanges(record, c.wanted)), c.changes) << c.name;
        EXPECT_EQ(anyChange(valueChanges(record, c.wanted)), !c.changes.isEmpty()) << c.name;
        EXPECT_EQ(refusalBeforeSending(record, c.wanted), c.refusal) << c.name;
    }
}

// A value the device shows already is written again when its last change did not end done,
// and every wanted value when the answer came from another address than its own.
TEST(WantedValues, UnfinishedAndDoubtfulValuesAreWrittenAgain) {
    const engine::UnfinishedValues unfinished{
        {"02-00-00-00-00-01", {engine::Field::Ip, engine::Field::Gateway}}};
    const struct {
        const char* name;
        bool doubtful;
        WantedValues wanted;
        QString changes;
    } cases[] = {
        {"unfinished and wanted",
         false,
         {"10.0.0.5", "255.255.255.0", {}, {}},
         "ip 10.0.0.5 -> 10.0.0.5"},
        {"unfinished, not wanted",
         false,
         {{}, "255.255.0.0", {}, {}},
         "netmask 255.255.255.0 -> 255.255.0.0"},
        {"doubtful",
         true,
         {{}, "255.255.255.0", {}, false},
         "netmask 255.255.255.0 -> "
         "255.255.255.0, dhcp inactive -> "
         "inactive"},
    };
    for (const auto& c : cases) {
        engine::DeviceRecord record = device(DhcpMode::NotActive);
        record.doubtful = c.doubtful;
        const QList<engine::Field> again = writtenAgain(record, c.wanted, unfinished);
        EXPECT_EQ(changesText(valueChanges(record, c.wanted, again)), c.changes) << c.name;
        EXPECT_EQ(changeRequest(record, c.wanted, again).rewrite, again) << c.name;
    }
}

TEST(WantedValues, TheRequestKeepsWhatIsNotWantedAsTheDeviceShowsIt) {
    const engine::DeviceRecord record = device(DhcpMode::Active);
    const engine::ChangeRequest kept = changeRequest(record, {});
    EXPECT_EQ(kept.device, 3);
    EXPECT_EQ(kept.mac, "02-00-00-00-00-01");
    EXPECT_EQ(kept.ip, "10.0.0.5");
    EXPECT_EQ(kept.netmask.text, "255.255.255.0");
    EXPECT_FALSE(kept.netmask.shows);
    EXPECT_EQ(kept.gateway.shows, AddressState::NotAvailable);
    EXPECT_TRUE(kept.dhcpTicked);
    EXPECT_TRUE(kept.dhcpSelectable);

    const engine::ChangeRequest changed =
        changeRequest(record, {"10.0.0.7", {}, "10.0.0.1", false});
    EXPECT_EQ(changed.ip, "10.0.0.7");
    EXPECT_EQ(changed.gateway.text, "10.0.0.1");
    EXPECT_FALSE(changed.gateway.shows);
    EXPECT_FALSE(changed.dhcpTicked);

    const engine::ChangeRequest fixed =
        changeRequest(device(DhcpMode::NotSupported), {{}, {}, {}, true});
    EXPECT_FALSE(fixed.dhcpSelectable);
    EXPECT_FALSE(fixed.dhcpTicked);
}
