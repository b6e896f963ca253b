// The Debian package CPack makes of this build: its control fields, its contents, lintian's
// verdict, and the program unpacked into an empty root scanning the simulator.
#include "installed_run.h"

#include "platform/ini_file.h"
#include "support/simulator_process.h"
#include "support/temp_directory.h"

#include <QFile>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

class DebianPackage : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps"}) {
            if (!onPath(tool))
                GTEST_SKIP() << tool << " is missing (scripts/install-deps.sh installs it)";
        }
        // gzip instead of the package's xz: the same contents, packed in a fraction of the
        // time for the large test build.
        runCommand({TORVANE_CPACK, "-G", "DEB", "--config", buildDir() + "/CPackConfig.cmake", "-B",
                    folder.path(), "-D", "CPACK_DEBIAN_COMPRESSION_TYPE=gzip"});
        for (const fs::directory_entry& entry : fs::directory_iterator(folder.path())) {
            if (entry.path().extension() == ".deb")
                deb = entry.path().string();
        }
        ASSERT_FALSE(deb.empty()) << "cpack made no package";
    }

    std::string field(const std::string& name) const {
        return trimmed(runCommand({"dpkg-deb", "--field", deb, name}));
    }

    TempDirectory folder;
    std::string deb;
};

} // namespace

TEST_F(DebianPackage, CarriesItsControlFieldsAndDependsOnTheLibrariesItLinks) {
    EXPECT_EQ(field("Package"), "torvanescan");
    EXPECT_EQ(field("Section"), "net");
    EXPECT_EQ(field("Priority"), "optional");
    EXPECT_EQ(field("Architecture"), trimmed(runCommand({"dpkg", "--print-architecture"})));
    EXPECT_EQ(fs::path(deb).filename().string(),
              "torvanescan_" + field("Version") + "_" + field("Architecture") + ".deb");
    const std::string maintainer = field("Maintainer");
    EXPECT_NE(maintainer.find(" <"), std::string::npos) << maintainer;
    EXPECT_NE(maintainer.find('@'), std::string::npos) << maintainer;
    const std::string description = field("Description");
    EXPECT_EQ(description.substr(0, description.find('\n')),
              "find and configure TORVANE industrial gateways");
    EXPECT_NE(description.find("\n TORVANE Scan finds"), std::string::npos) << description;
    // Computed from the binaries, with the versions the libraries demand.
    const std::string depends = field("Depends");
    for (const char* library :
         {"libqt6widgets6 (>=", "libqt6gui6 (>=", "libqt6core6 (>=", "libc6 (>=", "libstdc++6 (>="})
        EXPECT_NE(depends.find(library), std::string::npos) << depends;

    const std::string contents = runCommand({"dpkg-deb", "--contents", deb});
    std::vector<std::string> files = {"./usr/share/torvanescan/lang/german_de_de.ini",
                                      "./usr/share/torvanescan/gdf/Pellmar.gdf",
                                      "./usr/share/applications/torvanescan.desktop",
                                      "./usr/share/icons/hicolor/scalable/apps/torvanescan.svg",
                                      "./usr/share/doc/torvanescan/copyright",
                                      "./usr/lib/systemd/user/torvane-watch@.service"};
    for (const std::string& program : kInstalledPrograms) {
        files.push_back("./usr/bin/" + program);
        files.push_back("./usr/share/man/man1/" + program + ".1.gz");
    }
    for (const std::string& file : files)
        EXPECT_NE(contents.find(file + "\n"), std::string::npos) << file;
    // Everything lives under /usr, but for the ufw profile, which ufw reads from /etc only;
    // all of it owned by root.
    std::istringstream lines(contents);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_NE(line.find(" root/root "), std::string::npos) << line;
        const bool ufw = line.find(" ./etc/ufw/") != std::string::npos || line.ends_with(" ./etc/");
        EXPECT_TRUE(line.find(" ./usr/") != std::string::npos || ufw) << line;
    }
}

TEST_F(DebianPackage, CarriesTheFirewallDefinitionsThatLetTheAnswersIn) {
    const TempDirectory root;
    runCommand({"dpkg-deb", "--extract", deb, root.path()});
    EXPECT_NE(runCommand({"dpkg-deb", "--info", deb, "conffiles"})
                  .find("/etc/ufw/applications.d/torvanescan"),
              std::string::npos);

    const std::string service = root.file("usr/lib/firewalld/services/torvanescan.xml");
    const std::string schema = "/usr/lib/firewalld/xmlschema/service.xsd";
    if (onPath("xmllint") && fs::exists(schema))
        runCommand({"xmllint", "--noout", "--schema", schema, service});
    QFile file(QString::fromStdString(service));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << service;
    QXmlStreamReader xml(&file);
    QStringList elements;
    QStringList ports;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        elements << xml.name().toString();
        if (xml.name() == QLatin1String("port"))
            ports << xml.attributes().value("protocol").toString() + u'/' +
                         xml.attributes().value("port").toString();
        if (xml.name() == QLatin1String("short") || xml.name() == QLatin1String("description")) {
            const std::string element = xml.name().toString().toStdString();
            EXPECT_FALSE(xml.readElementText().trimmed().isEmpty()) << element;
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(elements, QStringList({"service", "short", "description", "port"}));
    EXPECT_EQ(ports, QStringList{"udp/55808"});

    const platform::IniFile profile = platform::IniFile::fromFile(
        QString::fromStdString(root.file("etc/ufw/applications.d/torvanescan")));
    EXPECT_TRUE(profile.readProblem().isEmpty()) << profile.readProblem().toStdString();
    for (const char* key : {"title", "description"})
        EXPECT_FALSE(profile.value("TorvaneScan", key).value_or(QString()).isEmpty()) << key;
    EXPECT_EQ(profile.value("TorvaneScan", "ports"), QString("55808/udp"));
}

TEST_F(DebianPackage, LintianFindsNoErrors) {
    if (!onPath("lintian"))
        GTEST_SKIP() << "lintian is missing (scripts/install-deps.sh installs it)";
    try {
        runCommand({"lintian", "--fail-on", "error", deb});
    } catch (const std::exception& failure) {
        ADD_FAILURE() << failure.what();
    }
}

TEST_F(DebianPackage, UnpackedIntoAnEmptyRootItScansTheSimulator) {
    const TempDirectory root;
    runCommand({"dpkg-deb", "--extract", deb, root.path()});
    SimulatorProcess::Settings devices;
    devices.arguments = {"--generate", "4", "--quiet"};
    const SimulatorProcess simulator(devices);

    const InstalledRun run = runInstalled(root.file("usr/bin/torvanescan"), "de_DE.UTF-8");
    ASSERT_TRUE(run.finished) << run.output;
    EXPECT_NE(run.log.find(
                  firstStartWarning("german", root.file("usr/share/torvanescan/gdf/Pellmar.gdf"))),
              std::string::npos)
        << run.log;
    EXPECT_EQ(listedDevices(run.log), 4) << run.log;
}
