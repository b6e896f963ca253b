#include "engine/device_set.h"

#include <gtest/gtest.h>

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
