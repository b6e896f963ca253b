#include "app/demo_capture.h"

#include "app/form1.h"
#include "statelog/log_buffer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>

namespace app {

platform::MessageBoxes::Answer
LoggedMessageBoxes::messageBox(const QString& text, const QString& caption, Icon, Buttons buttons) {
    log.logStringWithTime(QStringLiteral("Message box \"%1\": %2").arg(caption, text));
    return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
}

QString LoggedMessageBoxes::inputBox(const QString& caption, const QString&,
                                     const QString& preset) {
    log.logStringWithTime(QStringLiteral("Prompt \"%1\" answered with %2").arg(caption, preset));
    return preset;
}

QString LoggedMessageBoxes::saveFileName(const QString&, const QString&) {
    return QString();
}

QString LoggedMessageBoxes::openFileName(const QString&, const QString&) {
    return QString();
}

QString DemoCapture::folderFromEnvironment() {
    return qEnvironmentVariable("TORVANE_DEMO_DIR");
}

std::unique_ptr<DemoCapture> DemoCapture::fromEnvironment(TForm1& form,
                                                          const statelog::LogBuffer& log) {
    const QString folder = folderFromEnvironment();
    if (folder.isEmpty())
        return nullptr;
    return std::make_unique<DemoCapture>(form, log, folder);
}

DemoCapture::DemoCapture(TForm1& form, const statelog::LogBuffer& log, QString folder)
    : form(form), log(log), folder(std::move(folder)) {
    // The scan's own close comes last: the query of short answers may close first only when
    // the scan period is over, and a scan without short answers closes at its end.
    connect(&form, &TForm1::endpointClosed, this,
            [this] { QTimer::singleShot(300, this, &DemoCapture::capture); });
}

void DemoCapture::capture() {
    QDir().mkpath(folder);
    form.grab().save(QDir(folder).filePath(QStringLiteral("main-window.png")));
    QFile file(QDir(folder).filePath(QStringLiteral("state-window.log")));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        QTextStream out(&file);
        for (const QString& line : log.lines())
            out << line << '\n';
    }
    QApplication::quit();
}

} // namespace app
