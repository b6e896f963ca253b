#include "cli/apply_decision.h"
#include "engine/address_policy.h"
#include "engine/device_set.h"

#include <gtest/gtest.h>

using cli::PlanRow;
using cli::RowDecision;

// Devices A to D at 10.0.0.1 to 10.0.0.4, E at 10.0.0.9 outside the plan; D cannot switch
// DHCP. Each row is decided as the real run will meet it: after the rows before it.
TEST(ApplyDecision, DecidesEveryRowAsTheRunWillMeetIt) {
    engine::DeviceSet scanned;
    for (const char* ip : {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4", "10.0.0.9"}) {
        const QString mac = QStringLiteral("02-00-00-00-00-0") + QChar(u'A' + scanned.count());
        engine::DeviceRecord& device = scanned.edit(scanned.enter(mac, ip).id);
        device.netmask = engine::AddressField::value("255.255.255.0");
        device.gateway = engine::AddressField::value("0.0.0.0");
        device.dhcp =
            mac.endsWith('D') ? engine::DhcpMode::NotSupported : engine::DhcpMode::NotActive;
    }
    const auto row = [](char device, const char* ip, std::optional<bool> dhcp = {}) {
        return PlanRow{0,
                       QStringLiteral("02-00-00-00-00-0") + device,
                       ip ? std::optional<QString>(ip) : std::nullopt,
                       {},
                       {},
                       dhcp};
    };
    const struct {
        const char* name;
        std::vector<PlanRow> rows;
        const char* kinds; // C change, R refused, U unchanged
    } cases[] = {
        {"a chain moves away first", {row('A', "10.0.0.2"), row('B', "10.0.0.5")}, "CC"},
        {"a swap", {row('A', "10.0.0.2"), row('B', "10.0.0.1")}, "RR"},
        {"held outside the plan", {row('A', "10.0.0.9")}, "R"},
        {"kept by a planned device", {row('A', "10.0.0.2"), row('B', nullptr, true)}, "RC"},
        {"link-local without DHCP", {row('C', "169.254.1.5")}, "R"},
        {"DHCP where there is none", {row('D', nullptr, true)}, "R"},
        {"the broadcast address", {row('C', "10.0.0.255")}, "R"},
    };
    engine::AddressPolicy policy;
    for (const auto& c : cases) {
        QString kinds;
        for (const RowDecision& decision : cli::decidePlan(c.rows, scanned, policy, {}).rows)
            kinds += "NRUC"[int(decision.kind)];
        EXPECT_EQ(kinds, c.kinds) << c.name;
    }
}
