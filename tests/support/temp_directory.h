#pragma once

#include <QTemporaryDir>

#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with everything in it on
// destruction. Its name carries the process id, so folders left by test processes that
// died are recognised and removed when the next one is made.
class TempDirectory {
public:
    TempDirectory();

    std::string path() const { return folder_.path().toStdString(); }
    // path()/name
    std::string file(const std::string& name) const;
    // Writes text to path()/name and gives the file's path.
    std::string write(const std::string& name, const std::string& text) const;

private:
    QTemporaryDir folder_;
};

} // namespace testsupport
