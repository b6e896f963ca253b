#include "cli/plan_file.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace cli;

namespace {

QStringList problemTexts(const Plan& plan) {
    QStringList texts;
    for (const PlanProblem& problem : plan.problems)
        texts.append(QStringLiteral("%1: %2").arg(problem.line).arg(problem.message));
    return texts;
}

} // namespace

TEST(ParsePlan, ColumnsInAnyOrderAndEmptyCellsLeaveValues) {
    const Plan plan = parsePlan("Gateway; MAC ;dhcp;ip\n"
                                "10.0.0.1;02:ab:cd:00:00:01;;010.0.0.20\n"
                                "\n"
                                ";02-AB-CD-00-00-02;ON;\n"
                                ";;;\n"
                                "0.0.0.0;02-ab-cd-00-00-03;inactive;10.0.0.21\n");
    ASSERT_TRUE(plan.problems.empty()) << problemTexts(plan).join('\n').toStdString();
    ASSERT_EQ(plan.rows.size(), 3u);
    const PlanRow& first = plan.rows[0];
    EXPECT_EQ(first.line, 2);
    EXPECT_EQ(first.mac, "02-AB-CD-00-00-01");
    EXPECT_EQ(first.ip, "10.0.0.20");
    EXPECT_EQ(first.gateway, "10.0.0.1");
    EXPECT_FALSE(first.netmask);
    EXPECT_FALSE(first.dhcp);
    EXPECT_EQ(plan.rows[1].line, 4);
    EXPECT_EQ(plan.rows[1].dhcp, true);
    EXPECT_FALSE(plan.rows[1].ip);
    EXPECT_EQ(plan.rows[2].line, 6);
    EXPECT_EQ(plan.rows[2].gateway, "0.0.0.0");
    EXPECT_EQ(plan.rows[2].dhcp, false);
}

TEST(ParsePlan, EveryBadRowIsReportedWithItsLine) {
    const struct {
        const char* name;
        const char* text;
        QStringList problems;
    } cases[] = {
        {"bad values",
         "mac,ip,netmask,gateway,dhcp\n"
         "02-00-00-00-00-01,10.0.0.300,255.0.255.0,224.0.0.1,maybe\n"
         "02-00-00-00-0001,10.0.0.2,,,\n"
         ",10.0.0.3,,,\n"
         "02-00-00-00-00-04,10.0.0.4,,,,x\n",
         {"2: bad IP address \"10.0.0.300\": not a dotted IPv4 address",
          "2: bad netmask \"255.0.255.0\": 1 to 31 leading one bits, such as 255.255.255.0",
          "2: bad gateway address \"224.0.0.1\": a multicast or reserved address, not a device's",
          "2: bad DHCP value \"maybe\": on or off (active, inactive; unsupported or n/a leave it)",
          "3: bad MAC address \"02-00-00-00-0001\": six hexadecimal pairs joined by - or :",
          "4: no MAC address", "5: more cells than the header names"}},
        {"duplicates",
         "mac,ip\n"
         "02-00-00-00-00-01,10.0.0.1\n"
         "02:00:00:00:00:02,10.0.0.2\n"
         "02-00-00-00-00-01,10.0.0.3\n"
         "02-00-00-00-00-04,10.0.0.02\n",
         {"4: MAC address 02-00-00-00-00-01 is planned on line 2 already",
          "5: IP address 10.0.0.2 is planned for 02-00-00-00-00-02 on line 3 already"}},
        {"header",
         "mac,ip,netmsk,ip,Gatway,id\n",
         {"1: column \"netmsk\" looks like \"netmask\" misspelt; name it netmask, or give a "
          "column of your own another name",
          "1: column \"ip\" named twice",
          "1: column \"Gatway\" looks like \"gateway\" misspelt; name it gateway, or give a "
          "column of your own another name",
          "1: column \"id\" looks like \"ip\" misspelt; name it ip, or give a column of your "
          "own another name"}},
        {"no mac column", "ip\n10.0.0.1\n", {"1: the header names no \"mac\" column"}},
        {"empty",
         "\n\n",
         {"1: no header row: it names mac and some of ip, netmask, gateway, dhcp"}},
        {"no device", "mac,ip\n\n", {"1: the plan names no device"}},
        {"unclosed quote",
         "mac,ip\n02-00-00-00-00-01,\"10.0.0.1\n",
         {"2: a quoted field is not closed"}},
        {"unusable addresses",
         "mac,ip,netmask\n"
         "02-00-00-00-00-01,0.1.2.3,0.0.0.0\n"
         "02-00-00-00-00-02,255.255.255.255,255.255.255.255\n",
         {"2: bad IP address \"0.1.2.3\": no host may take an address in 0.0.0.0/8",
          "2: bad netmask \"0.0.0.0\": 1 to 31 leading one bits, such as 255.255.255.0",
          "3: bad IP address \"255.255.255.255\": a multicast or reserved address, not a "
          "device's",
          "3: bad netmask \"255.255.255.255\": 1 to 31 leading one bits, such as "
          "255.255.255.0"}},
    };
    for (const auto& c : cases) {
        const Plan plan = parsePlan(c.text);
        EXPECT_EQ(problemTexts(plan), c.problems) << c.name;
    }
}

