#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sim {

// A decimal number or a hexadecimal one after "0x", not greater than maximum.
std::optional<std::uint32_t> parseNumber(std::string_view text, std::uint32_t maximum);

} // namespace sim
