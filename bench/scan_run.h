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
    QString shippedDir;    // the build's folder with lang, gdf and help, ending in "/"
    QStringList arguments; // the program's command line, e.g. "/D" for the state window
};

struct ScanResult {
    bool scanEnded = false;
    int listed = 0;                // lines in the list when the scan period ended
    int datagramsRead = 0;         // readiness events handled before then
    DurationStats intake;          // UI-thread time per handled datagram
    double firstAnswerAfterMs = 0; // from pressing Scan
    double lastAnswerAfterMs = 0;  // from pressing Scan to the end of the last intake
    long residentBeforeKiB = 0;    // with the windows built, before the scan
    long peakResidentKiB = 0;
    long kernelDrops = 0; // datagrams the kernel dropped for want of buffer
    QStringList boxes;    // message boxes the program showed
};

ScanResult runScan(TimedApplication& application, const ScanSettings& settings);

} // namespace bench
