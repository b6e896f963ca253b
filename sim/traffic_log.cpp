#include "traffic_log.h"

#include "clock_text.h"
#include "request.h"

#include <cerrno>
#include <cstring>

namespace sim {

std::unique_ptr<TrafficLog> TrafficLog::open(const std::string& path, std::string* error) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) {
        *error = "cannot write the traffic log " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<TrafficLog>(new TrafficLog(file));
}

TrafficLog::~TrafficLog() {
    std::fclose(file_);
}

void TrafficLog::received(const Endpoint& source, const Endpoint& destination,
                          std::span<const std::uint8_t> bytes) {
    write("rx", source, destination, bytes);
}

void TrafficLog::sent(const Endpoint& source, const Endpoint& destination,
                      std::span<const std::uint8_t> bytes) {
    write("tx", source, destination, bytes);
}

void TrafficLog::write(const char* direction, const Endpoint& source, const Endpoint& destination,
                       std::span<const std::uint8_t> bytes) {
    std::string line = utcTimestamp() + ' ' + direction + ' ' + endpointText(source) + ' ' +
                       endpointText(destination);
    if (!bytes.empty())
        line += ' ' + hexText(bytes);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), file_);
}

bool TrafficLog::flush() {
    return std::fflush(file_) == 0 && !std::ferror(file_);
}

} // namespace sim
