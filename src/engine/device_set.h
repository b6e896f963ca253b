#pragma once

#include "engine/device_record.h"

#include <QHash>
#include <QString>

#include <unordered_set>
#include <utility>
#include <vector>

namespace engine {

// The devices of one scan, in the order they first answered, found by MAC and by IP
// without a search. The duplicate marks describe the latest answer: the devices that share
// its IP under another MAC, and its own device with them. Only marks that change are
// touched, so that thousands of answers from one address cost no more than as many from
// different ones.
class DeviceSet {
public:
    struct Entered {
        DeviceId id = -1;
        bool added = false;
        // Devices whose duplicate mark changed, the entered one included.
        std::vector<DeviceId> marksChanged;
    };

    int count() const { return int(records.size()); }
    bool contains(DeviceId id) const { return id >= 0 && id < count(); }
    // id must be contained.
    const DeviceRecord& at(DeviceId id) const { return records[std::size_t(id)]; }
    const std::vector<DeviceRecord>& all() const { return records; }

    void clear();
    // The record of this MAC and IP; a new one when there is none (the latest of several).
    Entered enter(const QString& mac, const QString& ip);
    // Gives a record another IP; the marks stay until the next answer. Returns the devices
    // whose duplicate mark changed.
    std::vector<DeviceId> setIp(DeviceId id, const QString& ip);
    // Every field but the IP, which only setIp() changes.
    DeviceRecord& edit(DeviceId id) { return records[std::size_t(id)]; }

    // In the order the devices first answered; the texts compare exactly.
    const std::vector<DeviceId>& withIp(const QString& ip) const;
    const std::vector<DeviceId>& withMac(const QString& mac) const;
    // The record of the latest answer under this MAC; none when the MAC did not answer.
    const DeviceRecord* latestWithMac(const QString& mac) const;
    // Another device than the one of this MAC uses this IP.
    bool ipUsedByOtherMac(const QString& ip, const QString& mac) const;

private:
    void addToIp(DeviceId id);
    void removeFromIp(DeviceId id);
    // Marks after an answer of device `answered`; those whose mark changed are appended.
    void remark(DeviceId answered, std::vector<DeviceId>& changed);
    void setMark(DeviceId id, bool duplicate, std::vector<DeviceId>& changed);

    std::vector<DeviceRecord> records;
    QHash<QString, std::vector<DeviceId>> byIp;
    QHash<QString, std::vector<DeviceId>> byMac;
    // How many devices have each IP and MAC, and how many different MACs each IP has: one
    // MAC only means no duplicate. Flat, since nearly every IP has one MAC and a table per IP
    // would cost an allocation per device.
    using IpAndMac = std::pair<QString, QString>;
    QHash<IpAndMac, int> devicesOfIpAndMac;
    QHash<QString, int> macCountOfIp;
    static constexpr int kBurstSign = 256;
    void reserveIndexes();

    // The devices that carry a mark, and the IP of the answer that set them.
    std::unordered_set<DeviceId> markedIds;
    QString markedIp;
    // A device moved onto or off the marked IP since the marks were set: the next answer
    // marks by the addresses as they are then.
    bool marksStale = false;
};

} // namespace engine
