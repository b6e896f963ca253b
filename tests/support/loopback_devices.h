#pragma once

#include "support/udp_peer.h"

#include <QByteArray>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace testsupport {

// The devices' side of a main-window test: one socket on every address at the device port,
// as the simulator has it, inside the test's private network namespace. The test thread is
// the program's UI thread, so the devices never block: they wait by pumping, or answer by
// script from a timer while the program itself pumps.
class LoopbackDevices {
public:
    // One answer: the device address it comes from and the frame.
    using Answer = std::pair<QString, QByteArray>;
    // Called for every datagram the devices receive while answering by script; what it
    // returns is sent back to the program's endpoint at once.
    using Script = std::function<std::vector<Answer>(const UdpPeer::Datagram& request)>;

    static constexpr const char* kProgramAddress = "127.0.0.1";

    LoopbackDevices();

    bool isOpen() const { return peer.isOpen(); }

    // Waits for the scan request, then sends each answer to the destination.
    void answerScan(const std::vector<Answer>& answers,
                    const QString& destination = QString::fromLatin1(kProgramAddress));

    // Waits, with the program's events running, for a datagram with exactly these bytes
    // that arrived after the one the last wait found; every datagram stays in received().
    std::optional<UdpPeer::Datagram> waitFor(const QByteArray& bytes, int safetyLimitMs = 10000);

    // From now on every datagram is handed to the script as soon as the program pumps.
    void answerBy(Script script);
    void stopAnswering();

    bool send(const Answer& answer,
              const QString& destination = QString::fromLatin1(kProgramAddress));

    // Takes in what has arrived without waiting.
    void drain();
    // Every datagram received so far, in order of arrival.
    const std::vector<UdpPeer::Datagram>& received() const { return log; }
    // The requests among them (codes below 0x80), in order: what the program sent.
    std::vector<QByteArray> requests() const;

    UdpPeer peer;

private:
    std::optional<UdpPeer::Datagram> takeOne();

    std::vector<UdpPeer::Datagram> log;
    std::size_t waited = 0; // received() from here on is still to be searched by waitFor
    Script script;
    QTimer poll;
};

} // namespace testsupport
