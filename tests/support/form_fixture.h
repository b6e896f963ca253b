#pragma once

#include "app/form1.h"
#include "platform/monitors.h"
#include "platform/registry.h"
#include "statelog/log_buffer.h"
#include "support/fake_message_boxes.h"
#include "support/fixed_monitors.h"
#include "support/window_parts.h"
#include "ui/gw_config.h"
#include "ui/help_about.h"
#include "ui/options_dialog.h"
#include "ui/state_window.h"

#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace testsupport {

// A main window with its own program folder (the shipped lang, gdf and help folders of the
// build, and a config.ini of the test's choosing), its own registry store, recording
// message boxes, a fake monitor layout and the four other windows. It is built but not shown;
// activate() runs the first activation, which ends with the first scan.
class FormFixture {
public:
    struct Options {
        QStringList arguments;
        // config.ini section TimerIntervals; nothing writes no config.ini at all.
        std::optional<QString> timerSection = QStringLiteral("TimerScan=600\n"
                                                             "TimerSetParam=200\n"
                                                             "TimerGetParams=400\n");
        // Without the shipped language files every text is its bare key.
        bool languageFiles = true;
        // The description file chosen in an earlier run, so that no first-start warning
        // comes; false starts as on a fresh machine.
        bool storedDescriptionFile = true;
        // The desktop's locale as a Windows locale identifier: English (UK) unless a test
        // says otherwise, whatever the machine's.
        int userLocaleId = 2057;
        // The endpoint's receive buffer; 0 as shipped.
        int receiveBufferBytes = 0;
    };

    FormFixture();
    explicit FormFixture(const Options& options);
    ~FormFixture();

    app::TForm1& form() { return *window; }
    const WindowParts& parts() const { return windowParts; }
    ui::TOptions& settings() { return *settingsDialog; }
    ui::THelpAbout& about() { return *helpAbout; }
    ui::TStatusFenster& stateWindow() { return *statusFenster; }
    platform::RegistryStore& store() { return *registry; }
    QString programDir() const;
    void activate();
    // Waits until the operation in progress has closed the endpoint.
    bool waitForClose(int safetyLimitMs = 20000);
    // How often an operation has closed the endpoint so far.
    int closeCount() const { return closes; }
    bool waitForScanEnd(int safetyLimitMs = 20000);
    bool logContains(const QString& line) const;
    int logCount(const QString& line) const;
    // For lines written with a time stamp in front.
    int logCountEndingWith(const QString& text) const;

    FakeMessageBoxes boxes;
    FixedMonitors monitors{{QRect(0, 0, 1920, 1080)}};
    statelog::LogBuffer log;

private:
    QTemporaryDir folder;
    std::unique_ptr<platform::RegistryStore> registry;
    std::unique_ptr<app::TForm1> window;
    WindowParts windowParts{};
    std::unique_ptr<gdf::TGW_Config> gwConfig;
    std::unique_ptr<ui::TOptions> settingsDialog;
    std::unique_ptr<ui::THelpAbout> helpAbout;
    std::unique_ptr<ui::TStatusFenster> statusFenster;
    int closes = 0;
};

} // namespace testsupport
