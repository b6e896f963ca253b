#include "device_bench.h"

#include "support/event_pump.h"
#include "support/shell_command.h"

#include "net/ipv4.h"
#include "ui/device_list_view.h"
#include "ui/model/device_table.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

namespace testsupport {

std::vector<LoopbackDevices::Answer> ScriptedDevice::operator()(const UdpPeer::Datagram& request) {
    const QByteArray& bytes = request.bytes;
    if (bytes.size() < 3)
        return {};
    const quint8 code = quint8(bytes[1]);
    // The DHCP request carries no MAC; it is meant for the device at its destination.
    const bool meantForMe = code == protocol::dcSetDhcp
                                ? request.destination == ip
                                : bytes.mid(2, 6) == protocol::macBytesFromText(mac).value();
    if (code >= 0x80 || !meantForMe || silentCodes.count(code) > 0 || answersLeft == 0)
        return {};
    const auto given = status.find(code);
    const quint8 statusByte = given == status.end() ? 0 : given->second;
    const quint8 answerCode = quint8(code | 0x80);
    std::vector<LoopbackDevices::Answer> answers;
    switch (code) {
    case protocol::dcSetIpTemporary: {
        const QString oldIp = ip;
        if (statusByte == 0 && bytes.size() >= 12)
            ip =
                net::intToIpText(quint32(quint8(bytes[8])) << 24 | quint32(quint8(bytes[9])) << 16 |
                                 quint32(quint8(bytes[10])) << 8 | quint8(bytes[11]));
        answers.push_back({answersIpChangeFromOldAddress ? oldIp : ip,
                           statusAnswerFrame(answerCode, statusByte)});
        break;
    }
    case protocol::dcSetIpPermanent:
    case protocol::dcSetDhcp:
    case protocol::dcBlink:
        answers.push_back({ip, statusAnswerFrame(answerCode, statusByte)});
        break;
    case protocol::dcSetNetmaskTemporary:
    case protocol::dcSetNetmaskPermanent:
    case protocol::dcSetGatewayTemporary:
    case protocol::dcSetGatewayPermanent:
        answers.push_back({ip, protocol::buildFrame(answerCode, {})});
        break;
    default:
        break; // reads and restart: not played here
    }
    if (!answers.empty() && answersLeft > 0)
        --answersLeft;
    return answers;
}

DeviceBench::DeviceBench(const FormFixture::Options& options)
    : f(options), form(f.form()), parts(f.parts()) {
    EXPECT_TRUE(devices.isOpen()) << "device socket, error " << devices.peer.error();
    f.log.setMaxLines(1000000); // a test reads every line of its run
}

void DeviceBench::scan(const std::vector<ScanAnswerFields>& answers) {
    std::vector<LoopbackDevices::Answer> frames;
    for (const ScanAnswerFields& answer : answers)
        frames.push_back({answer.ip, scanAnswerFrame(answer)});
    scanWith(frames, int(answers.size()));
}

void DeviceBench::scanWith(const std::vector<LoopbackDevices::Answer>& frames, int lines) {
    f.activate();
    EXPECT_EQ(parts.ComboBoxAdapter->currentText(), LoopbackDevices::kProgramAddress);
    devices.answerScan(frames);
    EXPECT_TRUE(f.waitForScanEnd());
    EXPECT_EQ(form.deviceList().count(), lines);
    devices.drain();
    scanRequests = devices.requests().size();
}

void DeviceBench::load(const QString& mac) {
    parts.ListView1->selectRow(rowOf(mac));
    form.ListView1Click();
}

int DeviceBench::rowOf(const QString& mac) const {
    return form.deviceList().firstRowWithCaption(mac);
}

QString DeviceBench::cell(const QString& mac, int index) const {
    return form.deviceList().cell(rowOf(mac), index);
}

bool DeviceBench::saveAndWaitForClose(ScriptedDevice& device, int closes) {
    const int before = f.closeCount();
    return saveAndWaitUntil(device, [&] { return f.closeCount() >= before + closes; });
}

bool DeviceBench::saveAndWaitUntil(ScriptedDevice& device, const std::function<bool()>& done) {
    devices.answerBy(std::ref(device));
    form.actChangeIPConfigExecute();
    return pumpUntil(done, 20000);
}

std::vector<UdpPeer::Datagram> DeviceBench::requestsSinceScan() {
    devices.drain();
    std::vector<UdpPeer::Datagram> requests;
    std::size_t index = 0;
    for (const UdpPeer::Datagram& datagram : devices.received()) {
        if (datagram.bytes.size() > 1 && quint8(datagram.bytes[1]) < 0x80 &&
            index++ >= scanRequests)
            requests.push_back(datagram);
    }
    return requests;
}

std::vector<QByteArray> DeviceBench::framesSinceScan() {
    std::vector<QByteArray> frames;
    for (const UdpPeer::Datagram& datagram : requestsSinceScan())
        frames.push_back(datagram.bytes);
    return frames;
}

namespace {

bool lineShows(const QString& line, const QString& text) {
    return line == text || line.endsWith(QLatin1Char(' ') + text);
}

} // namespace

bool DeviceBench::logShowsInOrder(const QStringList& expected) const {
    qsizetype next = 0;
    for (const QString& line : f.log.lines()) {
        if (next < expected.size() && lineShows(line, expected[next]))
            ++next;
    }
    if (next < expected.size())
        ADD_FAILURE() << "log line missing or out of order: " << expected[next].toStdString();
    return next == expected.size();
}

int DeviceBench::stampedLineCount(const QString& text) const {
    int count = 0;
    for (const QString& line : f.log.lines()) {
        if (line != text && line.endsWith(QLatin1Char(' ') + text))
            ++count;
    }
    return count;
}

int DeviceBench::linesStartingWith(const QString& start) const {
    int count = 0;
    for (const QString& line : f.log.lines()) {
        if (line.startsWith(start))
            ++count;
    }
    return count;
}

void DeviceBench::tickSetParamTimerByHand() {
    engine::Intervals intervals = form.timerIntervals();
    intervals.changeWatch = 3600000;
    form.setTimerIntervals(intervals);
}

void DeviceBench::tickSetParamTimer(int ticks) {
    for (int tick = 0; tick < ticks; ++tick)
        form.TimerSetParamTimer();
    // The window shows its message boxes once the engine's event has been handled.
    QCoreApplication::processEvents();
}

bool DeviceBench::statusIs(const char* key) const {
    return form.statusText() == form.translate(QString::fromLatin1(key));
}

std::optional<QColor> DeviceBench::lineColour(const QString& mac) const {
    return parts.ListView1->textColourOf(rowOf(mac));
}

QColor DeviceBench::pendingColour() const {
    return form.palette().color(QPalette::Disabled, QPalette::WindowText);
}

QByteArray addressRequest(quint8 code, const QString& mac, const QString& address) {
    return protocol::buildFrame(code, protocol::macBytesFromText(mac).value() +
                                          protocol::addressBytes(address));
}

QByteArray commandRequest(quint8 code, const QString& mac) {
    return protocol::buildFrame(code, protocol::macBytesFromText(mac).value());
}

QByteArray dhcpRequest(bool on) {
    return protocol::buildFrame(protocol::dcSetDhcp, QByteArray(1, on ? 1 : 0));
}

bool addLoopbackAddress(const QString& address) {
    return runShell("ip addr replace " + address.toStdString() + "/32 dev lo");
}

} // namespace testsupport
