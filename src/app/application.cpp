#include "app/application.h"

#include "app/demo_capture.h"
#include "app/form1.h"
#include "platform/data_folder.h"
#include "platform/registry.h"
#include "statelog/log_buffer.h"
#include "ui/gw_config.h"
#include "ui/help_about.h"
#include "ui/options_dialog.h"
#include "ui/qscreen_monitors.h"
#include "ui/qt_message_boxes.h"
#include "ui/state_window.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

namespace app {

int runApplication(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TORVANE Scan"));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("torvanescan"));

    statelog::LogBuffer log;
    ui::QtMessageBoxes dialogs;
    LoggedMessageBoxes unattended(log);
    platform::MessageBoxes& boxes = DemoCapture::folderFromEnvironment().isEmpty()
                                        ? static_cast<platform::MessageBoxes&>(dialogs)
                                        : unattended;
    platform::RegistryStore registry;
    registry.load();
    const QString loadProblem = registry.takeLoadProblem();
    if (!loadProblem.isEmpty())
        boxes.showMessage(loadProblem);
    ui::QScreenMonitors monitors;

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    const Services services{
        boxes,
        registry,
        log,
        monitors,
        platform::dataFolder(QApplication::applicationDirPath()),
        arguments,
        [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); },
        std::nullopt};

    // The five windows, in this order; only the main window is shown.
    TForm1 form1(services);
    gdf::TGW_Config gwConfig(boxes);
    ui::TOptions options(registry, boxes);
    ui::THelpAbout helpAbout(services.programDir, boxes);
    ui::TStatusFenster statusFenster(log, boxes);
    form1.setWindows({&gwConfig, &options, &helpAbout, &statusFenster});

    std::unique_ptr<DemoCapture> capture = DemoCapture::fromEnvironment(form1, log);
    form1.show();
    return QApplication::exec();
}

} // namespace app
