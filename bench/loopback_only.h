#pragma once

#include <optional>
#include <string>

namespace bench {

// The name of an interface of this network namespace that is up and not loopback, if there
// is one. The benchmark broadcasts, so it runs only where nothing can leave the machine.
std::optional<std::string> interfaceLeadingOutside();

} // namespace bench
