#include "support/simulator_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

namespace {

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Waits for the child up to the deadline; gives true once it has ended.
bool reap(pid_t pid, int* status, std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        const pid_t done = waitpid(pid, status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR))
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

int exitCodeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

std::string simulatorBinary() {
    return TORVANE_BIN_DIR "/torvane-sim";
}

std::optional<TrafficRecord> parseTrafficLine(const std::string& line) {
    std::istringstream fields(line);
    TrafficRecord record;
    std::string direction;
    if (!(fields >> record.time >> direction >> record.source >> record.destination) ||
        (direction != "rx" && direction != "tx"))
        return std::nullopt;
    record.sent = direction == "tx";
    std::string hex;
    while (fields >> hex) {
        if (hex.size() != 2)
            return std::nullopt;
        record.bytes.append(QByteArray::fromHex(QByteArray::fromStdString(hex)));
    }
    return record;
}

std::size_t countRecords(const std::vector<TrafficRecord>& records, bool sent) {
    std::size_t count = 0;
    for (const TrafficRecord& record : records)
        count += record.sent == sent;
    return count;
}

std::size_t requestsReceived(const SimulatorProcess& simulator, quint8 code) {
    std::size_t count = 0;
    for (const TrafficRecord& record : simulator.traffic())
        count += !record.sent && record.bytes.size() > 1 && quint8(record.bytes[1]) == code;
    return count;
}

SimulatorProcess::SimulatorProcess(Settings settings)
    : logPath_(folder_.file("traffic.log")), outputPath_(folder_.file("output.txt")) {
    std::vector<std::string> command{simulatorBinary(), "--log", logPath_, "--ready-fd", "3"};
    if (!settings.assignInterface.empty()) {
        command.push_back("--assign-addresses");
        command.push_back(settings.assignInterface);
    }
    if (!settings.deviceFile.empty())
        command.push_back(folder_.write("devices.ini", settings.deviceFile));
    command.insert(command.end(), settings.arguments.begin(), settings.arguments.end());

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    UniqueFd readEnd(pipeFds[0]);
    UniqueFd writeEnd(pipeFds[1]);
    pid_ = spawnProcess(command, settings.ns, outputPath_, writeEnd.get());
    writeEnd.reset();

    pollfd ready{readEnd.get(), POLLIN, 0};
    char answer[16]{};
    const bool listening = poll(&ready, 1, 20000) == 1 &&
                           read(readEnd.get(), answer, sizeof answer - 1) > 0 &&
                           std::strncmp(answer, "ready", 5) == 0;
    if (!listening) {
        stop();
        throw std::runtime_error("the simulator did not come up (exit status " +
                                 std::to_string(exitStatus_) + "):\n" + output());
    }
}

SimulatorProcess::~SimulatorProcess() {
    stop();
}

int SimulatorProcess::stop() {
    if (pid_ < 0)
        return exitStatus_;
    int status = 0;
    if (!reap(pid_, &status, std::chrono::milliseconds(0))) {
        kill(pid_, SIGTERM);
        if (!reap(pid_, &status, std::chrono::seconds(5))) {
            kill(pid_, SIGKILL);
            reap(pid_, &status, std::chrono::seconds(5));
        }
    }
    exitStatus_ = exitCodeOf(status);
    pid_ = -1;
    return exitStatus_;
}

bool SimulatorProcess::running() {
    if (pid_ < 0)
        return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exitStatus_ = exitCodeOf(status);
        pid_ = -1;
        return false;
    }
    return true;
}

std::string SimulatorProcess::output() const {
    return fileText(outputPath_);
}

std::vector<TrafficRecord> SimulatorProcess::traffic() const {
    std::vector<TrafficRecord> records;
    std::istringstream lines(fileText(logPath_));
    std::string line;
    // A line still being written has no newline yet; getline gives it only at the end of
    // the text, so a last line that does not parse is left for the next read.
    while (std::getline(lines, line))
        if (auto record = parseTrafficLine(line); record && !lines.eof())
            records.push_back(std::move(*record));
    return records;
}

std::vector<TrafficRecord>
SimulatorProcess::waitForTraffic(const TrafficCondition& condition,
                                 std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::vector<TrafficRecord> records = traffic();
        if (condition(records) || std::chrono::steady_clock::now() > deadline)
            return records;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

FinishedRun runSimulatorToEnd(const std::vector<std::string>& arguments) {
    TempDirectory folder;
    const std::string outputPath = folder.file("output.txt");
    std::vector<std::string> command{simulatorBinary()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const pid_t pid = spawnProcess(command, nullptr, outputPath, -1);
    int status = 0;
    if (!reap(pid, &status, std::chrono::seconds(20))) {
        kill(pid, SIGKILL);
        reap(pid, &status, std::chrono::seconds(5));
    }
    return {exitCodeOf(status), fileText(outputPath)};
}

} // namespace testsupport
