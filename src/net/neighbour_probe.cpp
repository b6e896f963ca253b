#include "net/neighbour_probe.h"

#include "net/ipv4.h"

#include <QFile>
#include <QSet>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

namespace net {

namespace {

// Resolution on a segment takes milliseconds; a host that has not answered after this is
// taken to be absent.
constexpr int kPollIntervalMs = 20;
constexpr int kPolls = 12;
// The discard service: a host that holds the address may drop the datagram as it likes,
// and nothing of the gateways' protocol is touched.
constexpr quint16 kDiscardPort = 9;
// ATF_COM: the entry holds a link-layer address (reachable, stale, delay, probe).
constexpr uint kEntryComplete = 0x2;

const QString kNoMac = QStringLiteral("00:00:00:00:00:00");

// Sends one empty datagram to each address; the source is the adapter's address, never
// 0.0.0.0, and MSG_DONTROUTE keeps it off any router.
void sendDatagrams(quint32 adapter, const QList<quint32>& addresses) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(adapter);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0) {
        for (const quint32 address : addresses) {
            sockaddr_in target{};
            target.sin_family = AF_INET;
            target.sin_port = htons(kDiscardPort);
            target.sin_addr.s_addr = htonl(address);
            // A refusal by the kernel only means no answer can come.
            sendto(fd, nullptr, 0, MSG_DONTROUTE, reinterpret_cast<const sockaddr*>(&target),
                   sizeof target);
        }
    }
    close(fd);
}

QList<NeighbourAnswer> readAnswers(const QString& interfaceName, const QSet<QString>& asked) {
    QFile table(QStringLiteral("/proc/net/arp"));
    if (!table.open(QIODevice::ReadOnly))
        return {};
    QList<NeighbourAnswer> answers;
    for (const NeighbourAnswer& entry :
         resolvedNeighbours(QString::fromLatin1(table.readAll()), interfaceName)) {
        if (asked.contains(entry.ip))
            answers.append(entry);
    }
    return answers;
}

} // namespace

QList<NeighbourAnswer> resolvedNeighbours(const QString& arpTable, const QString& interfaceName) {
    QList<NeighbourAnswer> entries;
    const QStringList lines = arpTable.split(u'\n', Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        // IP address, HW type, Flags, HW address, Mask, Device
        const QStringList fields = lines[i].simplified().split(u' ');
        if (fields.size() < 6 || fields[5] != interfaceName)
            continue;
        bool read = false;
        const uint flags = fields[2].toUInt(&read, 16);
        if (!read || !(flags & kEntryComplete) || fields[3] == kNoMac)
            continue;
        entries.append({fields[0], fields[3].toUpper().replace(u':', u'-')});
    }
    return entries;
}

NeighbourProbe::NeighbourProbe(tNetworkInterfaceList interfaces, QObject* parent)
    : QObject(parent), interfaces(std::move(interfaces)) {}

void NeighbourProbe::probe(const QString& adapterIp, const QStringList& addresses, Done done) {
    const tNetworkInterface* adapter = nullptr;
    for (const tNetworkInterface& record : interfaces) {
        if (record.AddrIP == adapterIp && !record.SubnetMask.isEmpty())
            adapter = &record;
    }
    QList<quint32> onLink;
    QSet<QString> asked;
    // A loopback adapter has no neighbour table: there the probe finds nothing, and so
    // refuses nothing.
    if (adapter && !adapter->IsLoopback) {
        const quint32 own = ipTextToInt(adapter->AddrIP);
        const quint32 mask = ipTextToInt(adapter->SubnetMask);
        for (const QString& text : addresses) {
            const quint32 address = ipTextToInt(text);
            const quint32 host = address & ~mask;
            if ((address & mask) == (own & mask) && address != own && host != 0 && host != ~mask &&
                !asked.contains(text)) {
                onLink.append(address);
                asked.insert(intToIpText(address));
            }
        }
    }
    if (onLink.isEmpty()) {
        done({});
        return;
    }
    sendDatagrams(ipTextToInt(adapter->AddrIP), onLink);
    auto* poll = new QTimer(this);
    poll->setInterval(kPollIntervalMs);
    auto polls = std::make_shared<int>(0);
    // An address label ("eth0:1") names no interface of the table.
    const QString interfaceName = adapter->InterfaceName.section(u':', 0, 0);
    connect(poll, &QTimer::timeout, this, [poll, polls, interfaceName, asked, done] {
        const QList<NeighbourAnswer> answers = readAnswers(interfaceName, asked);
        if (answers.size() < asked.size() && ++*polls < kPolls)
            return;
        poll->stop();
        poll->deleteLater();
        done(answers);
    });
    poll->start();
}

} // namespace net
