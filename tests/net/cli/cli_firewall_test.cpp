// torvane-cli behind a desktop firewall on the tier-2 test network: the gateways' answers
// to the broadcast scan are new to connection tracking and dropped, until the documented
// rule lets them in.
#include "support/cli_process.h"
#include "support/test_network.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

constexpr const char* kDevices = "[a]\nmac = 02-22-00-00-00-01\nip = 10.77.0.21\n"
                                 "[b]\nmac = 02-22-00-00-00-02\nip = 10.77.0.22\n"
                                 "[foreign]\nmac = 02-22-00-00-00-03\nip = 10.9.0.5\n";

struct FirewallCase {
    const char* name;
    bool ruleAdded;
    int exitCode;
    const char* devicesLine;
    const char* hint; // on stderr; empty: none
};

class CliFirewallTest : public ::testing::TestWithParam<FirewallCase> {};

} // namespace

TEST_P(CliFirewallTest, ScanTellsWhatDropsTheAnswers) {
    std::string whyNot;
    const auto network = TestNetwork::tier2(&whyNot);
    if (!network)
        GTEST_SKIP() << whyNot;
    const auto simulator = network->devices().startSimulator(kDevices);
    // A desktop firewall's default in the PC's namespace, and the manual's rule.
    runCommand({"nft", "-f", TORVANE_SOURCE_DIR "/scripts/desktop-firewall.nft"});
    if (GetParam().ruleAdded)
        runCommand({"nft", "insert", "rule", "inet", "torvane_desktop", "input", "udp", "dport",
                    "55808", "accept"});

    const CliRun run = runCli({"--adapter", QString::fromStdString(network->devices().pcAddress()),
                               "--scan-ms", "800", "scan"});
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.err.toStdString();
    EXPECT_TRUE(run.out.endsWith(QLatin1String(GetParam().devicesLine))) << run.out.toStdString();
    const QString hint = QString::fromLatin1(GetParam().hint);
    if (hint.isEmpty())
        EXPECT_FALSE(run.err.contains("No device answered")) << run.err.toStdString();
    else
        EXPECT_TRUE(run.err.contains(hint)) << run.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Firewall, CliFirewallTest,
    ::testing::Values(
        FirewallCase{"On", false, 1, "0 devices, through 10.77.0.1 (--adapter)\n",
                     "No device answered. The firewall of this PC drops UDP port 55808 (Help: "
                     "Firewall); nftables inet torvane_desktop input: policy drop\n"},
        FirewallCase{"WithTheDocumentedRule", true, 0, "3 devices, through 10.77.0.1 (--adapter)\n",
                     ""}),
    [](const auto& info) { return std::string(info.param.name); });
