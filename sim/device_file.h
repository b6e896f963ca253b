#pragma once

#include "device_profile.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// Reads the device file: one "[name]" section per device with "key = value" lines, as
// documented in docs/simulator.md. On error, *error holds "FILE:LINE: what is wrong".
std::optional<std::vector<DeviceProfile>>
parseDeviceFile(std::string_view text, std::string_view fileName, std::string* error);
std::optional<std::vector<DeviceProfile>> readDeviceFile(const std::string& path,
                                                         std::string* error);

} // namespace sim
