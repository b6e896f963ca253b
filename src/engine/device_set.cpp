#include "engine/device_set.h"

#include <algorithm>

namespace engine {

namespace {

const std::vector<DeviceId> kNone;

} // namespace

// Once a scan brings more than a handful of devices, a burst is coming: room for a whole
// segment then, since growing an index on the way moves every entry it holds. A set that
// stays small (a test, a quiet segment) does not pay for that room.
void DeviceSet::reserveIndexes() {
    constexpr qsizetype kSegmentDevices = 16384;
    records.reserve(std::size_t(kSegmentDevices));
    byIp.reserve(kSegmentDevices);
    byMac.reserve(kSegmentDevices);
    devicesOfIpAndMac.reserve(kSegmentDevices);
    macCountOfIp.reserve(kSegmentDevices);
}

void DeviceSet::clear() {
    records.clear();
    byIp.clear();
    byMac.clear();
    devicesOfIpAndMac.clear();
    macCountOfIp.clear();
    markedIp.clear();
    marksStale = false;
    markedIds.clear();
}

DeviceSet::Entered DeviceSet::enter(const QString& mac, const QString& ip) {
    Entered entered;
    for (const DeviceId id : withMac(mac)) {
        if (records[std::size_t(id)].ip == ip)
            entered.id = id;
    }
    if (entered.id >= 0) {
        remark(entered.id, entered.marksChanged);
        return entered;
    }
    entered.added = true;
    entered.id = count();
    if (entered.id == kBurstSign)
        reserveIndexes();
    DeviceRecord record;
    record.id = entered.id;
    record.mac = mac;
    record.ip = ip;
    records.push_back(std::move(record));
    byMac[mac].push_back(entered.id);
    addToIp(entered.id);
    remark(entered.id, entered.marksChanged);
    return entered;
}

std::vector<DeviceId> DeviceSet::setIp(DeviceId id, const QString& ip) {
    std::vector<DeviceId> changed;
    const QString old = records[std::size_t(id)].ip;
    if (old == ip)
        return changed;
    if (!markedIds.empty() && (old == markedIp || ip == markedIp))
        marksStale = true;
    removeFromIp(id);
    records[std::size_t(id)].ip = ip;
    addToIp(id);
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

const DeviceRecord* DeviceSet::latestWithMac(const QString& mac) const {
    const std::vector<DeviceId>& ids = withMac(mac);
    return ids.empty() ? nullptr : &at(ids.back());
}

bool DeviceSet::ipUsedByOtherMac(const QString& ip, const QString& mac) const {
    const int macs = macCountOfIp.value(ip);
    return macs > (devicesOfIpAndMac.contains(IpAndMac{ip, mac}) ? 1 : 0);
}

void DeviceSet::addToIp(DeviceId id) {
    const DeviceRecord& record = records[std::size_t(id)];
    std::vector<DeviceId>& ids = byIp[record.ip];
    // Kept in answer order; a device that changed its address may be older than the rest.
    ids.insert(std::upper_bound(ids.begin(), ids.end(), id), id);
    if (++devicesOfIpAndMac[IpAndMac{record.ip, record.mac}] == 1)
        ++macCountOfIp[record.ip];
}

void DeviceSet::removeFromIp(DeviceId id) {
    const DeviceRecord& record = records[std::size_t(id)];
    auto ids = byIp.find(record.ip);
    ids->erase(std::lower_bound(ids->begin(), ids->end(), id));
    if (ids->empty())
        byIp.erase(ids);
    auto devices = devicesOfIpAndMac.find(IpAndMac{record.ip, record.mac});
    if (--devices.value() > 0)
        return;
    devicesOfIpAndMac.erase(devices);
    auto macs = macCountOfIp.find(record.ip);
    if (--macs.value() == 0)
        macCountOfIp.erase(macs);
}

void DeviceSet::setMark(DeviceId id, bool duplicate, std::vector<DeviceId>& changed) {
    DeviceRecord& record = records[std::size_t(id)];
    if (record.duplicateMark != duplicate) {
        record.duplicateMark = duplicate;
        if (duplicate)
            markedIds.insert(id);
        else
            markedIds.erase(id);
        changed.push_back(id);
    }
}

void DeviceSet::remark(DeviceId answered, std::vector<DeviceId>& changed) {
    const DeviceRecord& answer = records[std::size_t(answered)];
    const QString ip = answer.ip;
    const QString mac = answer.mac;
    const bool duplicate = ipUsedByOtherMac(ip, mac);
    // Another answer from the marked address keeps the others' marks as they are.
    if (!markedIds.empty() && !marksStale && markedIp == ip && duplicate) {
        setMark(answered, true, changed);
        for (const DeviceId id : withMac(mac)) {
            if (id != answered && records[std::size_t(id)].ip == ip)
                setMark(id, false, changed);
        }
        return;
    }
    // Marked devices may have moved away from the marked IP since. They are taken in answer
    // order, as every list of changed marks is.
    std::vector<DeviceId> marked(markedIds.begin(), markedIds.end());
    std::sort(marked.begin(), marked.end());
    for (const DeviceId id : marked) {
        if (records[std::size_t(id)].ip != ip)
            setMark(id, false, changed);
    }
    marksStale = false;
    markedIp = ip;
    for (const DeviceId id : withIp(ip))
        setMark(id, duplicate && (id == answered || records[std::size_t(id)].mac != mac), changed);
}

} // namespace engine
