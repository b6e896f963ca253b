#include "protocol/frame.h"
#include "support/test_network.h"
#include "support/udp_peer.h"

#include <gtest/gtest.h>

#include <net/if.h>
#include <signal.h>
#include <sys/wait.h>

#include <fstream>
#include <map>
#include <thread>

using testsupport::SimulatorProcess;
using testsupport::TestNetwork;
using testsupport::UdpPeer;

namespace {

constexpr const char* kSegmentDevices = R"(
[in-subnet]
mac = 02-00-00-00-77-01
ip = 10.77.0.20
netmask = 255.255.255.0
[foreign]
mac = 02-00-00-00-77-02
ip = 10.9.0.5
netmask = 255.255.255.0
[link-local]
mac = 02-00-00-00-77-03
ip = 169.254.3.4
netmask = 255.255.0.0
)";

constexpr const char* kOtherSegmentDevice = R"(
[elsewhere]
mac = 02-00-00-00-78-01
ip = 10.78.0.20
netmask = 255.255.255.0
)";

bool interfaceExists(const std::string& name) {
    return if_nametoindex(name.c_str()) != 0;
}

// Gone, or a zombie nobody has reaped yet.
bool processEnded(pid_t pid) {
    if (kill(pid, 0) != 0)
        return true;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    for (int i = 0; i < 3 && stat >> field; ++i) {
    }
    return field == "Z";
}

template <class Condition> bool eventually(Condition condition) {
    for (int i = 0; i < 500; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

std::unique_ptr<TestNetwork> tier2OrSkipReason(std::string* whyNot) {
    return TestNetwork::tier2(whyNot);
}

} // namespace

TEST(TestNetworkTier1, PutsTheAdapterOnLoopback) {
    const auto network = TestNetwork::tier1();
    EXPECT_FALSE(network->isTier2());
    EXPECT_EQ(network->devices().pcAddress(), "127.0.0.1");
    EXPECT_EQ(network->devices().linkName(), "lo");
    EXPECT_EQ(network->devices().ns(), nullptr);
}

TEST(TestNetworkTier1, SimulatorStopsAndTakesItsAddressesAway) {
    const auto network = TestNetwork::tier1();
    std::string logPath;
    {
        const auto simulator = network->devices().startSimulator(
            "[foreign]\nmac = 02-00-00-00-00-01\nip = 10.9.0.5\n");
        logPath = simulator->logPath();
        EXPECT_TRUE(simulator->running());
        EXPECT_NE(
            testsupport::runCommand({"ip", "-4", "addr", "show", "dev", "lo"}).find("10.9.0.5/32"),
            std::string::npos);
        EXPECT_EQ(simulator->stop(), 0);
    }
    EXPECT_EQ(testsupport::runCommand({"ip", "-4", "addr", "show", "dev", "lo"}).find("10.9.0.5"),
              std::string::npos);
    EXPECT_FALSE(std::ifstream(logPath).good()) << "its folder is removed";
}

TEST(TestNetworkTier1, AddedAddressesAreRemovedWithTheNetwork) {
    {
        const auto network = TestNetwork::tier1();
        network->devices().addAddress("10.66.0.9/32");
        EXPECT_NE(
            testsupport::runCommand({"ip", "-4", "addr", "show", "dev", "lo"}).find("10.66.0.9/32"),
            std::string::npos);
    }
    EXPECT_EQ(testsupport::runCommand({"ip", "-4", "addr", "show", "dev", "lo"}).find("10.66.0.9"),
              std::string::npos);
}

TEST(TestNetworkTier1, ASimulatorThatCannotStartReportsWhy) {
    const auto network = TestNetwork::tier1();
    try {
        network->devices().startSimulator("[broken]\nmac = nonsense\n");
        FAIL() << "a device file with a wrong MAC must not start";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("mac"), std::string::npos) << error.what();
    }
}

