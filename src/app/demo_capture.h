#pragma once

#include "platform/message_boxes.h"

#include <QObject>
#include <QString>

#include <memory>

namespace statelog {
class LogBuffer;
}

namespace app {

class TForm1;

// In the unattended demo nobody can answer a box: each is written to the state window's
// log instead and answered as its default button would be.
class LoggedMessageBoxes : public platform::MessageBoxes {
public:
    explicit LoggedMessageBoxes(statelog::LogBuffer& log) : log(log) {}
    Answer messageBox(const QString& text, const QString& caption, Icon icon,
                      Buttons buttons) override;
    QString inputBox(const QString& caption, const QString& prompt, const QString& preset) override;
    QString saveFileName(const QString& title, const QString& defaultSuffix) override;
    QString openFileName(const QString& filter, const QString& folder) override;

private:
    statelog::LogBuffer& log;
};

// For the demo and for screenshots without a display: with TORVANE_DEMO_DIR set, the
// program writes a picture of its main window and the state window's log into that folder
// once the first scan has ended, and quits.
class DemoCapture : public QObject {
    Q_OBJECT
public:
    // The folder named by TORVANE_DEMO_DIR, empty when the program runs for a user.
    static QString folderFromEnvironment();
    static std::unique_ptr<DemoCapture> fromEnvironment(TForm1& form,
                                                        const statelog::LogBuffer& log);
    DemoCapture(TForm1& form, const statelog::LogBuffer& log, QString folder);

private:
    void capture();

    TForm1& form;
    const statelog::LogBuffer& log;
    QString folder;
};

} // namespace app
