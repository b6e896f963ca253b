// These tests send broadcasts. They must only ever run inside a network namespace of their
// own (scripts/netns-run.sh), never in the machine's: refuse to run when anything besides
// loopback is visible at the start.
#include <net/if.h>

#include <gtest/gtest.h>

#include <string>

namespace {

class PrivateNamespaceGuard : public ::testing::Environment {
public:
    void SetUp() override {
        struct if_nameindex* names = if_nameindex();
        ASSERT_NE(names, nullptr) << "cannot list the network interfaces";
        std::string foreign;
        for (const struct if_nameindex* entry = names; entry->if_index != 0; ++entry) {
            if (std::string(entry->if_name) != "lo")
                foreign += std::string(" ") + entry->if_name;
        }
        if_freenameindex(names);
        ASSERT_TRUE(foreign.empty())
            << "refusing to run outside a private network namespace (run through "
               "scripts/netns-run.sh); interfaces seen:"
            << foreign;
    }
};

const auto* const guard = ::testing::AddGlobalTestEnvironment(new PrivateNamespaceGuard);

} // namespace
