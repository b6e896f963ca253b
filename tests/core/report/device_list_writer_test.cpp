#include "report/device_list_writer.h"

#include "report/csv_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace report;

namespace {

std::vector<DeviceRow> sampleRows() {
    DeviceRow full;
    full.mac = "02-54-56-00-00-01";
    full.ip = "10.77.0.10";
    full.netmask = "255.255.255.0";
    full.gateway = "10.77.0.1";
    full.dhcp = DhcpColumn::Active;
    full.restart = true;
    full.type = 257;
    full.typeName = "PB-DP, \"rail\"";
    full.revision = "V1.05";
    full.adapter = "10.77.0.1";
    full.inAdapterSubnet = true;
    full.answeredFrom = "10.77.0.10";
    DeviceRow shortAnswer;
    shortAnswer.mac = "02-54-56-00-00-02";
    shortAnswer.ip = "10.77.0.9";
    shortAnswer.type = 300;
    shortAnswer.revision = QString("V1\x01\n5");
    shortAnswer.duplicateIp = true;
    shortAnswer.doubtful = true;
    shortAnswer.answeredFrom = "10.77.0.50";
    return {full, shortAnswer};
}

} // namespace

TEST(DeviceListCsv, HeaderThenOneQuotedRowPerDevice) {
    const CsvTable table = readCsv(deviceListCsv(sampleRows()));
    ASSERT_FALSE(table.error);
    ASSERT_EQ(table.records.size(), 3u);
    EXPECT_EQ(table.records[0].fields,
              QStringList({"mac", "ip", "netmask", "gateway", "dhcp", "restart", "type",
                           "type_name", "revision", "duplicate_ip", "adapter", "in_adapter_subnet",
                           "doubtful", "answered_from"}));
    EXPECT_EQ(table.records[1].fields,
              QStringList({"02-54-56-00-00-01", "10.77.0.10", "255.255.255.0", "10.77.0.1",
                           "active", "true", "257", "PB-DP, \"rail\"", "V1.05", "false",
                           "10.77.0.1", "true", "false", "10.77.0.10"}));
    EXPECT_EQ(table.records[2].fields,
              QStringList({"02-54-56-00-00-02", "10.77.0.9", "", "", "unsupported", "false", "300",
                           "", QString("V1\x01\n5"), "true", "", "", "true", "10.77.0.50"}));
}

TEST(DeviceListJson, ObjectsWithNullWhereNotAvailable) {
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(deviceListJson(sampleRows()).toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonArray devices = document.array();
    ASSERT_EQ(devices.size(), 2);
    const QJsonObject full = devices[0].toObject();
    EXPECT_EQ(full.keys().size(), 14);
    EXPECT_EQ(full["doubtful"], QJsonValue(false));
    EXPECT_EQ(full["adapter"].toString(), "10.77.0.1");
    EXPECT_EQ(full["in_adapter_subnet"], QJsonValue(true));
    EXPECT_EQ(full["mac"].toString(), "02-54-56-00-00-01");
    EXPECT_EQ(full["netmask"].toString(), "255.255.255.0");
    EXPECT_EQ(full["dhcp"].toString(), "active");
    EXPECT_EQ(full["restart"], QJsonValue(true));
    EXPECT_EQ(full["type"], QJsonValue(257));
    EXPECT_EQ(full["type_name"].toString(), "PB-DP, \"rail\"");
    EXPECT_EQ(full["duplicate_ip"], QJsonValue(false));
    const QJsonObject shortAnswer = devices[1].toObject();
    EXPECT_TRUE(shortAnswer["netmask"].isNull());
    EXPECT_TRUE(shortAnswer["gateway"].isNull());
    EXPECT_TRUE(shortAnswer["type_name"].isNull());
    EXPECT_EQ(shortAnswer["dhcp"].toString(), "unsupported");
    EXPECT_EQ(shortAnswer["revision"].toString(), QString("V1\x01\n5"));
    EXPECT_EQ(shortAnswer["duplicate_ip"], QJsonValue(true));
    EXPECT_TRUE(shortAnswer["in_adapter_subnet"].isNull());
    EXPECT_EQ(shortAnswer["doubtful"], QJsonValue(true));
    EXPECT_EQ(shortAnswer["answered_from"].toString(), "10.77.0.50");
    const QJsonDocument none = QJsonDocument::fromJson(deviceListJson({}).toUtf8());
    EXPECT_TRUE(none.isArray() && none.array().isEmpty());
}

TEST(DeviceListTable, AlignedColumnsWithoutControlCharacters) {
    const QStringList lines = deviceListTable(sampleRows()).split('\n');
    ASSERT_EQ(lines.size(), 5); // header, two devices, count, end
    EXPECT_TRUE(lines[0].startsWith("MAC                IP          NETMASK        GATEWAY"));
    EXPECT_EQ(lines[1].indexOf("10.77.0.10"), lines[0].indexOf("IP"));
    EXPECT_EQ(lines[2].indexOf("n/a"), lines[0].indexOf("NETMASK"));
    EXPECT_EQ(lines[1].indexOf("V1.05"), lines[0].indexOf("REVISION"));
    EXPECT_TRUE(lines[2].contains("not defined (300)"));
    EXPECT_TRUE(lines[2].contains("V1??5"));
    // The doubtful column comes only when a device's answer is doubtful.
    EXPECT_TRUE(lines[2].endsWith("answer from 10.77.0.50"));
    EXPECT_TRUE(lines[1].endsWith("10.77.0.1  yes"));
    EXPECT_FALSE(deviceListTable({sampleRows()[0]}).contains("DOUBTFUL"));
    EXPECT_FALSE(lines[1].endsWith(' '));
    EXPECT_EQ(lines[3], "2 devices");
    EXPECT_EQ(deviceListTable(sampleRows(), "through 10.77.0.1 (--adapter)").split('\n').value(3),
              "2 devices, through 10.77.0.1 (--adapter)");
    EXPECT_EQ(deviceListTable({}).split('\n').value(1), "0 devices");
}

TEST(SortByIp, NumericOrderThenMac) {
    std::vector<DeviceRow> rows(4);
    const char* const ips[] = {"10.0.0.10", "10.0.0.9", "9.255.0.1", "10.0.0.9"};
    const char* const macs[] = {"A", "C", "D", "B"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].ip = ips[i];
        rows[i].mac = macs[i];
    }
    sortByIp(rows);
    QStringList order;
    for (const DeviceRow& row : rows)
        order.append(row.mac);
    EXPECT_EQ(order, QStringList({"D", "B", "C", "A"}));
}
