#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace ui {
class LogBuffer;
}

namespace app {

class TForm1;

// For the demo and for screenshots without a display: with TORVANE_DEMO_DIR set, the
// program writes a picture of its main window and the state window's log into that folder
// once the first scan has ended, and quits.
class DemoCapture : public QObject {
    Q_OBJECT
public:
    static std::unique_ptr<DemoCapture> fromEnvironment(TForm1& form, const ui::LogBuffer& log);
    DemoCapture(TForm1& form, const ui::LogBuffer& log, QString folder);

private:
    void capture();

    TForm1& form;
    const ui::LogBuffer& log;
    QString folder;
};

} // namespace app
