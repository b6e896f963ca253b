#include "cli_fixture.h"

#include "support/temp_directory.h"

namespace {

constexpr const char* kDevices = R"(
[plain]
mac = 02-20-00-00-00-01
ip = 127.0.0.31
netmask = 255.0.0.0
gateway = 127.0.0.1
dhcp = inactive

[other]
mac = 02-20-00-00-00-02
ip = 127.0.0.32
netmask = 255.0.0.0
gateway = 127.0.0.1
dhcp = active

[locked]
mac = 02-20-00-00-00-03
ip = 127.0.0.33
netmask = 255.0.0.0
dhcp = unsupported
ip-status = 1
blink-status = 1

[mute]
mac = 02-20-00-00-00-04
ip = 127.0.0.34
netmask = 255.0.0.0
silent = sets
)";

} // namespace

class CliSetTest : public CliFixture {
protected:
    void SetUp() override { start(kDevices); }
};

TEST_F(CliSetTest, EachAddressIsWrittenTemporarilyThenPermanentlyAndConfirmed) {
    const testsupport::CliRun run = cli({"set", "02:20:00:00:00:01", "--ip", "127.0.0.41",
                                         "--netmask", "255.255.0.0", "--gateway", "127.0.0.2"});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_EQ(
        hexOf(changeRequests()),
        QStringList(
            {"0B 03 02 20 00 00 00 01 7F 00 00 29 26", "0B 02 02 20 00 00 00 01 7F 00 00 29 27",
             "0B 09 02 20 00 00 00 01 FF FF 00 00 CA", "0B 06 02 20 00 00 00 01 FF FF 00 00 CD",
             "0B 0A 02 20 00 00 00 01 7F 00 00 02 46", "0B 08 02 20 00 00 00 01 7F 00 00 02 48"}));
    for (const auto& request : changeRequests())
        EXPECT_EQ(request.destination, "255.255.255.255:55808");
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 14) << run.out.toStdString();
    EXPECT_EQ(lines[0], "02-20-00-00-00-01 at 127.0.0.31: ip 127.0.0.31 -> 127.0.0.41, netmask "
                        "255.0.0.0 -> 255.255.0.0, gateway 127.0.0.1 -> 127.0.0.2");
    EXPECT_EQ(lines[1], "request    IP address (temporary) 127.0.0.41: "
                        "0B 03 02 20 00 00 00 01 7F 00 00 29 26");
    EXPECT_EQ(lines[2], "confirmed  IP address (temporary) 127.0.0.41");
    EXPECT_EQ(lines[12], "confirmed  gateway (permanent) 127.0.0.2");
    EXPECT_EQ(lines[13], "done");

    // The device has them now: asked again, nothing is sent.
    const testsupport::CliRun again =
        cli({"set", "02-20-00-00-00-01", "--ip", "127.0.0.41", "--netmask", "255.255.0.0"});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, "02-20-00-00-00-01 at 127.0.0.41: nothing to change\n");
    EXPECT_TRUE(changeRequests().empty());
}

TEST_F(CliSetTest, DhcpRequestGoesToTheDeviceAndAsksForARestart) {
    const testsupport::CliRun on = cli({"set", "02-20-00-00-00-01", "--dhcp", "on"});
    ASSERT_EQ(on.exitCode, 0) << on.out.toStdString() << on.err.toStdString();
    const auto switchedOn = changeRequests();
    ASSERT_EQ(hexOf(switchedOn), QStringList({"02 0C 01 F0"}));
    EXPECT_EQ(switchedOn[0].destination, "127.0.0.31:55808");
    EXPECT_TRUE(on.out.contains("dhcp inactive -> active"));
    EXPECT_TRUE(on.out.contains("torvane-cli restart 02-20-00-00-00-01"));

    // Switched off, the device gets its static addresses written too, as the window does.
    const testsupport::CliRun off = cli({"set", "02-20-00-00-00-02", "--dhcp", "off"});
    ASSERT_EQ(off.exitCode, 0) << off.out.toStdString() << off.err.toStdString();
    const auto switchedOff = changeRequests();
    ASSERT_EQ(switchedOff.size(), 7u);
    EXPECT_EQ(switchedOff[0].bytes, QByteArray::fromHex("020C00F1"));
    EXPECT_EQ(switchedOff[0].destination, "127.0.0.32:55808");
    EXPECT_EQ(off.out.count("confirmed  "), 7);
}

