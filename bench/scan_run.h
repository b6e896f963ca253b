#pragma once

#include "duration_stats.h"

#include <QString>
#include <QStringList>

namespace bench {

class TimedApplication;

// One scan of the real main window against torvane-sim --generate N, both in the benchmark's
// network namespace.
struct ScanSettings {
    int devices = 0;
    int scanMs = 0; // TimerScan: the scan period
    QString simulator;
    QString shippedDir;         // the build's folder with lang, gdf and help, ending in "/"
    QStringList arguments;      // the program's command line, e.g. "/D" for the state window
    int receiveBufferBytes = 0; // what the endpoint asks the system for; 0 as shipped
};

struct ScanResult {
    bool scanEnded = false;
    int listed = 0;               // lines in the list when the scan period ended
    long datagramsRead = 0;       // by the endpoint before then
    long datagramsDropped = 0;    // by the system on the endpoint's sockets, as the endpoint counts
    long kernelDrops = 0;         // growth of the namespace's UDP receive buffer errors
    DurationStats intake;         // UI-thread time per turn of the intake (one batch)
    double intakePerAnswerUs = 0; // UI-thread time of all turns over the datagrams taken in
    double lastAnswerAfterMs = 0; // from pressing Scan to the end of the last intake
    int answersSent = 0;          // by the simulator, from its traffic log
    double sendingMs = 0;         // from its first scan answer to its last
    double lastListedMs = 0;      // from its first scan answer to the last line listed
    long residentBeforeKiB = 0;   // with the windows built, before the scan
    long peakResidentKiB = 0;
    QStringList boxes; // message boxes the program showed
};

ScanResult runScan(TimedApplication& application, const ScanSettings& settings);

} // namespace bench