TEST(TestNetworkTier2, SegmentsAreLinkedToTheTwoAdapters) {
    std::string whyNot;
    const auto network = tier2OrSkipReason(&whyNot);
    if (!network)
        GTEST_SKIP() << whyNot;
    ASSERT_TRUE(network->isTier2());
    EXPECT_EQ(network->devices().pcAddress(), "10.77.0.1");
    EXPECT_EQ(network->otherSegment().pcAddress(), "10.78.0.1");
    EXPECT_EQ(network->devices().pcNetmask(), "255.255.255.0");
    const std::string pcAddresses = testsupport::runCommand({"ip", "-4", "-o", "addr", "show"});
    EXPECT_NE(pcAddresses.find(network->devices().pcInterface() + "    inet 10.77.0.1/24"),
              std::string::npos)
        << pcAddresses;
    EXPECT_NE(pcAddresses.find(network->otherSegment().pcInterface() + "    inet 10.78.0.1/24"),
              std::string::npos)
        << pcAddresses;
    const std::string segmentAddresses =
        testsupport::runCommand({"ip", "-4", "-o", "addr", "show"}, network->devices().ns());
    EXPECT_NE(segmentAddresses.find("10.77.0.254/24"), std::string::npos) << segmentAddresses;
}

TEST(TestNetworkTier2, ScanFromTheAdapterReachesOnlyItsSegment) {
    std::string whyNot;
    const auto network = tier2OrSkipReason(&whyNot);
    if (!network)
        GTEST_SKIP() << whyNot;
    const auto devices = network->devices().startSimulator(kSegmentDevices);
    const auto other = network->otherSegment().startSimulator(kOtherSegmentDevice);
    UdpPeer tool("0.0.0.0", 0, {true, true, 0});
    ASSERT_TRUE(tool.isOpen());
    ASSERT_TRUE(tool.sendFrom("10.77.0.1", protocol::buildFrame(protocol::dcScan, {}),
                              "255.255.255.255", protocol::kDevicePort));
    std::map<QString, QString> destinationBySource;
    for (int i = 0; i < 3; ++i) {
        const auto answer = tool.receive();
        ASSERT_TRUE(answer) << devices->output();
        destinationBySource[answer->source] = answer->destination;
    }
    EXPECT_EQ(destinationBySource, (std::map<QString, QString>{
                                       {"10.77.0.20", "10.77.0.1"},
                                       {"10.9.0.5", "255.255.255.255"},
                                       {"169.254.3.4", "255.255.255.255"},
                                   }));
    EXPECT_FALSE(tool.receive(300)) << "the other segment never hears the scan";
    EXPECT_TRUE(other->traffic().empty());
}

TEST(TestNetworkTier2, LinksAndNamespacesVanishWithTheNetwork) {
    std::string whyNot;
    auto network = tier2OrSkipReason(&whyNot);
    if (!network)
        GTEST_SKIP() << whyNot;
    const std::string adapter = network->devices().pcInterface();
    const std::string second = network->otherSegment().pcInterface();
    const pid_t holder = network->devices().ns()->holderPid();
    ASSERT_TRUE(interfaceExists(adapter));
    ASSERT_TRUE(interfaceExists(second));
    network.reset();
    EXPECT_FALSE(interfaceExists(adapter));
    EXPECT_FALSE(interfaceExists(second));
    EXPECT_TRUE(processEnded(holder));
}

TEST(TestNetworkTier2, NothingSurvivesATestProcessThatDies) {
    std::string whyNot;
    if (!tier2OrSkipReason(&whyNot))
        GTEST_SKIP() << whyNot;
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A test process that dies in the middle: no destructor runs.
        close(report[0]);
        std::string reason;
        auto network = TestNetwork::tier2(&reason);
        auto simulator = network->devices().startSimulator(kSegmentDevices);
        struct {
            pid_t holder;
            char adapter[IFNAMSIZ];
        } facts{network->devices().ns()->holderPid(), {}};
        network->devices().pcInterface().copy(facts.adapter, IFNAMSIZ - 1);
        if (write(report[1], &facts, sizeof facts) != sizeof facts)
            _exit(2);
        simulator.release();
        network.release();
        _exit(0);
    }
    close(report[1]);
    struct {
        pid_t holder;
        char adapter[IFNAMSIZ];
    } facts{};
    ASSERT_EQ(read(report[0], &facts, sizeof facts), ssize_t(sizeof facts));
    close(report[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(eventually([&] { return processEnded(facts.holder); }));
    EXPECT_TRUE(eventually([&] { return !interfaceExists(facts.adapter); }))
        << facts.adapter << " is left behind";
}
