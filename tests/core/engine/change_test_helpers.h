#pragma once

#include "engine_bench.h"

#include "protocol/frame.h"

namespace enginetest {

inline const QString kMac = QStringLiteral("00-11-22-33-44-55");
inline const QString kOtherMac = QStringLiteral("00-11-22-33-44-66");
inline const QString kDeviceIp = QStringLiteral("192.168.0.5");
inline const QString kOtherIp = QStringLiteral("192.168.0.6");

// A bench whose scan found the device kMac (DHCP byte as given) and the device kOtherMac at
// kOtherIp, with the scan over and the endpoint closed.
struct ChangeBench : EngineBench {
    explicit ChangeBench(quint8 dhcpByte = 0x10) {
        scan({{.mac = kMac,
               .ip = kDeviceIp,
               .dhcpByte = dhcpByte,
               .netmask = "255.255.255.0",
               .gateway = "192.168.0.1"},
              {.mac = kOtherMac, .ip = kOtherIp}});
        runUntilIdle();
        sentMark = sentCount();
        logMark = log.lines.size();
        eventMark = events.lines.size();
    }

    // The editor loaded with the device, as a click on its line leaves it.
    engine::ChangeRequest loaded() const {
        const engine::DeviceRecord& record = device(kMac);
        return {record.id,
                record.mac,
                record.ip,
                engine::AddressInput::typed(record.netmask.text),
                engine::AddressInput::typed(record.gateway.text),
                record.dhcp == engine::DhcpMode::Active,
                true};
    }

    // The device answers the request it was sent last, from this address.
    void confirm(const QString& from = kDeviceIp, quint8 status = 0) {
        const QByteArray& request = endpoint.sent.back().frame;
        answer(from, testsupport::statusAnswerFrame(quint8(quint8(request[1]) | 0x80), status));
    }
    std::vector<QByteArray> changeFrames() const { return framesSince(sentMark); }

    std::size_t sentMark = 0;
    qsizetype logMark = 0;
    qsizetype eventMark = 0;
};

} // namespace enginetest
