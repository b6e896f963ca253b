#include "report/device_list_reader.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kHeader =
    "mac,ip,netmask,gateway,dhcp,restart,type,type_name,revision,duplicate_ip\r\n";

struct FaultCase {
    const char* name;
    std::string text;
    const char* problem;
};

class DeviceListReaderFaults : public ::testing::TestWithParam<FaultCase> {};

} // namespace

// A list the program did not save, or one with a broken device, gives no devices at all.
TEST_P(DeviceListReaderFaults, RefusesTheWholeList) {
    const report::ReadDeviceList list =
        report::readDeviceList(QByteArray::fromStdString(GetParam().text));
    EXPECT_TRUE(list.rows.empty());
    EXPECT_EQ(list.problem.toStdString(), GetParam().problem);
}

struct Layout {
    const char* name;
    const char* header;
    const char* row;
};

class DeviceListReaderLayouts : public ::testing::TestWithParam<Layout> {};

// Lists saved before the adapter column, or the subnet column, came are read all the same.
TEST_P(DeviceListReaderLayouts, ReadsListsSavedByEveryEarlierVersion) {
    const std::string text = kHeader;
    const report::ReadDeviceList list = report::readDeviceList(QByteArray::fromStdString(
        text.substr(0, text.size() - 2) + GetParam().header + "\r\n" +
        "02-00-00-00-00-01,10.0.0.1,,,active,true,1,,V1,false" + GetParam().row + "\r\n"));
    ASSERT_EQ(list.rows.size(), 1u) << list.problem.toStdString();
    EXPECT_EQ(list.rows[0].ip, "10.0.0.1");
}

INSTANTIATE_TEST_SUITE_P(
    Headers, DeviceListReaderLayouts,
    ::testing::Values(Layout{"Original", "", ""}, Layout{"Adapter", ",adapter", ",10.0.0.254"},
                      Layout{"Subnet", ",adapter,in_adapter_subnet", ",10.0.0.254,true"}),
    [](const auto& info) { return std::string(info.param.name); });

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lists, DeviceListReaderFaults, ::testing::Values(
    FaultCase{"BadMac", kHeader + std::string("02-00-00-00-00-02,10.0.0.2,,,active,true,1,,V1,false\r\n"
                                               "02:00:00:00:00:01,10.0.0.1,,,active,true,1,,V1,false\r\n"),
              "line 3: \"02:00:00:00:00:01\" is no MAC address"},
    FaultCase{"ShortRow", kHeader + std::string("02-00-00-00-00-01,10.0.0.1\r\n"), "line 2: 2 fields, not 10"},
    FaultCase{"BadJsonAddress", R"([{"mac": "02-00-00-00-00-01", "ip": "10.0.0.300"}])",
              "device 1: \"10.0.0.300\" is no IP address"},
    FaultCase{"BrokenJson", "[{", "no JSON array of devices"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// The JSON lines of scan and the inventory's CSV, with columns of its own, are lists too.
TEST(DeviceListReader, ReadsJsonLinesAndACsvWithFurtherColumns) {
    const report::ReadDeviceList lines = report::readDeviceList(
        R"({"mac": "02-00-00-00-00-01", "ip": "10.0.0.1", "dhcp": "active", "type": 3})"
        "\n"
        R"({"mac": "02-00-00-00-00-02", "ip": "10.0.0.2", "dhcp": "inactive", "type": 3})"
        "\n");
    EXPECT_EQ(lines.rows.size(), 2u) << lines.problem.toStdString();
    const report::ReadDeviceList inventory = report::readDeviceList(
        "mac,ip,netmask,gateway,dhcp,type,type_name,revision,adapter,host,first_seen,last_seen\r\n"
        "02-00-00-00-00-01,10.0.0.1,,,active,3,,V1,127.0.0.1,pc1,2026-05-04,2026-05-05\r\n");
    ASSERT_EQ(inventory.rows.size(), 1u) << inventory.problem.toStdString();
    EXPECT_EQ(inventory.rows[0].revision, "V1");
}
