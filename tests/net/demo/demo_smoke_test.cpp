#include "support/network_namespace.h"
#include "support/simulator_process.h"
#include "support/temp_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

bool onPath(const std::string& program) {
    try {
        testsupport::runCommand({"sh", "-c", "command -v " + program});
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::string fileText(const std::string& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

// The demo as a new user runs it, on the virtual display, with this build.
TEST(Demo, RunsEndToEndOnAVirtualDisplay) {
    for (const char* program : {"Xvfb", "import", "setpriv", "nsenter", "ip"})
        if (!onPath(program))
            GTEST_SKIP() << program << " is missing (scripts/install-deps.sh installs it)";
    const testsupport::TempDirectory out;
    const std::string build = std::filesystem::path(TORVANE_BIN_DIR).parent_path().string();
    const std::string printed = testsupport::runCommand(
        {"env", "-u", "DISPLAY", "TORVANE_DEMO_OUT=" + out.path(), "TORVANE_DEMO_TIMEOUT=10",
         TORVANE_SOURCE_DIR "/scripts/demo.sh", "--no-build", "--build", build});
    EXPECT_NE(printed.find("results in " + out.path()), std::string::npos) << printed;

    const std::string report = fileText(out.file("simulator.txt"));
    EXPECT_NE(report.find("20 devices listening on UDP port 55808"), std::string::npos) << report;
    EXPECT_NE(report.find("line4-bacnet-a, line4-bacnet-b share the address"), std::string::npos);
    if (std::filesystem::exists(out.file("main-window.png"))) {
        // The program took part: it scanned and the gateways answered.
        EXPECT_FALSE(fileText(out.file("state-window.log")).empty());
        std::size_t answers = 0;
        std::istringstream log(fileText(out.file("traffic.log")));
        for (std::string line; std::getline(log, line);) {
            const auto record = testsupport::parseTrafficLine(line);
            ASSERT_TRUE(record) << line;
            answers += record->sent && record->bytes.size() > 1 && quint8(record->bytes[1]) == 0x81;
        }
        EXPECT_EQ(answers, 20u);
    } else {
        EXPECT_TRUE(std::filesystem::exists(out.file("screen.png"))) << printed;
    }
}
