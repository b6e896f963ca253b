// The program as a user gets it: installed into a prefix by `cmake --install`, started from
// there against the simulator, and its desktop files and manual pages as the validators see
// them.
#include "installed_run.h"

#include "support/simulator_process.h"
#include "support/temp_directory.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// A fresh installation of this build under a temporary prefix.
class Installation : public ::testing::Test {
protected:
    void SetUp() override {
        runCommand({TORVANE_CMAKE, "--install", buildDir(), "--prefix", folder.path()});
    }

    std::string prefix() const { return folder.path(); }
    std::string at(const std::string& relative) const { return folder.file(relative); }

    TempDirectory folder;
};

} // namespace

TEST_F(Installation, PutsEveryFileWhereTheDesktopAndTheProgramLookForIt) {
    for (const char* file : {
             "share/torvanescan/lang/english_en_gb.ini",
             "share/torvanescan/lang/german_de_de.ini",
             "share/torvanescan/lang/userlang2applang.ini",
             "share/torvanescan/gdf/Pellmar.gdf",
             "share/torvanescan/config/config.ini",
             "share/torvanescan/help/index.html",
             "share/torvanescan/help/readme.html",
             "share/torvanescan/help/license.html",
             "share/torvanescan/lastCommits.ini",
             "share/applications/torvanescan.desktop",
             "share/icons/hicolor/scalable/apps/torvanescan.svg",
             "share/metainfo/de.kestrelwald.torvanescan.metainfo.xml",
             "share/doc/torvanescan/copyright",
             "share/doc/torvanescan/changelog.gz",
             "lib/firewalld/services/torvanescan.xml",
             "etc/ufw/applications.d/torvanescan",
         })
        EXPECT_TRUE(fs::is_regular_file(at(file))) << file;
    for (const std::string& program : kInstalledPrograms) {
        EXPECT_TRUE(fs::is_regular_file(at("bin/" + program))) << program;
        EXPECT_TRUE(fs::is_regular_file(at("share/man/man1/" + program + ".1.gz"))) << program;
    }
    // Only the programs in bin/: they must find their files under share/.
    EXPECT_EQ(std::distance(fs::directory_iterator(at("bin")), fs::directory_iterator()),
              std::ptrdiff_t(kInstalledPrograms.size()));
    const std::string help = runCommand({at("bin/torvane-sim"), "--help"});
    EXPECT_NE(help.find("--generate"), std::string::npos) << help;
}

TEST_F(Installation, TheInstalledProgramScansWithItsOwnFilesInTheDesktopsLanguage) {
    SimulatorProcess::Settings devices;
    devices.arguments = {"--generate", "6", "--quiet"};
    const SimulatorProcess simulator(devices);
    const FileList before = filesUnder(prefix());
    for (const char* locale : {"C.UTF-8", "de_DE.UTF-8"}) {
        SCOPED_TRACE(locale);
        const InstalledRun run = runInstalled(at("bin/torvanescan"), locale);
        ASSERT_TRUE(run.finished) << run.output;
        const std::string language = std::string(locale) == "C.UTF-8" ? "english" : "german";
        // The first start warns that no description file was chosen yet, in the desktop's
        // language, and takes the installed one; the installed one exists, so no second
        // warning follows.
        EXPECT_NE(run.log.find(firstStartWarning(language, prefix() + "/share/torvanescan/gdf/"
                                                                      "Pellmar.gdf")),
                  std::string::npos)
            << run.log;
        EXPECT_EQ(run.log.find(shippedText(language, "GDF_not_found") + "\n"), std::string::npos);
        EXPECT_EQ(listedDevices(run.log), 6) << run.log;
        EXPECT_TRUE(run.picture);
    }
    // Settings went to the user's folder; the installation is as it was.
    EXPECT_EQ(filesUnder(prefix()), before);
}

TEST_F(Installation, TheDesktopEntryValidates) {
    if (!onPath("desktop-file-validate"))
        GTEST_SKIP() << "desktop-file-validate is missing (scripts/install-deps.sh installs it)";
    const std::string report =
        runCommand({"desktop-file-validate", at("share/applications/torvanescan.desktop")});
    EXPECT_EQ(report, "");
}

TEST_F(Installation, TheAppStreamMetadataValidates) {
    if (!onPath("appstreamcli"))
        GTEST_SKIP() << "appstreamcli is missing (scripts/install-deps.sh installs it)";
    const std::string report =
        runCommand({"appstreamcli", "validate", "--no-net", "--pedantic",
                    at("share/metainfo/de.kestrelwald.torvanescan.metainfo.xml")});
    EXPECT_NE(report.find("Validation was successful"), std::string::npos) << report;
}

TEST_F(Installation, TheManualPagesRenderWithoutWarnings) {
    if (!onPath("man"))
        GTEST_SKIP() << "man is missing (scripts/install-deps.sh installs it)";
    for (const std::string& page : kInstalledPrograms) {
        SCOPED_TRACE(page);
        const std::string path = at("share/man/man1/" + page + ".1.gz");
        // Warnings go to stderr, which runCommand collects with the page itself.
        const std::string warnings = runCommand(
            {"sh", "-c", "man --warnings -E UTF-8 -l -Tutf8 -Z \"$0\" 2>&1 >/dev/null", path});
        EXPECT_EQ(warnings, "");
        const std::string text =
            runCommand({"env", "MANWIDTH=80", "man", "-E", "UTF-8", "-l", path});
        EXPECT_NE(text.find("NAME"), std::string::npos);
        EXPECT_NE(text.find(page + " -"), std::string::npos) << text;
    }
}
