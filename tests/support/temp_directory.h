#pragma once

#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with everything in it on
// destruction. Folders left by test processes that died are removed when the next one is
// made.
class TempDirectory {
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::string& path() const { return path_; }
    // path()/name
    std::string file(const std::string& name) const;
    // Writes text to path()/name and gives the file's path.
    std::string write(const std::string& name, const std::string& text) const;

private:
    std::string path_;
};

} // namespace testsupport
