#include "engine/device_set.h"

#include <gtest/gtest.h>

#include <algorithm>

using engine::AddressField;
using engine::AddressState;
using engine::Completion;
using engine::DeviceId;
using engine::DeviceSet;

namespace {

std::vector<bool> marks(const DeviceSet& set) {
    std::vector<bool> result;
    for (const auto& record : set.all())
        result.push_back(record.duplicateMark);
    return result;
}

} // namespace

TEST(DeviceSet, AnswersOfOneMacAndIpShareARecordAndANewIpMakesAnother) {
    DeviceSet set;
    const auto first = set.enter("AA-00-00-00-00-01", "10.0.0.5");
    EXPECT_TRUE(first.added);
    EXPECT_EQ(set.enter("BB-00-00-00-00-02", "10.0.0.7").id, 1);
    const auto again = set.enter("AA-00-00-00-00-01", "10.0.0.5");
    EXPECT_FALSE(again.added);
    EXPECT_EQ(again.id, first.id);
    EXPECT_EQ(set.enter("AA-00-00-00-00-01", "10.0.0.9").id, 2);
    EXPECT_EQ(set.count(), 3);
    EXPECT_EQ(set.withMac("AA-00-00-00-00-01"), (std::vector<DeviceId>{0, 2}));
    EXPECT_EQ(set.withIp("10.0.0.9"), std::vector<DeviceId>{2});
    // Addresses compare as text.
    EXPECT_TRUE(set.withIp("10.000.000.005").empty());
    EXPECT_TRUE(set.withMac("FF-00-00-00-00-01").empty());

    // A device that takes another address is found by it, in answer order.
    set.setIp(2, "10.0.0.5");
    EXPECT_EQ(set.withIp("10.0.0.5"), (std::vector<DeviceId>{0, 2}));
    EXPECT_TRUE(set.withIp("10.0.0.9").empty());
    EXPECT_EQ(set.enter("BB-00-00-00-00-02", "10.0.0.7").id, 1);
    set.clear();
    EXPECT_EQ(set.count(), 0);
    EXPECT_TRUE(set.withMac("AA-00-00-00-00-01").empty());
}

TEST(DeviceSet, DuplicateMarksDescribeTheLatestAnswer) {
    DeviceSet set;
    EXPECT_TRUE(set.enter("AA-00-00-00-00-01", "10.0.0.5").marksChanged.empty());
    EXPECT_EQ(set.enter("BB-00-00-00-00-02", "10.0.0.5").marksChanged,
              (std::vector<DeviceId>{0, 1}));
    // The same device answering again keeps both marks.
    EXPECT_TRUE(set.enter("BB-00-00-00-00-02", "10.0.0.5").marksChanged.empty());
    EXPECT_EQ(marks(set), (std::vector<bool>{true, true}));
    // An answer from another address takes them back.
    EXPECT_EQ(set.enter("CC-00-00-00-00-03", "10.0.0.6").marksChanged,
              (std::vector<DeviceId>{0, 1}));
    EXPECT_EQ(marks(set), (std::vector<bool>{false, false, false}));
    // A known MAC at a new address is a second device, sharing C's address.
    EXPECT_EQ(set.enter("AA-00-00-00-00-01", "10.0.0.6").marksChanged,
              (std::vector<DeviceId>{2, 3}));
    EXPECT_EQ(marks(set), (std::vector<bool>{false, false, true, true}));
    EXPECT_TRUE(set.ipUsedByOtherMac("10.0.0.5", "AA-00-00-00-00-01"));
    EXPECT_FALSE(set.ipUsedByOtherMac("10.0.0.8", "CC-00-00-00-00-03"));

    // A change of address leaves the marks until the next answer.
    EXPECT_TRUE(set.setIp(3, "10.0.0.9").empty());
    EXPECT_TRUE(set.at(3).duplicateMark);
    EXPECT_FALSE(set.ipUsedByOtherMac("10.0.0.6", "CC-00-00-00-00-03"));
}

namespace {

// One step of a scan: an answer of mac from ip, or (moves >= 0) device `moves` taking ip.
struct Step {
    QString mac;
    QString ip;
    DeviceId moves = -1;
};

struct MarkCase {
    const char* what;
    std::vector<Step> steps;
    // Every device's mark after the last step, and the devices whose mark that step changed.
    std::vector<bool> marks;
    std::vector<DeviceId> changedLast;
};

const QString kA = QStringLiteral("AA-00-00-00-00-01");
const QString kB = QStringLiteral("BB-00-00-00-00-02");
const QString kC = QStringLiteral("CC-00-00-00-00-03");
const QString kIp5 = QStringLiteral("10.0.0.5");
const QString kIp6 = QStringLiteral("10.0.0.6");

} // namespace

