#include "support/network_namespace.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>

namespace testsupport {

namespace {

std::runtime_error systemError(const std::string& what, int error) {
    return std::runtime_error(what + ": " + std::strerror(error));
}

// In a child after fork: only async-signal-safe calls from here to exec or _exit.
void dieWithParent(pid_t parent) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(127);
}

void enterOrExit(const NetworkNamespace* ns) {
    if (ns && setns(ns->descriptor(), CLONE_NEWNET) != 0)
        _exit(126);
}

std::vector<char*> argumentVector(const std::vector<std::string>& command) {
    std::vector<char*> arguments;
    for (const std::string& argument : command)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    return arguments;
}

std::string joined(const std::vector<std::string>& command) {
    std::string text;
    for (const std::string& part : command)
        text += (text.empty() ? "" : " ") + part;
    return text;
}

} // namespace

NetworkNamespace::NetworkNamespace() {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        throw systemError("pipe", errno);
    UniqueFd readEnd(pipeFds[0]);
    UniqueFd writeEnd(pipeFds[1]);
    const pid_t parent = getpid();
    holder_ = fork();
    if (holder_ < 0)
        throw systemError("fork", errno);
    if (holder_ == 0) {
        dieWithParent(parent);
        int result = 0;
        if (unshare(CLONE_NEWNET) != 0)
            result = errno;
        if (write(writeEnd.get(), &result, sizeof result) != sizeof result)
            _exit(1);
        if (result != 0)
            _exit(1);
        for (;;)
            pause();
    }
    writeEnd.reset();
    int result = 0;
    const ssize_t got = read(readEnd.get(), &result, sizeof result);
    if (got != sizeof result || result != 0) {
        kill(holder_, SIGKILL);
        waitpid(holder_, nullptr, 0);
        throw systemError("cannot create a network namespace", got == sizeof result ? result : EIO);
    }
    fd_.reset(open(("/proc/" + std::to_string(holder_) + "/ns/net").c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd_) {
        const int error = errno;
        kill(holder_, SIGKILL);
        waitpid(holder_, nullptr, 0);
        throw systemError("cannot open the new network namespace", error);
    }
    runCommand({"ip", "link", "set", "lo", "up"}, this);
}

NetworkNamespace::~NetworkNamespace() {
    fd_.reset();
    kill(holder_, SIGKILL);
    waitpid(holder_, nullptr, 0);
}

void NetworkNamespace::enter(const std::function<void()>& work) const {
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            if (setns(fd_.get(), CLONE_NEWNET) != 0)
                throw systemError("cannot enter the network namespace", errno);
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

std::string runCommand(const std::vector<std::string>& command, const NetworkNamespace* ns) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        throw systemError("pipe", errno);
    UniqueFd readEnd(pipeFds[0]);
    UniqueFd writeEnd(pipeFds[1]);
    std::vector<char*> arguments = argumentVector(command);
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child < 0)
        throw systemError("fork", errno);
    if (child == 0) {
        dieWithParent(parent);
        enterOrExit(ns);
        dup2(writeEnd.get(), STDOUT_FILENO);
        dup2(writeEnd.get(), STDERR_FILENO);
        execvp(arguments[0], arguments.data());
        _exit(127);
    }
    writeEnd.reset();
    std::string output;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(readEnd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        output.append(buffer, std::size_t(got));
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("\"" + joined(command) + "\" failed (status " +
                                 std::to_string(status) + "): " + output);
    return output;
}

pid_t spawnProcess(const std::vector<std::string>& command, const NetworkNamespace* ns,
                   const std::string& outputPath, int passFd) {
    const int output = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (output < 0)
        throw systemError("cannot write " + outputPath, errno);
    UniqueFd outputFd(output);
    std::vector<char*> arguments = argumentVector(command);
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child < 0)
        throw systemError("fork", errno);
    if (child == 0) {
        dieWithParent(parent);
        enterOrExit(ns);
        dup2(outputFd.get(), STDOUT_FILENO);
        dup2(outputFd.get(), STDERR_FILENO);
        if (passFd == 3)
            fcntl(passFd, F_SETFD, 0);
        else if (passFd >= 0)
            dup2(passFd, 3);
        execv(arguments[0], arguments.data());
        _exit(127);
    }
    return child;
}

} // namespace testsupport
