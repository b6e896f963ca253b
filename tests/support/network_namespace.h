#pragma once

#include "support/unique_fd.h"

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

// A network namespace of its own beside the test's, holding only loopback (up) at first.
// A holder process keeps it alive; the holder is killed on destruction and also dies with
// the test process, so the namespace and every link into it vanish even after a crash.
class NetworkNamespace {
public:
    // Throws std::runtime_error when the namespace cannot be made (without root).
    NetworkNamespace();
    ~NetworkNamespace();
    NetworkNamespace(const NetworkNamespace&) = delete;
    NetworkNamespace& operator=(const NetworkNamespace&) = delete;

    pid_t holderPid() const { return holder_; }
    int descriptor() const { return fd_.get(); }
    // Runs work on a thread that has entered this namespace: sockets made there belong to
    // it. Exceptions of work come back to the caller.
    void enter(const std::function<void()>& work) const;

private:
    pid_t holder_ = -1;
    UniqueFd fd_;
};

// Runs a command (found on PATH) in the namespace, or in the test's own when ns is null,
// and gives its output; throws std::runtime_error with the output when it fails.
std::string runCommand(const std::vector<std::string>& command,
                       const NetworkNamespace* ns = nullptr);

// Starts a program in the namespace (or the test's own) with stdout and stderr going to
// outputPath and passFd (when not -1) as its descriptor 3. It is killed if the test process
// dies.
pid_t spawnProcess(const std::vector<std::string>& command, const NetworkNamespace* ns,
                   const std::string& outputPath, int passFd);

} // namespace testsupport
