#include "support/temp_directory.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace testsupport {

namespace {

constexpr const char* kPrefix = "torvane-testbed-";

// Names are kPrefix + the owner's process id + "-" + a random part.
void removeFoldersOfDeadProcesses(const std::filesystem::path& parent) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(parent, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(kPrefix, 0) != 0)
            continue;
        const long owner = std::strtol(name.c_str() + std::strlen(kPrefix), nullptr, 10);
        if (owner > 0 && kill(pid_t(owner), 0) != 0 && errno == ESRCH)
            std::filesystem::remove_all(entry.path(), error);
    }
}

} // namespace

TempDirectory::TempDirectory() {
    const std::filesystem::path parent = std::filesystem::temp_directory_path();
    removeFoldersOfDeadProcesses(parent);
    std::string pattern =
        (parent / (std::string(kPrefix) + std::to_string(getpid()) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder: " +
                                 std::string(std::strerror(errno)));
    path_ = pattern;
}

TempDirectory::~TempDirectory() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

std::string TempDirectory::file(const std::string& name) const {
    return path_ + "/" + name;
}

std::string TempDirectory::write(const std::string& name, const std::string& text) const {
    const std::string path = file(name);
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path);
    return path;
}

} // namespace testsupport
