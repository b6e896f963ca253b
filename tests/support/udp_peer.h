#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace testsupport {

// A plain UDP socket standing in for a device or a simulator in socket tests. It lives in
// the network namespace of the thread that opens it.
class UdpPeer {
public:
    struct Options {
        bool reuseAddress = false;
        bool broadcast = true;
        int receiveBufferBytes = 0; // 0 keeps the system's default
        bool reusePort = false;
    };

    // Binds address:port (port 0 picks a free one); check isOpen() and error().
    UdpPeer(const QString& address, quint16 port);
    UdpPeer(const QString& address, quint16 port, Options options);
    ~UdpPeer();
    UdpPeer(const UdpPeer&) = delete;
    UdpPeer& operator=(const UdpPeer&) = delete;

    bool isOpen() const { return descriptor >= 0; }
    int error() const { return lastError; }
    quint16 port() const;

    bool sendTo(const QByteArray& datagram, const QString& address, quint16 port);
    // Sends with the given source address, as a simulator bound to every address answers
    // for one device.
    bool sendFrom(const QString& sourceAddress, const QByteArray& datagram, const QString& address,
                  quint16 port);

    struct Datagram {
        QByteArray bytes;
        QString source;
        quint16 sourcePort = 0;
        QString destination; // the address it was sent to
    };
    // Waits for one datagram, at most safetyLimitMs (a guard against hanging, not a
    // measurement).
    std::optional<Datagram> receive(int safetyLimitMs = 5000);

private:
    int descriptor = -1;
    int lastError = 0;
};

} // namespace testsupport
