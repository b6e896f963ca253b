#pragma once

#include "address_text.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

namespace sim {

// The machine-readable record of every datagram, one line each:
//   2025-01-31T09:15:02.481Z rx 10.77.0.1:55808 255.255.255.255:55808 01 01 FD
// time in UTC, "rx" or "tx", source, destination, the bytes in upper-case hexadecimal.
class TrafficLog {
public:
    static std::unique_ptr<TrafficLog> open(const std::string& path, std::string* error);
    ~TrafficLog();
    TrafficLog(const TrafficLog&) = delete;
    TrafficLog& operator=(const TrafficLog&) = delete;

    void received(const Endpoint& source, const Endpoint& destination,
                  std::span<const std::uint8_t> bytes);
    void sent(const Endpoint& source, const Endpoint& destination,
              std::span<const std::uint8_t> bytes);
    // False once writing has failed (reported once by the caller).
    bool flush();

private:
    explicit TrafficLog(std::FILE* file) : file_(file) {}
    void write(const char* direction, const Endpoint& source, const Endpoint& destination,
               std::span<const std::uint8_t> bytes);

    std::FILE* file_;
};

} // namespace sim
