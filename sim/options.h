#pragma once

#include "console.h"
#include "device_generator.h"

#include <optional>
#include <string>
#include <vector>

namespace sim {

struct Options {
    std::vector<std::string> deviceFiles;
    std::size_t generate = 0;
    GeneratorSettings generator;
    std::string logPath;
    std::string assignInterface;
    int readyFd = -1;
    Verbosity verbosity = Verbosity::Normal;
    bool list = false;
    bool help = false;
    bool version = false;
};

// Nothing, with *error set, for arguments that make no sense.
std::optional<Options> parseOptions(int argc, char** argv, std::string* error);
std::string helpText();

} // namespace sim
