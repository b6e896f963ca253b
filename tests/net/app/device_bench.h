#pragma once

// A main window with devices played on loopback, for the editor, the change transaction and
// the blink and restart commands.
#include "support/device_frames.h"
#include "support/form_fixture.h"
#include "support/loopback_devices.h"

#include "protocol/frame.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <set>
#include <vector>

namespace testsupport {

// One gateway as the change requests meet it: it answers the requests meant for it from its
// current address, takes a new address with the temporary IP request, and can refuse or
// stay silent by request code.
struct ScriptedDevice {
    QString mac;
    QString ip;
    std::map<quint8, quint8> status{}; // status byte by request code; 0 where none is given
    std::set<quint8> silentCodes{};
    int answersLeft = -1; // after this many answers it falls silent; -1 never
    bool answersIpChangeFromOldAddress = false;

    std::vector<LoopbackDevices::Answer> operator()(const UdpPeer::Datagram& request);
};

class DeviceBench {
public:
    explicit DeviceBench(const FormFixture::Options& options = FormFixture::Options());

    // Activates the window, answers its first scan with these devices and waits for the
    // scan to end.
    void scan(const std::vector<ScanAnswerFields>& answers);
    // The same with answers sent from addresses of the test's choosing; `lines` is the
    // number of list lines they make.
    void scanWith(const std::vector<LoopbackDevices::Answer>& frames, int lines);
    // Selects the line of this MAC and clicks it, loading the editor.
    void load(const QString& mac);
    int rowOf(const QString& mac) const;
    QString cell(const QString& mac, int index) const;

    // Presses "Save changes" with the device answering by its script, and waits until the
    // endpoint has been closed `closes` times since.
    bool saveAndWaitForClose(ScriptedDevice& device, int closes = 1);
    // Presses "Save changes" and pumps until the condition holds.
    bool saveAndWaitUntil(ScriptedDevice& device, const std::function<bool()>& done);

    // The requests the program sent after the first scan ended, in order.
    std::vector<UdpPeer::Datagram> requestsSinceScan();
    std::vector<QByteArray> framesSinceScan();

    // The log holds these lines in this order (others between them); a line written with
    // a time stamp matches by its text after the stamp.
    bool logShowsInOrder(const QStringList& expected) const;
    // Lines written with a time stamp whose text is exactly this.
    int stampedLineCount(const QString& text) const;
    int linesStartingWith(const QString& start) const;

    // TimerSetParam no longer ticks by itself; the test gives the ticks.
    void tickSetParamTimerByHand();
    void tickSetParamTimer(int ticks);

    // The status panel shows the translation of this key.
    bool statusIs(const char* key) const;
    std::optional<QColor> lineColour(const QString& mac) const;
    QColor pendingColour() const;

    FormFixture f;
    LoopbackDevices devices;
    app::TForm1& form;
    const WindowParts& parts;

private:
    std::size_t scanRequests = 0;
};

// The change and command frames as they must leave.
QByteArray addressRequest(quint8 code, const QString& mac, const QString& address);
QByteArray commandRequest(quint8 code, const QString& mac);
QByteArray dhcpRequest(bool on);

// Puts an address on the namespace's loopback, so that a device may answer from it.
bool addLoopbackAddress(const QString& address);

} // namespace testsupport
