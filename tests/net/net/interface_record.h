#pragma once

#include "net/local_interfaces.h"

#include <algorithm>

// The record of one address in an interface list; null when the list lacks it.
inline const net::tNetworkInterface* recordFor(const net::tNetworkInterfaceList& list,
                                               const QString& address) {
    const auto found =
        std::find_if(list.begin(), list.end(),
                     [&](const net::tNetworkInterface& one) { return one.AddrIP == address; });
    return found == list.end() ? nullptr : &*found;
}
