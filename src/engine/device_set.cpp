#include "engine/device_set.h"

#include <algorithm>

namespace engine {

namespace {

const std::vector<DeviceId> kNone;

} // namespace

void DeviceSet::clear() {
    records.clear();
    byIp.clear();
    byMac.clear();
    macsOfIp.clear();
}

DeviceSet::Entered DeviceSet::enter(const QString& mac, const QString& ip) {
    Entered entered;
    for (const DeviceId id : withMac(mac)) {
        if (records[std::size_t(id)].ip == ip)
            entered.id = id;
    }
    if (entered.id >= 0)
        return entered;
    entered.added = true;
    entered.id = count();
    DeviceRecord record;
    record.id = entered.id;
    record.mac = mac;
    record.ip = ip;
    records.push_back(std::move(record));
    byMac[mac].push_back(entered.id);
    const int macsBefore = macCountOf(ip);
    addToIp(entered.id);
    remark(ip, macsBefore, entered.id, entered.marksChanged);
    return entered;
}

std::vector<DeviceId> DeviceSet::setIp(DeviceId id, const QString& ip) {
    std::vector<DeviceId> changed;
    const QString old = records[std::size_t(id)].ip;
    if (old == ip)
        return changed;
    const int oldMacsBefore = macCountOf(old);
    removeFromIp(id);
    remark(old, oldMacsBefore, -1, changed);
    records[std::size_t(id)].ip = ip;
    const int newMacsBefore = macCountOf(ip);
    addToIp(id);
    remark(ip, newMacsBefore, id, changed);
    return changed;
}

const std::vector<DeviceId>& DeviceSet::withIp(const QString& ip) const {
    const auto found = byIp.constFind(ip);
    return found == byIp.constEnd() ? kNone : found.value();
}

const std::vector<DeviceId>& DeviceSet::withMac(const QString& mac) const {
    const auto found = byMac.constFind(mac);
    return found == byMac.constEnd() ? kNone : found.value();
}

bool DeviceSet::ipUsedByOtherMac(const QString& ip, const QString& mac) const {
    const auto found = macsOfIp.constFind(ip);
    if (found == macsOfIp.constEnd())
        return false;
    return found->size() > (found->contains(mac) ? 1 : 0);
}

int DeviceSet::macCountOf(const QString& ip) const {
    const auto macs = macsOfIp.constFind(ip);
    return macs == macsOfIp.constEnd() ? 0 : int(macs->size());
}

void DeviceSet::addToIp(DeviceId id) {
    const DeviceRecord& record = records[std::size_t(id)];
    std::vector<DeviceId>& ids = byIp[record.ip];
    // Kept in answer order; a device that changed its address may be older than the rest.
    ids.insert(std::upper_bound(ids.begin(), ids.end(), id), id);
    ++macsOfIp[record.ip][record.mac];
}

void DeviceSet::removeFromIp(DeviceId id) {
    const DeviceRecord& record = records[std::size_t(id)];
    auto ids = byIp.find(record.ip);
    ids->erase(std::lower_bound(ids->begin(), ids->end(), id));
    if (ids->empty())
        byIp.erase(ids);
    auto macs = macsOfIp.find(record.ip);
    auto count = macs->find(record.mac);
    if (--count.value() == 0)
        macs->erase(count);
    if (macs->isEmpty())
        macsOfIp.erase(macs);
}

void DeviceSet::remark(const QString& ip, int macsBefore, DeviceId moved,
                       std::vector<DeviceId>& changed) {
    const bool duplicate = macCountOf(ip) > 1;
    const auto mark = [&](DeviceId id) {
        DeviceRecord& record = records[std::size_t(id)];
        if (record.duplicateIp != duplicate) {
            record.duplicateIp = duplicate;
            changed.push_back(id);
        }
    };
    // The others' marks change only when the IP gains its second MAC or loses it.
    if ((macsBefore > 1) != duplicate) {
        for (const DeviceId id : withIp(ip))
            mark(id);
    } else if (moved >= 0) {
        mark(moved);
    }
}

} // namespace engine