// The marks describe the latest answer: "D" on every device of its IP with another MAC, and
// on the answering device itself when there is such a one; no mark anywhere else.
TEST(DeviceSet, DuplicateMarksFollowTheRuleAfterEveryKindOfAnswer) {
    const MarkCase cases[] = {
        {"two MACs on one IP mark each other", {{kA, kIp5}, {kB, kIp5}}, {true, true}, {0, 1}},
        {"a third MAC on the marked IP marks only itself",
         {{kA, kIp5}, {kB, kIp5}, {kC, kIp5}},
         {true, true, true},
         {2}},
        {"any device of the marked IP answering again keeps every mark",
         {{kA, kIp5}, {kB, kIp5}, {kC, kIp5}, {kA, kIp5}},
         {true, true, true},
         {}},
        {"an answer from another IP takes the marks back",
         {{kA, kIp5}, {kB, kIp5}, {kC, kIp6}},
         {false, false, false},
         {0, 1}},
        {"one MAC at two IPs is no duplicate", {{kA, kIp5}, {kA, kIp6}}, {false, false}, {}},
        {"a marked MAC answering from an IP of its own is not marked",
         {{kA, kIp5}, {kB, kIp5}, {kA, kIp6}},
         {false, false, false},
         {0, 1}},
        {"the marks go with the IP of the answer, not with its MAC",
         {{kA, kIp5}, {kB, kIp5}, {kA, kIp6}, {kB, kIp6}},
         {false, false, true, true},
         {2, 3}},
        {"a MAC's device at another IP keeps no mark",
         {{kA, kIp6}, {kA, kIp5}, {kB, kIp5}, {kA, kIp5}},
         {false, true, true},
         {}},
        {"a device that took the IP of a later answer is marked with it",
         {{kA, kIp5}, {kB, kIp6}, {kB, kIp5, 1}, {kA, kIp5}},
         {true, true},
         {0, 1}},
        {"taking another IP leaves the marks until the next answer",
         {{kA, kIp5}, {kB, kIp5}, {kB, kIp6, 1}},
         {true, true},
         {}},
        {"a device that took the marked IP is marked by the next answer from it",
         {{kC, kIp6}, {kA, kIp5}, {kB, kIp5}, {kC, kIp5, 0}, {kA, kIp5}},
         {true, true, true},
         {0}},
        {"a device that left the marked IP loses its mark with the next answer from it",
         {{kA, kIp5}, {kB, kIp5}, {kC, kIp5}, {kC, kIp6, 2}, {kA, kIp5}},
         {true, true, false},
         {2}},
        {"a device that took another IP loses its mark with the next answer",
         {{kA, kIp5}, {kB, kIp5}, {kB, kIp6, 1}, {kC, "10.0.0.7"}},
         {false, false, false},
         {0, 1}},
    };
    for (const MarkCase& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceSet set;
        std::vector<DeviceId> changed;
        for (const Step& step : c.steps) {
            changed = step.moves >= 0 ? set.setIp(step.moves, step.ip)
                                      : set.enter(step.mac, step.ip).marksChanged;
        }
        EXPECT_EQ(marks(set), c.marks);
        std::sort(changed.begin(), changed.end());
        EXPECT_EQ(changed, c.changedLast);
    }
}

TEST(DeviceSet, AFloodFromOneIpChangesOnlyTheNewDevicesMark) {
    DeviceSet set;
    std::size_t changes = 0;
    constexpr int kDevices = 30000;
    for (int i = 0; i < kDevices; ++i) {
        const QString mac = QStringLiteral("02-00-00-%1-%2-%3")
                                .arg((i >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
                                .arg((i >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
                                .arg(i & 0xFF, 2, 16, QLatin1Char('0'));
        changes += set.enter(mac.toUpper(), "10.0.0.5").marksChanged.size();
    }
    EXPECT_EQ(set.count(), kDevices);
    // The second device marks the first as well; every later one only itself.
    EXPECT_EQ(changes, std::size_t(kDevices));
    EXPECT_TRUE(set.at(0).duplicateMark);
    EXPECT_TRUE(set.at(kDevices - 1).duplicateMark);
    // One of them again changes nothing; an answer from elsewhere takes every mark back once.
    EXPECT_TRUE(set.enter(set.at(7).mac, "10.0.0.5").marksChanged.empty());
    EXPECT_EQ(set.enter(set.at(7).mac, "10.0.0.6").marksChanged.size(), std::size_t(kDevices));
    EXPECT_EQ(marks(set), std::vector<bool>(kDevices + 1, false));
}

TEST(DeviceRecord, CompletionFollowsTheLeastCompleteAddress) {
    struct Case {
        AddressState netmask;
        AddressState gateway;
        Completion expected;
    };
    const Case cases[] = {
        {AddressState::Value, AddressState::Value, Completion::Complete},
        {AddressState::Searching, AddressState::Value, Completion::Reading},
        {AddressState::Value, AddressState::NotAvailable, Completion::NotAvailable},
        {AddressState::NotConfigurable, AddressState::NotConfigurable, Completion::NotConfigurable},
        {AddressState::NotAvailable, AddressState::Searching, Completion::Reading},
    };
    for (const Case& c : cases) {
        engine::DeviceRecord record;
        record.netmask = AddressField::of(c.netmask);
        record.gateway = AddressField::of(c.gateway);
        EXPECT_EQ(record.completion(), c.expected) << int(c.netmask) << " " << int(c.gateway);
    }
}
