#include "scan_run.h"

#include "memory_usage.h"
#include "program_folder.h"
#include "simulator_run.h"
#include "simulator_traffic.h"
#include "timed_application.h"
#include "udp_receive_errors.h"
#include "unattended_boxes.h"

#include "app/form1.h"
#include "platform/registry.h"
#include "protocol/udp_endpoint.h"
#include "statelog/log_buffer.h"
#include "ui/gw_config.h"
#include "ui/help_about.h"
#include "ui/model/device_table.h"
#include "ui/options_dialog.h"
#include "ui/qscreen_monitors.h"
#include "ui/state_window.h"

#include <QPushButton>
#include <QTimer>

#include <memory>
#include <optional>

namespace bench {

namespace {

using Clock = TimedApplication::Clock;

// Short answers queue their devices for a netmask and gateway query; the query must not
// start within the scan period, or its pumping would be counted as intake time.
constexpr int kQueryAfterScanMs = 3600 * 1000;
// Gives up on a scan period that never ends.
constexpr int kSafetyMarginMs = 120 * 1000;
const QString kAdapter = QStringLiteral("127.0.0.1");

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

} // namespace

ScanResult runScan(TimedApplication& application, const ScanSettings& settings) {
    ProgramFolder folder(settings.shippedDir, {settings.scanMs, kQueryAfterScanMs}, kAdapter);
    if (!folder.isValid())
        throw std::runtime_error("no temporary program folder");
    const std::string trafficLog = folder.file(QStringLiteral("traffic.log")).toStdString();
    const SimulatorRun simulator(
        settings.simulator.toStdString(),
        {"--generate", std::to_string(settings.devices), "--quiet", "--log", trafficLog},
        folder.file(QStringLiteral("simulator.txt")).toStdString());

    UnattendedBoxes boxes;
    platform::RegistryStore registry(folder.registryPath());
    registry.load();
    statelog::LogBuffer log;
    ui::QScreenMonitors monitors;
    // English (UK), whatever the machine's locale, so that every run shows the same texts.
    const app::Services services{boxes,
                                 registry,
                                 log,
                                 monitors,
                                 folder.path(),
                                 settings.arguments,
                                 [](const QString&) {},
                                 2057,
                                 settings.receiveBufferBytes};
    auto form = std::make_unique<app::TForm1>(services);
    const protocol::UdpEndpoint& endpoint = *form->findChild<protocol::UdpEndpoint*>();
    gdf::TGW_Config gwConfig(boxes);
    ui::TOptions options(registry, boxes);
    ui::THelpAbout helpAbout(folder.path(), boxes);
    ui::TStatusFenster statusFenster(log, boxes);
    form->setWindows({&gwConfig, &options, &helpAbout, &statusFenster});

    ScanResult result;
    std::optional<Clock::time_point> scanStart;
    std::optional<Clock::time_point> scanEnd;
    std::chrono::system_clock::time_point lastListed{};
    QObject::connect(&form->deviceList(), &QAbstractItemModel::rowsInserted, [&] {
        if (!scanEnd)
            lastListed = std::chrono::system_clock::now();
    });
    const QPushButton* scanButton = form->findChild<QPushButton*>(QStringLiteral("ButtonScan"));
    application.beforeEvent(scanButton, QEvent::EnabledChange, [&] {
        if (!scanStart && !scanButton->isEnabled())
            scanStart = Clock::now();
    });
    // Connected after the window's own slots: a batch's end includes its merge into the list.
    QObject::connect(&form->engine().events(), &engine::Events::batchBegins, &application,
                     &TimedApplication::batchBegins);
    QObject::connect(&form->engine().events(), &engine::Events::batchEnds, &application,
                     &TimedApplication::batchEnds);
    QObject::connect(&form->engine().events(), &engine::Events::scanFinished, [&] {
        if (scanEnd)
            return;
        scanEnd = Clock::now();
        result.listed = form->deviceList().count();
        result.datagramsRead = long(endpoint.datagramsRead());
        result.datagramsDropped = long(endpoint.datagramsDropped());
        QTimer::singleShot(0, &application, &QCoreApplication::quit);
    });
    QTimer::singleShot(settings.scanMs + kSafetyMarginMs, &application, &QCoreApplication::quit);

    result.residentBeforeKiB = currentResidentKiB();
    const long dropsBefore = udpReceiveBufferErrors();
    form->show(); // the first activation presses Scan
    QApplication::exec();
    result.kernelDrops = udpReceiveBufferErrors() - dropsBefore;
    result.peakResidentKiB = peakResidentKiB();
    result.boxes = boxes.shown();
    result.scanEnded = scanEnd.has_value();

    std::vector<std::chrono::nanoseconds> times;
    std::optional<Clock::time_point> firstStart;
    Clock::time_point lastEnd{};
    for (const TimedApplication::Delivery& delivery : application.readDeliveries()) {
        if (scanEnd && delivery.start >= *scanEnd)
            break;
        times.push_back(delivery.length);
        if (!firstStart)
            firstStart = delivery.start;
        lastEnd = delivery.start + delivery.length;
    }
    double intakeNs = 0;
    for (const TimedApplication::Delivery& delivery : application.readDeliveries()) {
        if (scanEnd && delivery.start >= *scanEnd)
            break;
        intakeNs += double(delivery.threadTime.count());
    }
    if (result.listed > 0)
        result.intakePerAnswerUs = intakeNs / 1000.0 / result.listed;
    result.intake = statsOf(std::move(times));
    if (scanStart && firstStart)
        result.lastAnswerAfterMs = millisecondsBetween(*scanStart, lastEnd);
    const AnswersSent sent = scanAnswersSent(trafficLog);
    result.answersSent = sent.count;
    if (sent.first && sent.last) {
        const auto ms = [](auto duration) {
            return std::chrono::duration<double, std::milli>(duration).count();
        };
        result.sendingMs = ms(*sent.last - *sent.first);
        result.lastListedMs = ms(lastListed - *sent.first);
    }
    application.clearWatches();
    // The window goes first: its timers and endpoint must not outlive the other windows.
    form.reset();
    return result;
}

} // namespace bench
