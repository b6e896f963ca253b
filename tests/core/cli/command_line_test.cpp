#include "cli/command_line.h"

#include <gtest/gtest.h>

using namespace cli;

namespace {

ParsedCommandLine parse(const QString& line) {
    return parseCommandLine(line.split(' ', Qt::SkipEmptyParts));
}

} // namespace

TEST(CommandLine, DefaultsAndCommonOptionsAnywhere) {
    const ParsedCommandLine scan = parse("scan");
    ASSERT_TRUE(scan.invocation) << scan.error.toStdString();
    EXPECT_EQ(scan.invocation->command, Command::Scan);
    EXPECT_EQ(scan.invocation->scanMs, 2500);
    EXPECT_EQ(scan.invocation->timeoutMs, 3000);
    EXPECT_EQ(scan.invocation->waitMs, 5000);
    EXPECT_EQ(scan.invocation->format, Format::Table);
    EXPECT_FALSE(scan.invocation->adapter);
    EXPECT_FALSE(scan.invocation->gdfFile);
    EXPECT_FALSE(scan.invocation->verbose);

    const ParsedCommandLine options = parse("--adapter 127.0.0.1 --format=json scan --scan-ms "
                                            "400 --timeout=50 --gdf my.gdf --verbose --wait-ms 0");
    ASSERT_TRUE(options.invocation) << options.error.toStdString();
    EXPECT_EQ(options.invocation->adapter, "127.0.0.1");
    EXPECT_EQ(options.invocation->format, Format::Json);
    EXPECT_EQ(options.invocation->scanMs, 400);
    EXPECT_EQ(options.invocation->timeoutMs, 50);
    EXPECT_EQ(options.invocation->waitMs, 0);
    EXPECT_EQ(options.invocation->gdfFile, "my.gdf");
    EXPECT_TRUE(options.invocation->verbose);
}

TEST(CommandLine, CommandsTakeTheirOperandsInCanonicalForm) {
    const ParsedCommandLine set =
        parse("set 02:ab:cd:ef:00:01 --ip 010.0.0.5 --netmask 255.255.0.0 --gateway 0.0.0.0 "
              "--dhcp off");
    ASSERT_TRUE(set.invocation) << set.error.toStdString();
    EXPECT_EQ(set.invocation->command, Command::Set);
    EXPECT_EQ(set.invocation->mac, "02-AB-CD-EF-00-01");
    EXPECT_EQ(set.invocation->ip, "10.0.0.5");
    EXPECT_EQ(set.invocation->netmask, "255.255.0.0");
    EXPECT_EQ(set.invocation->gateway, "0.0.0.0");
    EXPECT_EQ(set.invocation->dhcp, false);

    const ParsedCommandLine apply = parse("apply plan.csv --dry-run --format csv");
    ASSERT_TRUE(apply.invocation) << apply.error.toStdString();
    EXPECT_EQ(apply.invocation->planFile, "plan.csv");
    EXPECT_TRUE(apply.invocation->dryRun);
    EXPECT_EQ(apply.invocation->format, Format::Csv);

    const ParsedCommandLine watch =
        parse("--format jsonl watch --interval 5 --exec logger --exec-timeout 2");
    ASSERT_TRUE(watch.invocation) << watch.error.toStdString();
    EXPECT_EQ(watch.invocation->command, Command::Watch);
    EXPECT_EQ(watch.invocation->intervalS, 5);
    EXPECT_EQ(watch.invocation->execCommand, "logger");
    EXPECT_EQ(watch.invocation->execTimeoutS, 2);
    EXPECT_EQ(parse("scan --compare old.csv").invocation->compareFile, "old.csv");
    EXPECT_EQ(parse("inventory --since 2026-05-04").invocation->since, "2026-05-04T00:00:00.000Z");

    EXPECT_EQ(parse("blink 02-00-00-00-00-0a").invocation->mac, "02-00-00-00-00-0A");
    EXPECT_EQ(parse("restart 02-00-00-00-00-0a").invocation->command, Command::Restart);
    EXPECT_EQ(parse("blink 02-00-00-00-00-0a 02:00:00:00:00:0b 02-00-00-00-00-0A").invocation->macs,
              QStringList({"02-00-00-00-00-0A", "02-00-00-00-00-0B"}));
    EXPECT_EQ(parse("scan --type Rail").invocation->deviceType, "Rail");
    EXPECT_TRUE(parse("apply plan.csv --restart").invocation->restartAfterDhcp);
    const ParsedCommandLine automatic = parse("set 02-00-00-00-00-0a --ip auto --no-probe");
    ASSERT_TRUE(automatic.invocation) << automatic.error.toStdString();
    EXPECT_TRUE(automatic.invocation->ipAuto && !automatic.invocation->ip);
    EXPECT_FALSE(automatic.invocation->probe);
}

