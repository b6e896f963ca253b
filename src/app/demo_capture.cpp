#include "app/demo_capture.h"

#include "app/form1.h"
#include "ui/model/log_buffer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>

namespace app {

std::unique_ptr<DemoCapture> DemoCapture::fromEnvironment(TForm1& form, const ui::LogBuffer& log) {
    const QString folder = qEnvironmentVariable("TORVANE_DEMO_DIR");
    if (folder.isEmpty())
        return nullptr;
    return std::make_unique<DemoCapture>(form, log, folder);
}

DemoCapture::DemoCapture(TForm1& form, const ui::LogBuffer& log, QString folder)
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
