// The first activation of the main window configures the whole program once, in a fixed
// order that ends with the first scan; the Settings command re-reads the description file.
#include "app/form1.h"

#include "i18n/language_select.h"
#include "platform/ini_file.h"
#include "platform/registry.h"
#include "platform/timer_intervals.h"
#include "platform/version_record.h"
#include "statelog/log_buffer.h"
#include "ui/device_list_view.h"
#include "ui/help_about.h"
#include "ui/options_dialog.h"
#include "ui/settings_error.h"
#include "ui/state_window.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace app {

namespace {

const QString kPathSetting = QStringLiteral("EditTGWCurrentFilePath");

bool namesFile(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace

void TForm1::showBox(const QString& text, const QString& captionKey,
                     platform::MessageBoxes::Icon icon) {
    services.boxes.messageBox(text, translate(captionKey), icon,
                              platform::MessageBoxes::Buttons::Ok);
}

void TForm1::applyTimerIntervals() {
    QString problem;
    const auto intervals = platform::readTimerIntervals(services.programDir, &problem);
    if (!problem.isEmpty()) {
        log().logStringOnly(
            QStringLiteral("config.ini cannot be read (%1); the timers keep their design intervals")
                .arg(problem));
    }
    if (!intervals)
        return;
    log().logStringOnly(QStringLiteral("Setting timer intervals from config.ini"));
    // An interval of 0 or below would make a timer fire without pause (or not at all):
    // such a value keeps the design interval.
    engine::Intervals chosen = timerIntervals();
    const std::pair<int*, int> timers[] = {{&chosen.scanPeriod, intervals->scan},
                                           {&chosen.changeWatch, intervals->setParam},
                                           {&chosen.readPace, intervals->getParams}};
    for (const auto& [timer, interval] : timers) {
        if (interval > 0)
            *timer = interval;
    }
    setTimerIntervals(chosen);
}

void TForm1::FormActivate() {
    if (!firstactivate)
        return;
    applyTimerIntervals();
    restoreWindowProps();
    firstactivate = false;
    for (const QString& argument : services.arguments) {
        if (argument.toUpper() == QLatin1String("/D") && windows.statusFenster)
            windows.statusFenster->show();
    }

    QStringList addresses;
    net::GetLocalIPs(addresses);
    ComboBoxAdapter->clear();
    ComboBoxAdapter->addItems(addresses);
    net::getNetworkInterfaces(networkInterfaceList);
    deviceEngine->setInterfaces(networkInterfaceList);
    makeAddressProbe();

    QString storedAdapter;
    try {
        if (Reg->hasCurrentKey() && Reg->valueExists(QStringLiteral("SelectedAdapterIp")))
            storedAdapter = Reg->readString(QStringLiteral("SelectedAdapterIp"));
    } catch (const platform::RegistryError&) {
        storedAdapter.clear(); // a value of another type counts as none
    }
    const int stored = ComboBoxAdapter->findText(storedAdapter, Qt::MatchExactly);
    if (ComboBoxAdapter->count() > 0)
        ComboBoxAdapter->setCurrentIndex(stored >= 0 ? stored : 0);
    if (!storedAdapter.isEmpty())
        ButtonScan->setFocus();
    else
        ComboBoxAdapter->setFocus();

    // Linux has no socket library to start, so its failure message never shows.
    ui::TOptions* options = windows.options;
    if (options) {
        options->setFieldBusName(QStringLiteral("TorvaneScan"));
        options->language = language.get();
    }
    setUpSettingsAndLanguage();
    if (ui::THelpAbout* about = windows.helpAbout) {
        about->setWindowTitle(windowTitle());
        about->language = language.get();
        about->setContentFile(QStringLiteral("help.readme"));
        about->setEulaText(QStringLiteral("help.eula"));
        about->setWindowIcon(windowIcon());
        about->PageControlVersionInfo->setCurrentIndex(0);
    }

    texts.notAvailable = translate(QStringLiteral("StatusNotAvailText"));
    texts.notAvailableShort = translate(QStringLiteral("StatusNotAvailTextShort"));
    texts.searching = translate(QStringLiteral("StatusSearchingText"));
    texts.notConfigurable = translate(QStringLiteral("NotConfigurabelText"));
    texts.notConfigurableHint = translate(QStringLiteral("NotConfigurabelHintText"));
    texts.dhcpNotSupported = translate(QStringLiteral("StatusdhcpNotSupportedText"));
    texts.dhcpNotActive = translate(QStringLiteral("StatusdhcpNotActiveText"));
    texts.dhcpActive = translate(QStringLiteral("StatusdhcpActiveText"));
    ListView1->widenColumnFor(4, {texts.dhcpActive, texts.dhcpNotActive, texts.dhcpNotSupported,
                                  texts.notAvailableShort});

    QString path;
    try {
        if (options)
            path = options->GetProp(kPathSetting);
    } catch (const ui::SettingsError&) {
        path.clear();
    }
    if (!namesFile(path)) {
        path = services.programDir + QStringLiteral("gdf/Pellmar.gdf");
        showBox(translate(QStringLiteral("GDF_not_found_using_default")) + QStringLiteral("\r\n") +
                    path,
                QStringLiteral("Configuration_warning warning"),
                platform::MessageBoxes::Icon::Warning);
        try {
            if (options)
                options->SetProp(kPathSetting, path);
        } catch (const ui::SettingsError& error) {
            services.boxes.showMessage(error.message());
        }
    }
    if (!namesFile(path))
        showBox(translate(QStringLiteral("GDF_not_found")), QStringLiteral("Configuration_warning"),
                platform::MessageBoxes::Icon::Warning);
    // A path that names no file gives an empty table; one that cannot be read is reported
    // and gives an empty table as well.
    const platform::IniFile cfg = namesFile(path) ? readDescriptionFile(path) : platform::IniFile();
    applyDescriptionFile(cfg, path);

    ButtonSet->setEnabled(false);
    actBlink->setEnabled(false);
    actRestart->setEnabled(false);
    ButtonScanClick();
}

platform::IniFile TForm1::readDescriptionFile(const QString& path) {
    platform::IniFile cfg = platform::IniFile::fromFile(path);
    if (!cfg.readProblem().isEmpty()) {
        showBox(QStringLiteral("Gateway description file \"%1\" cannot be read (%2).")
                    .arg(path, cfg.readProblem()),
                QStringLiteral("Configuration_warning"), platform::MessageBoxes::Icon::Warning);
    }
    return cfg;
}

void TForm1::applyDescriptionFile(const platform::IniFile& cfg, const QString& path) {
    const QString version = gdf::gdfVersion(cfg);
    if (windows.helpAbout)
        windows.helpAbout->additionalVersionInfo = QStringLiteral("[GDF %1]").arg(version);
    StatusPanel0->setText(
        QStringLiteral("V %1 [GDF %2]").arg(platform::GetProductVersionString(), version));
    // A key that names no code stops the reading; the entries before it stay, and the
    // start-up goes on with them.
    if (const auto error = deviceTypes.readGDF(cfg, path))
        showBox(error->message(), QStringLiteral("Error"), platform::MessageBoxes::Icon::Error);
}

void TForm1::Settings1Click() {
    ui::TOptions* options = windows.options;
    if (!options || options->ShowModal() != ui::TOptions::mrOK)
        return;
    QString path;
    try {
        path = options->GetProp(kPathSetting);
    } catch (const ui::SettingsError&) {
        path.clear();
    }
    if (namesFile(path)) {
        // A file that cannot be read changes nothing, like one that is missing.
        const platform::IniFile cfg = readDescriptionFile(path);
        if (cfg.readProblem().isEmpty())
            applyDescriptionFile(cfg, path);
        return;
    }
    showBox(translate(QStringLiteral("GDF_not_found_Nothing_changed")),
            QStringLiteral("Configuration_warning"), platform::MessageBoxes::Icon::Warning);
}

void TForm1::ComboBoxAdapterChange() {
    // A new choice takes effect with the next endpoint and the next destination choice.
    deviceEngine->setAdapter(ComboBoxAdapter->currentText());
    // The marks of the devices outside the adapter's subnet follow the choice.
    ListView1->viewport()->update();
}

std::optional<QString> TForm1::deviceTypeName(int code) const {
    return deviceTypes.deviceTypeName(code);
}

} // namespace app
