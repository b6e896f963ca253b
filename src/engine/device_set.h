#pragma once

#include "engine/device_record.h"

#include <QHash>
#include <QString>

#include <utility>
#include <vector>

namespace engine {

// The devices of one scan, in the order they first answered, found by MAC and by IP
// without a search. A device is marked as a duplicate while another device with another MAC
// has its IP; the marks follow from a count per IP, so that thousands of answers from one
// address cost no more than as many from different ones.
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
    // Gives a record another IP; returns the devices whose duplicate mark changed.
    std::vector<DeviceId> setIp(DeviceId id, const QString& ip);
    // Every field but the IP, which only setIp() changes.
    DeviceRecord& edit(DeviceId id) { return records[std::size_t(id)]; }

    // In the order the devices first answered; the texts compare exactly.
    const std::vector<DeviceId>& withIp(const QString& ip) const;
    const std::vector<DeviceId>& withMac(const QString& mac) const;
    // Another device than the one of this MAC uses this IP.
    bool ipUsedByOtherMac(const QString& ip, const QString& mac) const;

private:
    int macCountOf(const QString& ip) const;
    void addToIp(DeviceId id);
    void removeFromIp(DeviceId id);
    // Marks the devices of ip after device `moved` came or went there, the IP having had
    // macsBefore different MACs; those whose mark changed are appended to changed.
    void remark(const QString& ip, int macsBefore, DeviceId moved, std::vector<DeviceId>& changed);

    std::vector<DeviceRecord> records;
    QHash<QString, std::vector<DeviceId>> byIp;
    QHash<QString, std::vector<DeviceId>> byMac;
    // Per IP, how many of its devices have each MAC: one MAC only means no duplicate.
    QHash<QString, QHash<QString, int>> macsOfIp;
};

} // namespace engine
