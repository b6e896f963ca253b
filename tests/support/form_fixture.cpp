#include "support/form_fixture.h"

#include "support/event_pump.h"

#include <QDir>
#include <QFile>
#include <QTimer>

namespace testsupport {

namespace {

void linkShippedFolder(const QString& programDir, const char* name) {
    QFile::link(QStringLiteral(TORVANE_BIN_DIR "/") + QLatin1String(name),
                programDir + QLatin1String(name));
}

} // namespace

FormFixture::FormFixture() : FormFixture(Options()) {}

FormFixture::FormFixture(const Options& options) {
    const QString dir = programDir();
    for (const char* shipped : {"gdf", "help"})
        linkShippedFolder(dir, shipped);
    if (options.languageFiles)
        linkShippedFolder(dir, "lang");
    if (options.timerSection) {
        QDir().mkpath(dir + QStringLiteral("config"));
        QFile config(dir + QStringLiteral("config/config.ini"));
        if (config.open(QIODevice::WriteOnly | QIODevice::Text))
            config.write(("[TimerIntervals]\n" + *options.timerSection).toUtf8());
    }
    registry = std::make_unique<platform::RegistryStore>(dir + QStringLiteral("registry.txt"));
    registry->load();
    const app::Services services{
        boxes, *registry, log, monitors, dir, options.arguments, [](const QString&) {}};
    window = std::make_unique<app::TForm1>(services);
    QObject::connect(window.get(), &app::TForm1::endpointClosed, [this] { ++closes; });
}

FormFixture::~FormFixture() {
    // The window may still wait for answers: its timers must not outlive the fixture's parts.
    window.reset();
}

QString FormFixture::programDir() const {
    return folder.path() + QLatin1Char('/');
}

void FormFixture::activate() {
    window->FormActivate();
}

bool FormFixture::waitForClose(int safetyLimitMs) {
    const int before = closes;
    return pumpUntil([&] { return closes > before; }, safetyLimitMs);
}

bool FormFixture::waitForScanEnd(int safetyLimitMs) {
    return pumpUntil(
        [&] {
            return !window->TimerScan->isActive() && !window->TimerGetParams->isActive() &&
                   !window->socketOpen;
        },
        safetyLimitMs);
}

bool FormFixture::logContains(const QString& line) const {
    return log.lines().contains(line);
}

int FormFixture::logCount(const QString& line) const {
    return int(log.lines().count(line));
}

} // namespace testsupport