TEST(CommandLine, HelpAndVersionWinOverEverythingElse) {
    EXPECT_TRUE(parse("--help").help);
    EXPECT_TRUE(parse("set nonsense --help").help);
    EXPECT_TRUE(parse("scan -h").help);
    EXPECT_TRUE(parse("--version scan").version);
    EXPECT_TRUE(helpText().contains("apply PLAN.csv|- [--dry-run] [--restart]"));
    EXPECT_TRUE(versionText().startsWith("torvane-cli ("));
}

TEST(CommandLine, RefusesWhatCannotBeCarriedOut) {
    const struct {
        const char* line;
        const char* error;
    } cases[] = {
        {"", "no command: scan, set, blink, restart, apply, watch, history or inventory"},
        {"--format jsonl inventory", "inventory writes --format table, json or csv"},
        {"scan --since 2026-05-04", "--since belongs after the command history or inventory"},
        {"list", "unknown command \"list\""},
        {"scan extra", "unexpected argument \"extra\""},
        {"scan -v", "unknown option -v"},
        {"scan --quiet", "unknown option --quiet"},
        {"scan --format xml", "--format \"xml\": table, json, jsonl or csv"},
        {"--format csv watch", "watch writes --format table or jsonl"},
        {"watch --interval 0", "--interval \"0\": a number of seconds from 1 to 86400"},
        {"watch --exec=", "--exec needs a value"},
        {"scan --interval 5", "--interval belongs after the command watch"},
        {"scan --scan-ms 0", "--scan-ms \"0\": a number of milliseconds from 1 to 600000"},
        {"scan --timeout 2s", "--timeout \"2s\": a number of milliseconds from 1 to 600000"},
        {"scan --timeout", "--timeout needs a value"},
        {"scan --wait-ms 5s", "--wait-ms \"5s\": a number of milliseconds from 0 to 600000"},
        {"scan --adapter 300.1.1.1",
         "bad adapter address \"300.1.1.1\": not a dotted IPv4 address"},
        {"scan --verbose=yes", "--verbose takes no value"},
        {"scan --format json --format csv", "--format given twice"},
        {"scan --ip 10.0.0.1", "--ip belongs after the command set"},
        {"--ip 10.0.0.1 set 02-00-00-00-00-01", "--ip belongs after the command set"},
        {"set 02-00-00-00-00-01 --dry-run", "--dry-run belongs after the command apply"},
        {"set", "set needs the device's MAC address"},
        {"set 02-00-00-00-00-01", "set needs at least one of --ip, --netmask, --gateway, --dhcp"},
        {"set 02-00-00-00-00-01 --ip 10.0.0", "bad IP address \"10.0.0\": not a dotted IPv4 "
                                              "address"},
        {"set 02-00-00-00-00-01 --dhcp active", "--dhcp \"active\": on or off"},
        {"set 02-00-00-00-00-01 --netmask 255.0.255.0",
         "bad netmask \"255.0.255.0\": 1 to 31 leading one bits, such as 255.255.255.0"},
        {"blink 02-00-00-00-00", "bad MAC address \"02-00-00-00-00\": six hexadecimal pairs "
                                 "joined by - or :"},
        {"restart", "restart needs the device's MAC address"},
        {"apply", "apply needs the plan file"},
        {"set 02-00-00-00-00-01 02-00-00-00-00-02 --ip 10.0.0.1",
         "unexpected argument \"02-00-00-00-00-02\""},
        {"blink 02-00-00-00-00-01 02-00-00-00-00", "bad MAC address \"02-00-00-00-00\": six "
                                                   "hexadecimal pairs joined by - or :"},
        {"scan --type=", "--type needs a type code or a part of a type name"},
        {"set 02-00-00-00-00-01 --restart", "--restart belongs after the command apply"},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine parsed = parse(c.line);
        EXPECT_FALSE(parsed.invocation) << c.line;
        EXPECT_EQ(parsed.error, c.error) << c.line;
    }
}
