#include "support/form_fixture.h"

#include "support/event_pump.h"

#include <QDir>

#include <QFile>
#include <QTimer>
#include <algorithm>

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
    if (options.storedDescriptionFile) {
        platform::Registry settings(*registry);
        settings.openKey(QStringLiteral("\\SOFTWARE\\Kestrelwald\\TorvaneScan\\"
                                        "TGWConfigFileSheetCaption"),
                         true);
        settings.writeString(QStringLiteral("EditTGWCurrentFilePath"),
                             dir + QStringLiteral("gdf/Pellmar.gdf"));
    }
    const app::Services services{boxes,
                                 *registry,
                                 log,
                                 monitors,
                                 dir,
                                 options.arguments,
                                 [](const QString&) {},
                                 options.userLocaleId,
                                 options.receiveBufferBytes};
    window = std::make_unique<app::TForm1>(services);
    windowParts = partsOf(*window);
    gwConfig = std::make_unique<gdf::TGW_Config>(boxes);
    settingsDialog = std::make_unique<ui::TOptions>(*registry, boxes);
    helpAbout = std::make_unique<ui::THelpAbout>(dir, boxes);
    statusFenster = std::make_unique<ui::TStatusFenster>(log, boxes);
    window->setWindows(
        {gwConfig.get(), settingsDialog.get(), helpAbout.get(), statusFenster.get()});
    QObject::connect(window.get(), &app::TForm1::endpointClosed, [this] { ++closes; });
}

FormFixture::~FormFixture() {
    // The window may still wait for answers: its timers must not outlive the fixture's parts.
    window.reset();
    statusFenster.reset();
    helpAbout.reset();
    settingsDialog.reset();
    gwConfig.reset();
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
        [&] { return !window->scanRunning() && !window->readsRunning() && !window->socketOpen(); },
        safetyLimitMs);
}

bool FormFixture::logContains(const QString& line) const {
    return log.lines().contains(line);
}

int FormFixture::logCount(const QString& line) const {
    return int(log.lines().count(line));
}

int FormFixture::logCountEndingWith(const QString& text) const {
    return int(std::count_if(log.lines().begin(), log.lines().end(),
                             [&text](const QString& line) { return line.endsWith(text); }));
}

} // namespace testsupport
