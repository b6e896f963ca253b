#include "cli/apply_order.h"

#include <QHash>

#include <gtest/gtest.h>

using namespace cli;

namespace {

PlanRow row(const QString& mac, const QString& ip) {
    PlanRow planned;
    planned.mac = mac;
    if (!ip.isEmpty())
        planned.ip = ip;
    return planned;
}

} // namespace

TEST(ExecutionOrder, ARowWaitsForTheDeviceThatStillHasItsAddress) {
    const QHash<QString, QString> scanned{
        {"A", "10.0.0.1"}, {"B", "10.0.0.2"}, {"C", "10.0.0.3"}, {"D", "10.0.0.9"}};
    const auto currentIp = [&](const QString& mac) -> std::optional<QString> {
        if (!scanned.contains(mac))
            return std::nullopt;
        return scanned.value(mac);
    };
    const struct {
        const char* name;
        std::vector<PlanRow> rows;
        std::vector<std::size_t> order;
    } cases[] = {
        {"independent rows keep the plan's order",
         {row("A", "10.0.0.11"), row("B", "10.0.0.12"), row("C", "")},
         {0, 1, 2}},
        {"shift by one runs from the end",
         {row("A", "10.0.0.2"), row("B", "10.0.0.3"), row("C", "10.0.0.4")},
         {2, 1, 0}},
        {"a device keeping its own address waits for nobody",
         {row("A", "10.0.0.1"), row("B", "10.0.0.1")},
         {0, 1}},
        {"a swap is a cycle: the rows that can go go first, the cycle in the plan's order",
         {row("A", "10.0.0.2"), row("B", "10.0.0.1"), row("C", "10.0.0.13")},
         {2, 0, 1}},
        {"a device that did not answer holds no address",
         {row("X", "10.0.0.4"), row("D", "10.0.0.5"), row("A", "10.0.0.9")},
         {0, 1, 2}},
        {"only a planned device is waited for",
         {row("B", "10.0.0.1"), row("A", "10.0.0.9")},
         {1, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(executionOrder(c.rows, currentIp), c.order) << c.name;
}
