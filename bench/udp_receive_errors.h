#pragma once

namespace bench {

// The namespace's count of UDP datagrams the kernel dropped for want of receive buffer
// (RcvbufErrors in /proc/net/snmp); -1 when it cannot be read.
long udpReceiveBufferErrors();

} // namespace bench
