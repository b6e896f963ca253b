#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace bench {

// torvane-sim running beside the benchmark in the same network namespace, its output kept
// in a file. Stopped on destruction.
class SimulatorRun {
public:
    // Returns once the simulator listens; throws std::runtime_error with its output when it
    // does not come up.
    SimulatorRun(const std::string& binary, const std::vector<std::string>& arguments,
                 const std::string& outputPath);
    ~SimulatorRun();
    SimulatorRun(const SimulatorRun&) = delete;
    SimulatorRun& operator=(const SimulatorRun&) = delete;

private:
    void stop();

    pid_t pid = -1;
    std::string outputPath;
};

} // namespace bench
