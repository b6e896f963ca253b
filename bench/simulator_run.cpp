#include "simulator_run.h"

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

namespace bench {

namespace {

constexpr int kReadyFd = 3;
constexpr int kStartLimitMs = 60000;

std::string fileText(const std::string& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Between fork and exec only async-signal-safe calls.
[[noreturn]] void execSimulator(const std::vector<char*>& argv, int outputFd, int readyFd) {
    dup2(outputFd, STDOUT_FILENO);
    dup2(outputFd, STDERR_FILENO);
    dup2(readyFd, kReadyFd);
    execv(argv[0], argv.data());
    _exit(127);
}

} // namespace

SimulatorRun::SimulatorRun(const std::string& binary, const std::vector<std::string>& arguments,
                           const std::string& outputPath)
    : outputPath(outputPath) {
    std::vector<std::string> command{binary, "--ready-fd", std::to_string(kReadyFd)};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : command)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    const int outputFd = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (outputFd < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        throw std::runtime_error("cannot write " + outputPath);
    }
    pid = fork();
    if (pid == 0)
        execSimulator(argv, outputFd, pipeFds[1]);
    close(outputFd);
    close(pipeFds[1]);
    if (pid < 0) {
        close(pipeFds[0]);
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    }

    pollfd ready{pipeFds[0], POLLIN, 0};
    char answer[16]{};
    const bool listening = poll(&ready, 1, kStartLimitMs) == 1 &&
                           read(pipeFds[0], answer, sizeof answer - 1) > 0 &&
                           std::strncmp(answer, "ready", 5) == 0;
    close(pipeFds[0]);
    if (!listening) {
        stop();
        throw std::runtime_error("the simulator did not come up:\n" + fileText(outputPath));
    }
}

SimulatorRun::~SimulatorRun() {
    stop();
}

void SimulatorRun::stop() {
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    for (int waited = 0; waited < 100; ++waited) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

} // namespace bench