TEST_F(CliSetTest, RefusalsAndFailuresEndWithTheirExitStatus) {
    const struct {
        QStringList arguments;
        int exitCode;
        QString says;
        int changeRequests;
        bool anythingSent;
    } cases[] = {
        {{"set", "02-20-00-00-00-01", "--ip", "127.0.0.32"},
         1,
         "refused, IP address 127.0.0.32 is used by 02-20-00-00-00-02",
         0,
         true},
        {{"set", "02-20-00-00-00-01", "--ip", "169.254.3.4"},
         1,
         "refused, 169.254.3.4 is a link-local address, refused while DHCP is off",
         0,
         true},
        {{"set", "02-20-00-00-00-03", "--ip", "127.0.0.43"},
         1,
         "refused, the device does not allow the IP address",
         1,
         true},
        {{"set", "02-20-00-00-00-03", "--dhcp", "on"},
         1,
         "refused, the device reports no DHCP that could be switched on",
         0,
         true},
        {{"--timeout", "400", "set", "02-20-00-00-00-04", "--gateway", "127.0.0.9"},
         1,
         "timeout, gateway (temporary) 127.0.0.9 not confirmed within 400 ms",
         1,
         true},
        {{"set", "02-20-00-00-00-99", "--ip", "127.0.0.44"},
         1,
         "02-20-00-00-00-99 did not answer the scan",
         0,
         true},
        {{"blink", "02-20-00-00-00-03"}, 1, "refused, blinking is not allowed", 0, true},
        {{"restart", "02-20-00-00-00-03"},
         1,
         "refused, the device does not report that it can be restarted",
         0,
         true},
        {{"set", "02-20-00-00-00-01", "--ip", "300.1.1.1"},
         2,
         "bad IP address \"300.1.1.1\"",
         0,
         false},
        {{"--adapter", "10.200.0.1", "scan"}, 3, "10.200.0.1 is no address of this host", 0, false},
    };
    for (const auto& c : cases) {
        const std::string name = c.arguments.join(' ').toStdString();
        const testsupport::CliRun run = cli(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode)
            << name << run.out.toStdString() << run.err.toStdString();
        EXPECT_TRUE((run.out + run.err).contains(c.says))
            << name << run.out.toStdString() << run.err.toStdString();
        EXPECT_EQ(int(changeRequests().size()), c.changeRequests) << name;
        EXPECT_EQ(!received().empty(), c.anythingSent) << name;
    }
}

TEST_F(CliSetTest, BlinkAndRestartSendOneFrameToTheDevice) {
    const testsupport::CliRun blink =
        cli({"--verbose", "blink", "02-20-00-00-00-01", "02-20-00-00-00-77", "02-20-00-00-00-03"});
    EXPECT_EQ(blink.exitCode, 1) << blink.err.toStdString();
    EXPECT_EQ(blink.out, "02-20-00-00-00-01 at 127.0.0.31: blink sent\n"
                         "02-20-00-00-00-03 at 127.0.0.33: refused, blinking is not allowed\n");
    EXPECT_TRUE(blink.err.contains("torvane-cli: 02-20-00-00-00-77 did not answer the scan\n"));
    // --verbose: the state window's lines on standard error.
    EXPECT_TRUE(blink.err.contains(" Sending scan to ")) << blink.err.toStdString();
    EXPECT_TRUE(blink.err.contains("MsgLen von  127.0.0.31 vor entscheidung 27"));
    QStringList sent = hexOf(received());
    EXPECT_EQ(sent.filter("07 04").size(), 2);
    EXPECT_TRUE(sent.contains("07 04 02 20 00 00 00 01 D1"));

    const testsupport::CliRun restart = cli({"restart", "02-20-00-00-00-02"});
    EXPECT_EQ(restart.exitCode, 0) << restart.err.toStdString();
    EXPECT_TRUE(restart.err.isEmpty()) << restart.err.toStdString();
    EXPECT_EQ(restart.out, "02-20-00-00-00-02 at 127.0.0.32: restart sent\n");
    sent = hexOf(received());
    EXPECT_EQ(sent.filter("07 0B").size(), 1);
    EXPECT_TRUE(sent.contains("07 0B 02 20 00 00 00 02 C9"));
}

TEST_F(CliSetTest, ApplyWithRestartRestartsADeviceWhoseDhcpItChanged) {
    testsupport::TempDirectory folder;
    const QString plan = QString::fromStdString(folder.write(
        "plan.csv", "mac,dhcp,ip\n02-20-00-00-00-01,on,\n02-20-00-00-00-02,,127.0.0.42\n"));
    const testsupport::CliRun run = cli({"--format", "csv", "apply", plan, "--restart"});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(",active,restart sent\r\n")) << run.out.toStdString();
    const QStringList sent = hexOf(received());
    EXPECT_EQ(sent.filter("07 0B").size(), 1);
    EXPECT_TRUE(sent.contains("07 0B 02 20 00 00 00 01 CA")) << sent.join('\n').toStdString();
}
