#pragma once

#include <QtGlobal>

#include <vector>

namespace protocol {

// Whether a socket other than these descriptors' is bound to exactly address:port in this
// network namespace. Address reuse lets two sockets share an address, and the system then
// hands each unicast datagram to only one of them. Wildcard bindings (0.0.0.0) are not
// counted: the system prefers the exact binding. False when the system does not tell.
bool othersBoundTo(quint32 address, quint16 port, const std::vector<int>& ourDescriptors);

} // namespace protocol
