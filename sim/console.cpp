#include "console.h"

#include "clock_text.h"

#include <cstdio>

namespace sim {

void Console::error(const std::string& text) const {
    write("error: " + text);
}

void Console::info(const std::string& text) const {
    if (verbosity_ != Verbosity::Quiet)
        write(text);
}

void Console::detail(const std::string& text) const {
    if (verbosity_ == Verbosity::Verbose)
        write(text);
}

void Console::write(const std::string& text) const {
    std::fprintf(stderr, "%s %s\n", localClockTime().c_str(), text.c_str());
}

} // namespace sim
