#include "support/network_namespace.h"
#include "support/simulator_process.h"
#include "support/temp_directory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/wait.h>

using testsupport::runSimulatorToEnd;

namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(SimulatorCommandLine, HelpDescribesTheOptionsAndTheDeviceFile) {
    const auto run = runSimulatorToEnd({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* part : {"Usage: torvane-sim", "--generate", "--log", "--assign-addresses",
                             "docs/simulator.md", "Exit status"})
        EXPECT_TRUE(contains(run.output, part)) << part;
}

TEST(SimulatorCommandLine, WrongArgumentsEndWithUsageStatus) {
    EXPECT_EQ(runSimulatorToEnd({}).exitCode, 2);
    EXPECT_EQ(runSimulatorToEnd({"--generate", "many"}).exitCode, 2);
    EXPECT_EQ(runSimulatorToEnd({"--bogus"}).exitCode, 2);
    EXPECT_EQ(runSimulatorToEnd({"/nonexistent/devices.ini"}).exitCode, 2);
}

TEST(SimulatorCommandLine, DeviceFileMistakesNameTheFileAndLine) {
    const testsupport::TempDirectory folder;
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"[a]\nmac = 02-00-00-00-00-01\nip = 127.0.0.2\nnetmsk = 255.0.0.0\n",
         ":4: unknown key \"netmsk\""},
        {"ip = 127.0.0.2\n", ":1: a \"[device name]\" line must come before"},
        {"[a]\nip = 127.0.0.2\n", ":1: device a has no mac"},
        {"[a]\nmac = 02-00-00-00-00-01\nip = 127.0.0.256\n", ":3: ip:"},
        {"[a]\nmac = 02-00-00-00-00-01\nip = 127.0.0.2\nrevision = V1.0\n",
         ":4: revision: exactly five characters"},
        {"[a]\nmac = 02-00-00-00-00-01\nip = 127.0.0.2\nsilent = reads, naps\n",
         ":4: silent: unknown request \"naps\""},
        {"[a]\nmac = 02-00-00-00-00-01\nip = 127.0.0.2\n[b]\nmac = 02-00-00-00-00-01\nip = "
         "127.0.0.3\n",
         "devices a and b have the same MAC 02-00-00-00-00-01"},
        {"[a]\nmac = 02-00-00-00-00-01\nip = 127.0.0.2\ntype = 0x10000\n", ":4: type:"},
    };
    for (const auto& wrong : cases) {
        const std::string path = folder.write("devices.ini", wrong.text);
        const auto run = runSimulatorToEnd({path});
        EXPECT_EQ(run.exitCode, 2) << wrong.text;
        EXPECT_TRUE(contains(run.output, wrong.message)) << run.output;
    }
}

TEST(SimulatorCommandLine, ListShowsEveryDeviceWithItsFaults) {
    const testsupport::TempDirectory folder;
    const std::string path = folder.write("devices.ini", R"(
# a comment
[gw-one]
mac = 02-11-22-33-44-55
ip = 10.77.0.20
netmask = 255.255.255.0
revision = "V1.0 "
silent = reads
delay = 250
)");
    const auto run = runSimulatorToEnd({"--list", path, "--generate", "2"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "gw-one"));
    EXPECT_TRUE(contains(run.output, "02-11-22-33-44-55 10.77.0.20"));
    EXPECT_TRUE(contains(run.output, "V1.0 "));
    EXPECT_TRUE(contains(run.output, "silent: read-netmask, read-gateway; delay 250 ms"));
    EXPECT_TRUE(contains(run.output, "gen-1"));
    EXPECT_TRUE(contains(run.output, "02-54-56-00-00-02 127.0.1.2"));
}

TEST(SimulatorCommandLine, RefusesANamespaceWithAnInterfaceThatMayLeadOutside) {
    std::unique_ptr<testsupport::NetworkNamespace> ns;
    try {
        ns = std::make_unique<testsupport::NetworkNamespace>();
        testsupport::runCommand(
            {"ip", "link", "add", "eth9", "type", "veth", "peer", "name", "eth10"}, ns.get());
        testsupport::runCommand({"ip", "link", "set", "eth9", "up"}, ns.get());
    } catch (const std::exception& error) {
        GTEST_SKIP() << "needs root to build a namespace with an interface named eth9: "
                     << error.what();
    }
    const testsupport::TempDirectory folder;
    const pid_t pid = testsupport::spawnProcess({testsupport::simulatorBinary(), "--generate", "1"},
                                                ns.get(), folder.file("out"), -1);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    std::ifstream output(folder.file("out"));
    const std::string text((std::istreambuf_iterator<char>(output)), {});
    EXPECT_TRUE(contains(text, "refusing to run: interface eth9")) << text;
}
