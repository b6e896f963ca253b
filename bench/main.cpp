// scan_benchmark: how the main window copes with a burst of scan answers.
//
//   scan_benchmark scan --devices N [--scan-ms MS] [--simulator PATH] [--state-window]
//                       [--receive-buffer BYTES]
//       one scan of the real main window against torvane-sim --generate N; --state-window
//       starts the program with /D, which shows the state window; --receive-buffer sets what
//       the endpoint asks the system for (212992 stands for a desktop's limit)
//   scan_benchmark list --devices N [--list indexed|naive] [--order sent|shuffled]
//       taking N answers into the device list: the engine's device set with the program's
//       list, or the naive list
//
// Prints its measurements as "key=value" lines. It broadcasts, so it refuses to run (exit
// status 3) unless every interface of its network namespace that is up is loopback: run it
// through scripts/netns-run.sh or scripts/benchmark.sh.
#include "list_work.h"
#include "loopback_only.h"
#include "scan_run.h"
#include "timed_application.h"

#include <QCommandLineParser>

#include <cstdio>
#include <iostream>

namespace {

void printStats(const char* prefix, const bench::DurationStats& stats) {
    std::printf("%s_mean_us=%.1f\n%s_median_us=%.1f\n%s_p99_us=%.1f\n%s_max_us=%.1f\n"
                "%s_total_ms=%.1f\n",
                prefix, stats.meanUs, prefix, stats.medianUs, prefix, stats.p99Us, prefix,
                stats.maxUs, prefix, stats.totalMs);
}

int runScanMode(bench::TimedApplication& application, bench::ScanSettings settings) {
    settings.shippedDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    if (settings.simulator.isEmpty())
        settings.simulator = settings.shippedDir + QStringLiteral("torvane-sim");
    const bench::ScanResult result = bench::runScan(application, settings);
    std::printf("mode=scan\ndevices=%d\nscan_ms=%d\nstate_window=%d\nreceive_buffer=%d\n"
                "scan_ended=%d\nlisted=%d\ndatagrams_read=%ld\n"
                "dropped=%ld\nkernel_drops=%ld\n",
                settings.devices, settings.scanMs, int(!settings.arguments.isEmpty()),
                settings.receiveBufferBytes, int(result.scanEnded), result.listed,
                result.datagramsRead, result.datagramsDropped, result.kernelDrops);
    printStats("intake_turn", result.intake);
    std::printf("intake_per_answer_us=%.2f\nlast_answer_after_ms=%.1f\nanswers_sent=%d\n"
                "sending_ms=%.1f\nlast_listed_ms=%.1f\nrss_before_scan_kib=%ld\n"
                "peak_rss_kib=%ld\nboxes=%lld\n",
                result.intakePerAnswerUs, result.lastAnswerAfterMs, result.answersSent,
                result.sendingMs, result.lastListedMs, result.residentBeforeKiB,
                result.peakResidentKiB, qlonglong(result.boxes.size()));
    for (const QString& box : result.boxes)
        std::cerr << "box: " << box.toStdString() << '\n';
    return result.scanEnded ? 0 : 1;
}

int runListMode(int devices, const QString& list, const QString& order) {
    bench::ListWorkSettings settings;
    settings.devices = devices;
    settings.list = list == QLatin1String("naive") ? bench::ListWorkSettings::List::Naive
                                                   : bench::ListWorkSettings::List::Indexed;
    settings.order = order == QLatin1String("shuffled") ? bench::ListWorkSettings::Order::Shuffled
                                                        : bench::ListWorkSettings::Order::Sent;
    const bench::ListWorkResult result = bench::runListWork(settings);
    std::printf("mode=list\nlist=%s\norder=%s\ndevices=%d\nlines=%d\n", qPrintable(list),
                qPrintable(order), devices, result.lines);
    printStats("answer", result.perAnswer);
    std::printf("peak_rss_kib=%ld\n", result.peakRssKiB);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    bench::TimedApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TORVANE Scan"));

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("mode"), QStringLiteral("scan or list"));
    const QCommandLineOption devicesOption(
        QStringLiteral("devices"), QStringLiteral("number of devices"), QStringLiteral("N"));
    const QCommandLineOption scanOption(QStringLiteral("scan-ms"),
                                        QStringLiteral("scan period (TimerScan)"),
                                        QStringLiteral("MS"), QStringLiteral("2500"));
    const QCommandLineOption simulatorOption(
        QStringLiteral("simulator"), QStringLiteral("torvane-sim binary"), QStringLiteral("PATH"));
    const QCommandLineOption listOption(QStringLiteral("list"), QStringLiteral("indexed or naive"),
                                        QStringLiteral("KIND"), QStringLiteral("indexed"));
    const QCommandLineOption orderOption(QStringLiteral("order"),
                                         QStringLiteral("sent or shuffled"),
                                         QStringLiteral("ORDER"), QStringLiteral("sent"));
    const QCommandLineOption stateWindowOption(QStringLiteral("state-window"),
                                               QStringLiteral("start with /D (state window)"));
    const QCommandLineOption bufferOption(QStringLiteral("receive-buffer"),
                                          QStringLiteral("receive buffer asked for"),
                                          QStringLiteral("BYTES"), QStringLiteral("0"));
    parser.addOptions({devicesOption, scanOption, simulatorOption, listOption, orderOption,
                       stateWindowOption, bufferOption});
    parser.process(application);

    const QStringList modes = parser.positionalArguments();
    bool devicesOk = false;
    const int devices = parser.value(devicesOption).toInt(&devicesOk);
    bool scanOk = false;
    const int scanMs = parser.value(scanOption).toInt(&scanOk);
    if (modes.size() != 1 || !devicesOk || devices <= 0 || !scanOk || scanMs <= 0) {
        std::cerr << qPrintable(parser.helpText());
        return 2;
    }
    if (const auto outside = bench::interfaceLeadingOutside()) {
        std::cerr << "scan_benchmark: interface " << *outside
                  << " may lead outside this machine; run it in a private network namespace "
                     "(scripts/netns-run.sh)\n";
        return 3;
    }
    try {
        if (modes.front() == QLatin1String("scan")) {
            bench::ScanSettings settings;
            settings.devices = devices;
            settings.scanMs = scanMs;
            settings.simulator = parser.value(simulatorOption);
            if (parser.isSet(stateWindowOption))
                settings.arguments = QStringList{QStringLiteral("/D")};
            settings.receiveBufferBytes = parser.value(bufferOption).toInt();
            return runScanMode(application, settings);
        }
        if (modes.front() == QLatin1String("list"))
            return runListMode(devices, parser.value(listOption), parser.value(orderOption));
    } catch (const std::exception& failure) {
        std::cerr << "scan_benchmark: " << failure.what() << '\n';
        return 1;
    }
    std::cerr << qPrintable(parser.helpText());
    return 2;
}
