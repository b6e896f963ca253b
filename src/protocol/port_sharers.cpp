#include "protocol/port_sharers.h"

#include <QFile>
#include <QList>

#include <arpa/inet.h>
#include <sys/stat.h>

#include <algorithm>

namespace protocol {

namespace {

std::vector<quint64> inodesOf(const std::vector<int>& descriptors) {
    std::vector<quint64> inodes;
    for (const int descriptor : descriptors) {
        struct stat info {};
        if (::fstat(descriptor, &info) == 0)
            inodes.push_back(quint64(info.st_ino));
    }
    return inodes;
}

} // namespace

bool othersBoundTo(quint32 address, quint16 port, const std::vector<int>& ourDescriptors) {
    // The system's table of this namespace's UDP sockets: one line per socket, the local
    // address as the hexadecimal 32-bit word in memory order, the port in host order,
    // "0100007F:DA00" for 127.0.0.1:55808; the tenth field is the socket's inode.
    QFile table(QStringLiteral("/proc/self/net/udp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const std::vector<quint64> ours = inodesOf(ourDescriptors);
    const QList<QByteArray> lines = table.readAll().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].simplified().split(' ');
        if (fields.size() < 10)
            continue;
        const QList<QByteArray> local = fields[1].split(':');
        bool addressRead = false;
        bool portRead = false;
        bool inodeRead = false;
        const quint32 word = local.value(0).toUInt(&addressRead, 16);
        const uint localPort = local.value(1).toUInt(&portRead, 16);
        const quint64 inode = fields[9].toULongLong(&inodeRead);
        if (!addressRead || !portRead || !inodeRead || ntohl(word) != address || localPort != port)
            continue;
        if (std::find(ours.begin(), ours.end(), inode) == ours.end())
            return true;
    }
    return false;
}

} // namespace protocol
