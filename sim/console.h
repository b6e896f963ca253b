#pragma once

#include <string>

namespace sim {

enum class Verbosity { Quiet, Normal, Verbose };

// The operator's view on stderr: one time-stamped line per event.
class Console {
public:
    explicit Console(Verbosity verbosity) : verbosity_(verbosity) {}

    Verbosity verbosity() const { return verbosity_; }
    void error(const std::string& text) const;
    void info(const std::string& text) const;
    void detail(const std::string& text) const;

private:
    void write(const std::string& text) const;
    Verbosity verbosity_;
};

} // namespace sim
