#pragma once

#include <map>
#include <string>
#include <vector>

// Running an installed TorvaneScan (from `cmake --install` or an unpacked package) the way a
// user starts it, but unattended: offscreen, with settings of its own, for one scan.
namespace testsupport {

// The programs an installation holds, each with its manual page in section 1.
inline const std::vector<std::string> kInstalledPrograms = {"torvanescan", "torvane-sim",
                                                            "torvane-cli"};

// The build folder of this test build.
std::string buildDir();

bool onPath(const std::string& program);

struct InstalledRun {
    bool finished = false; // ended by itself with status 0 after its first scan
    std::string output;    // what it printed, or why it failed
    std::string log;       // the state window's log
    bool picture = false;  // it left its picture of the main window
};

// Starts program with the desktop locale given (LANG and LC_ALL), fresh settings and
// TORVANE_DEMO_DIR, and waits until it has scanned once and quit (at most a minute). The
// simulator has to listen already.
InstalledRun runInstalled(const std::string& program, const std::string& locale);

// A text of a shipped language file ("english", "german").
std::string shippedText(const std::string& language, const std::string& key);

// The log entry of the first start's warning that no chosen description file exists, which
// names the one taken instead.
std::string firstStartWarning(const std::string& language, const std::string& takenPath);

// The number of devices whose scan answers the log shows.
int listedDevices(const std::string& log);

// Every file under folder with its size and modification time, by path.
using FileList = std::map<std::string, std::string>;
FileList filesUnder(const std::string& folder);

} // namespace testsupport
