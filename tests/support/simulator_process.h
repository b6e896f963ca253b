#pragma once

#include "support/network_namespace.h"
#include "support/temp_directory.h"

#include <QByteArray>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// One line of the simulator's traffic log.
struct TrafficRecord {
    std::string time;        // "2025-01-31T09:15:02.481Z"
    bool sent = false;       // "tx"; false for "rx"
    std::string source;      // "10.77.0.20:55808"
    std::string destination; // "255.255.255.255:55808"
    QByteArray bytes;
};
std::optional<TrafficRecord> parseTrafficLine(const std::string& line);

using TrafficCondition = std::function<bool(const std::vector<TrafficRecord>&)>;

// build/bin/torvane-sim running for a test, with its device file, traffic log and output in
// a temporary folder of its own. Stopped (and its folder removed) on destruction; it also
// dies with the test process.
class SimulatorProcess {
public:
    struct Settings {
        std::string deviceFile;               // the text of the device file; empty for none
        std::vector<std::string> arguments;   // further arguments, e.g. {"--generate", "100"}
        const NetworkNamespace* ns = nullptr; // null: the test's own namespace
        std::string assignInterface = "lo";   // where device addresses go; empty: nowhere
    };

    // Returns once the simulator listens; throws std::runtime_error with its output when it
    // does not come up.
    explicit SimulatorProcess(Settings settings);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // SIGTERM, then SIGKILL after a grace period; gives the exit status (-1 if killed).
    int stop();
    bool running();
    // What it wrote to stdout and stderr so far.
    std::string output() const;
    std::vector<TrafficRecord> traffic() const;
    // Rereads the traffic log until the condition holds or the time is up; gives the last
    // records read either way.
    std::vector<TrafficRecord>
    waitForTraffic(const TrafficCondition& condition,
                   std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
    const std::string& logPath() const { return logPath_; }

private:
    TempDirectory folder_;
    std::string logPath_;
    std::string outputPath_;
    pid_t pid_ = -1;
    int exitStatus_ = -1;
};

std::string simulatorBinary();

struct FinishedRun {
    int exitCode = -1;
    std::string output;
};
// Runs the simulator with these arguments until it ends by itself (for --help, --list and
// refused device files), in the test's own namespace.
FinishedRun runSimulatorToEnd(const std::vector<std::string>& arguments);

// Counts records of one direction.
std::size_t countRecords(const std::vector<TrafficRecord>& records, bool sent);
// The requests with this code the simulator has received so far.
std::size_t requestsReceived(const SimulatorProcess& simulator, quint8 code);

} // namespace testsupport
