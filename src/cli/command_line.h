#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace cli {

enum class Command { Scan, Set, Blink, Restart, Apply, Watch, History, Inventory };
enum class Format { Table, Json, Jsonl, Csv };

// The exit statuses the command line promises its callers.
enum ExitStatus : int {
    exitDone = 0,
    exitDeviceFailed = 1, // a device refused, did not confirm or was not found
    exitUsage = 2,        // bad command line or plan: nothing was sent
    exitNetwork = 3,      // the adapter could not be bound or the network failed
};

struct Invocation {
    Command command = Command::Scan;
    std::optional<QString> adapter; // none: the window's choice
    bool allAdapters = false;       // --adapter all
    int scanMs = 2500;
    int timeoutMs = 3000; // for each confirmation
    // Devices read at once; 1 reads one device per read interval, as the window does.
    int parallel = 32;
    int waitMs = 5000; // for another program of the family to give the port back
    Format format = Format::Table;
    std::optional<QString> gdfFile; // none: the window's choice
    bool verbose = false;

    QString mac;      // set, history (may be empty): canonical MAC text
    QStringList macs; // blink, restart: one or more, canonical, each once

    // set: the values asked for, checked and in canonical form
    std::optional<QString> ip;
    std::optional<QString> netmask;
    std::optional<QString> gateway;
    std::optional<bool> dhcp;
    bool ipAuto = false; // --ip auto: the lowest free address of the adapter's subnet

    // Before a new IP is written, no host but a listed gateway may answer there.
    bool probe = true;

    std::optional<QString> deviceType; // scan --type: a type code or part of its name

    QString planFile; // apply
    bool dryRun = false;
    bool restartAfterDhcp = false; // apply --restart

    std::optional<QString> compareFile; // scan: a device list saved earlier

    int intervalS = 30; // watch: from the start of one scan to the next
    std::optional<QString> execCommand;
    int execTimeoutS = 10; // for each run of execCommand

    std::optional<QString> since; // history, inventory: a history time (UTC)
};

struct ParsedCommandLine {
    bool help = false;
    bool version = false;
    std::optional<Invocation> invocation; // set unless help, version or an error
    QString error;                        // what is wrong with the command line
};

// Reads the arguments after the program name. Options take their value as the next
// argument or after "="; the common options may stand anywhere, those of one command only
// after its name.
ParsedCommandLine parseCommandLine(const QStringList& arguments);

QString helpText();
QString versionText();

} // namespace cli
