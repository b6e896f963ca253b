#pragma once

#include "address_text.h"

#include <memory>
#include <set>
#include <string>

namespace sim {

// Makes device addresses local to the simulator's network namespace, so that answers can
// leave from them and requests sent to them arrive: each address that is not local yet is
// added to one interface as a /32. Everything added is removed again on destruction.
class AddressAssigner {
public:
    static std::unique_ptr<AddressAssigner> open(const std::string& interfaceName,
                                                 std::string* error);
    ~AddressAssigner();
    AddressAssigner(const AddressAssigner&) = delete;
    AddressAssigner& operator=(const AddressAssigner&) = delete;

    bool ensureLocal(Ipv4 address, std::string* error);
    const std::string& interfaceName() const { return interfaceName_; }
    std::size_t addedCount() const { return added_.size(); }

private:
    AddressAssigner(int netlink, unsigned interfaceIndex, std::string interfaceName)
        : netlink_(netlink), interfaceIndex_(interfaceIndex),
          interfaceName_(std::move(interfaceName)) {}
    // 0 or the errno the kernel answered.
    int change(int type, Ipv4 address);

    int netlink_;
    unsigned interfaceIndex_;
    std::string interfaceName_;
    std::set<Ipv4> added_;
    unsigned sequence_ = 0;
};

// Whether a socket can be bound to the address here, that is whether it is local.
bool isLocalAddress(Ipv4 address);

} // namespace sim