TEST(ParsePlan, ARowWithOnlyAMacPlansNoChange) {
    const Plan plan = parsePlan("mac,\n02-00-00-00-00-01,\n");
    ASSERT_TRUE(plan.problems.empty()) << problemTexts(plan).join('\n').toStdString();
    ASSERT_EQ(plan.rows.size(), 1u);
    EXPECT_FALSE(plan.rows[0].ip || plan.rows[0].netmask || plan.rows[0].gateway ||
                 plan.rows[0].dhcp);
}

// The device list as the program exports it, edited in a spreadsheet that saved it with
// tabs, a column of the technician's own added: a plan.
TEST(ParsePlan, TheExportedDeviceListIsAPlan) {
    const struct {
        const char* name;
        const char* text;
        std::optional<bool> dhcp;
    } cases[] = {
        {"commas, inactive",
         "mac,ip,netmask,gateway,dhcp,restart,type,type_name,revision,duplicate_ip,adapter,"
         "Location,no\r\n"
         "02-54-56-00-00-01,127.0.2.1,255.0.0.0,0.0.0.0,inactive,true,1,\"PB, DP\",V1.00,false,"
         "127.0.0.1,cabinet 4,7\r\n",
         false},
        {"tabs, active",
         "mac\tip\tnetmask\tgateway\tdhcp\trestart\tLocation\tno\n"
         "02-54-56-00-00-01\t127.0.2.1\t255.0.0.0\t0.0.0.0\tactive\ttrue\tcabinet 4\t7\n",
         true},
        {"semicolons, unsupported",
         "mac;ip;netmask;gateway;dhcp;Location;no\n"
         "02-54-56-00-00-01;127.0.2.1;255.0.0.0;0.0.0.0;unsupported;cabinet 4;7\n",
         std::nullopt},
        {"n/a", "mac,ip,dhcp,Location,no\n02-54-56-00-00-01,127.0.2.1,N/A,cabinet 4,7\n",
         std::nullopt},
    };
    for (const auto& c : cases) {
        const Plan plan = parsePlan(c.text);
        ASSERT_TRUE(plan.problems.empty()) << c.name << problemTexts(plan).join('\n').toStdString();
        ASSERT_EQ(plan.rows.size(), 1u) << c.name;
        EXPECT_EQ(plan.rows[0].ip, "127.0.2.1") << c.name;
        EXPECT_EQ(plan.rows[0].dhcp, c.dhcp) << c.name;
        EXPECT_EQ(plan.ignoredColumns, QStringList({"Location", "no"})) << c.name;
    }
}
