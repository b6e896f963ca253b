#pragma once

#include "support/network_namespace.h"
#include "support/simulator_process.h"

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// A broadcast domain where simulated devices live, as seen from the PC (the test's own
// network namespace), which reaches it through one of its adapters.
class Segment {
public:
    Segment(std::unique_ptr<NetworkNamespace> ns, std::string linkName, std::string pcInterface,
            std::string pcAddress, std::string pcNetmask);

    // The segment's own namespace; null when the devices share the test's (tier 1).
    const NetworkNamespace* ns() const { return ns_.get(); }
    // The segment's interface: device addresses go here ("lo" in tier 1).
    const std::string& linkName() const { return linkName_; }
    // The PC's adapter that leads to this segment, its address and netmask.
    const std::string& pcInterface() const { return pcInterface_; }
    const std::string& pcAddress() const { return pcAddress_; }
    const std::string& pcNetmask() const { return pcNetmask_; }

    // Adds an address ("10.9.0.5/32") to the segment's interface.
    void addAddress(const std::string& cidr);
    // Starts the simulator in the segment; it puts the device addresses on linkName().
    std::unique_ptr<SimulatorProcess> startSimulator(const std::string& deviceFile,
                                                     std::vector<std::string> arguments = {}) const;

    ~Segment();

private:
    std::unique_ptr<NetworkNamespace> ns_;
    std::string linkName_;
    std::string pcInterface_;
    std::string pcAddress_;
    std::string pcNetmask_;
    std::vector<std::string> addedAddresses_;
};

// The test networks. The test process (run by CTest through scripts/netns-run.sh) already
// sits in a private network namespace holding only loopback; everything here stays inside
// it or inside namespaces made as its children, and all of it is removed on destruction or
// dies with the test process.
//
// Tier 1 (no root needed): the PC's adapter is 127.0.0.1/8 on loopback, devices use further
// 127.x addresses, addresses of foreign subnets are put on lo as /32; broadcasts work there.
//
// Tier 2 (root): two segments, each a namespace of its own joined to the PC by a veth pair:
//   PC adapter   10.77.0.1/24 (pcInterface() of devices())       -- segment "devices",
//                                                                   its link 10.77.0.254/24
//   PC adapter 2 10.78.0.1/24 (pcInterface() of otherSegment())  -- segment "other",
//                                                                   its link 10.78.0.254/24
// Device addresses of any subnet (10.77.0.x, foreign ones, 169.254.x.x) go onto the
// segment's link as /32 (the simulator does that for its devices). The interfaces' names
// begin with "tv" and are unique within the test process.
class TestNetwork {
public:
    static std::unique_ptr<TestNetwork> tier1();
    // Null, with *whyNot telling why, when it cannot be built (without root): the caller
    // skips, e.g. GTEST_SKIP() << whyNot.
    static std::unique_ptr<TestNetwork> tier2(std::string* whyNot);
    ~TestNetwork();

    bool isTier2() const { return other_ != nullptr; }
    // The segment behind the PC's chosen adapter; in tier 1 the loopback.
    Segment& devices() { return *devices_; }
    // Tier 2 only: the segment behind the PC's second adapter.
    Segment& otherSegment() { return *other_; }

private:
    TestNetwork() = default;
    std::unique_ptr<Segment> devices_;
    std::unique_ptr<Segment> other_;
    std::vector<std::string> pcLinks_;
};

} // namespace testsupport
