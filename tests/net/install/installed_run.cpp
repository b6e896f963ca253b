#include "installed_run.h"

#include "platform/ini_file.h"
#include "support/network_namespace.h"
#include "support/temp_directory.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace testsupport {

namespace fs = std::filesystem;

namespace {

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

std::string buildDir() {
    return fs::path(TORVANE_BIN_DIR).parent_path().string();
}

bool onPath(const std::string& program) {
    try {
        runCommand({"sh", "-c", "command -v \"$0\"", program});
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

InstalledRun runInstalled(const std::string& program, const std::string& locale) {
    const TempDirectory user;
    InstalledRun run;
    try {
        run.output = runCommand({"env", "QT_QPA_PLATFORM=offscreen",
                                 "XDG_CONFIG_HOME=" + user.file("config"),
                                 "TORVANE_DEMO_DIR=" + user.file("out"), "LANG=" + locale,
                                 "LC_ALL=" + locale, "timeout", "60", program});
        run.finished = true;
    } catch (const std::exception& failure) {
        run.output = failure.what();
    }
    run.log = fileText(user.file("out/state-window.log"));
    run.picture = fs::is_regular_file(user.file("out/main-window.png"));
    return run;
}

std::string shippedText(const std::string& language, const std::string& key) {
    const QString file =
        QString::fromStdString(language == "german" ? "german_de_de.ini" : "english_en_gb.ini");
    const platform::IniFile ini =
        platform::IniFile::fromFile(QStringLiteral(TORVANE_SOURCE_DIR "/data/lang/") + file);
    for (const platform::IniEntry& entry : ini.entries(QStringLiteral("translations")))
        if (entry.key.compare(QString::fromStdString(key), Qt::CaseInsensitive) == 0)
            return entry.value.toStdString();
    return "<missing " + key + ">";
}

std::string firstStartWarning(const std::string& language, const std::string& takenPath) {
    return "Message box \"" + shippedText(language, "Configuration_warning warning") +
           "\": " + shippedText(language, "GDF_not_found_using_default") + "\r\n" + takenPath;
}

int listedDevices(const std::string& log) {
    // Each scan answer is logged as "MsgLen von  <ip> vor entscheidung <length>".
    const std::string before = "MsgLen von  ";
    std::istringstream lines(log);
    std::set<std::string> addresses;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(before, 0) == 0)
            addresses.insert(
                line.substr(before.size(), line.find(' ', before.size()) - before.size()));
    }
    return int(addresses.size());
}

FileList filesUnder(const std::string& folder) {
    FileList files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        std::ostringstream state;
        if (entry.is_regular_file())
            state << entry.file_size() << ' ';
        state << entry.last_write_time().time_since_epoch().count();
        files[entry.path().string()] = state.str();
    }
    return files;
}

} // namespace testsupport
