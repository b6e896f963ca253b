#include "cli/watch_tracker.h"

namespace cli {

namespace {

constexpr int kMissedScansForGone = 2;

} // namespace

QString watchKindName(WatchChange::Kind kind) {
    switch (kind) {
    case WatchChange::Kind::Appeared:
        return QStringLiteral("appeared");
    case WatchChange::Kind::Disappeared:
        return QStringLiteral("disappeared");
    case WatchChange::Kind::Changed:
        return QStringLiteral("changed");
    case WatchChange::Kind::DuplicateIp:
        break;
    }
    return QStringLiteral("duplicate_ip");
}

std::vector<WatchChange> WatchTracker::update(const std::vector<report::DeviceRow>& scanned) {
    // A MAC that answered from two addresses counts with its last answer.
    QHash<QString, const report::DeviceRow*> latest;
    for (const report::DeviceRow& row : scanned)
        latest.insert(row.mac, &row);

    std::vector<WatchChange> changes;
    for (auto mac = order.begin(); mac != order.end();) {
        Known& device = known[*mac];
        if (latest.contains(*mac) || ++device.missed < kMissedScansForGone) {
            ++mac;
            continue;
        }
        changes.push_back({WatchChange::Kind::Disappeared, *mac, device.row.ip, {}, {}});
        known.remove(*mac);
        mac = order.erase(mac);
    }

    QHash<QString, QStringList> macsAt;
    for (const report::DeviceRow& row : scanned) {
        if (latest.value(row.mac) != &row)
            continue;
        QStringList& macs = macsAt[row.ip];
        if (!macs.contains(row.mac))
            macs.append(row.mac);
        const auto before = known.constFind(row.mac);
        report::DeviceRow seen = row;
        if (before == known.cend()) {
            changes.push_back({WatchChange::Kind::Appeared, row.mac, row.ip, {}, {}});
            order.push_back(row.mac);
        } else {
            // A netmask or gateway whose read went unanswered this time is no change: like a
            // missed scan answer, one lost read must not flap.
            if (!seen.netmask)
                seen.netmask = before->row.netmask;
            if (!seen.gateway)
                seen.gateway = before->row.gateway;
            if (auto fields = report::fieldChanges(before->row, seen); !fields.empty())
                changes.push_back(
                    {WatchChange::Kind::Changed, row.mac, row.ip, std::move(fields), {}});
        }
        known[row.mac] = {seen, 0};
    }

    QSet<QString> nowSharing;
    for (const report::DeviceRow& row : scanned) {
        const QStringList& macs = macsAt.value(row.ip);
        const QString key = row.ip + u' ' + row.mac;
        if (latest.value(row.mac) != &row || macs.size() < 2 || nowSharing.contains(key))
            continue;
        nowSharing.insert(key);
        if (sharing.contains(key))
            continue;
        QStringList others = macs;
        others.removeAll(row.mac);
        changes.push_back({WatchChange::Kind::DuplicateIp, row.mac, row.ip, {}, others});
    }
    sharing = nowSharing;
    return changes;
}

} // namespace cli
