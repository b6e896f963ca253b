#include "engine/parallel_reads.h"

#include "engine/device_set.h"
#include "engine/log_sink.h"

#include <algorithm>

namespace engine {

struct ParallelReads::Read {
    explicit Read(Clock& clock) : answerWait(clock) {}

    DeviceId id = -1;
    QString mac;
    QString ip;
    bool netmaskDone = false;
    bool gatewayDone = false;
    int attempts = 0;
    Timer answerWait;

    bool& done(Field field) { return field == Field::Netmask ? netmaskDone : gatewayDone; }
};

ParallelReads::ParallelReads(Clock& clock, LogSink& log, const DeviceSet& devices, Send send)
    : clock(clock), log(log), devices(devices), sendRead(std::move(send)) {}

ParallelReads::~ParallelReads() = default;

void ParallelReads::setLimits(int inFlight, int answerWaitMs) {
    limit = std::max(1, inFlight);
    waitMs = std::max(1, answerWaitMs);
}

void ParallelReads::reset() {
    waiting.clear();
    seenMacs.clear();
    inFlight.clear();
    startedCount = 0;
}

void ParallelReads::want(const QString& mac) {
    // Copies of one answer, from a careless or hostile network, would read it again and
    // again, and keep the reads from ever ending.
    if (seenMacs.contains(mac)) {
        log.logStringOnly(QStringLiteral("Reads of ") + mac +
                          QStringLiteral(" already under way or done, not asked again"));
        return;
    }
    seenMacs.insert(mac);
    waiting.push_back(mac);
    startMore();
}

std::optional<DeviceId> ParallelReads::reader(const QString& sourceIp, Field field) const {
    const std::shared_ptr<Read> read = inFlight.value(sourceIp);
    if (!read || read->done(field))
        return std::nullopt;
    return read->id;
}

void ParallelReads::answered(const QString& sourceIp, Field field) {
    const std::shared_ptr<Read> read = inFlight.value(sourceIp);
    if (!read)
        return;
    read->done(field) = true;
    if (read->netmaskDone && read->gatewayDone)
        settle(sourceIp);
}

void ParallelReads::startMore() {
    auto next = waiting.begin();
    while (inFlight.size() < limit && next != waiting.end()) {
        const std::vector<DeviceId>& ids = devices.withMac(*next);
        if (ids.empty()) {
            next = waiting.erase(next);
            continue;
        }
        const DeviceId id = ids.back();
        const QString& ip = devices.at(id).ip;
        // Its answers could not be told from those of the device read at this address now.
        if (inFlight.contains(ip)) {
            ++next;
            continue;
        }
        auto read = std::make_shared<Read>(clock);
        read->id = id;
        read->mac = *next;
        read->ip = ip;
        next = waiting.erase(next);
        log.logStringOnly(QStringLiteral("Getting list Index: ") + read->mac);
        ++startedCount;
        inFlight.insert(ip, read);
        send(*read);
        // A failed send may have ended reads and shortened the queue.
        next = waiting.begin();
    }
}

void ParallelReads::send(Read& read) {
    ++read.attempts;
    for (const Field field : {Field::Netmask, Field::Gateway}) {
        // The gateway is not asked for when the netmask could not be.
        if (!read.done(field) && !sendRead(read.mac, field)) {
            log.logStringOnly(QStringLiteral("Reads of ") + read.mac +
                              QStringLiteral(" could not be sent, given up"));
            settle(read.ip);
            return;
        }
    }
    const QString ip = read.ip;
    read.answerWait.startOnce(waitMs, [this, ip] { expired(ip); });
}

void ParallelReads::expired(const QString& ip) {
    const std::shared_ptr<Read> read = inFlight.value(ip);
    if (!read)
        return;
    if (read->attempts < 2) {
        log.logStringOnly(QStringLiteral("No answer to the reads of ") + read->mac +
                          QStringLiteral(" from ") + ip + QStringLiteral(", asked again"));
        send(*read);
        return;
    }
    log.logStringOnly(QStringLiteral("No answer to the reads of ") + read->mac +
                      QStringLiteral(" from ") + ip + QStringLiteral(", given up"));
    settle(ip);
}

void ParallelReads::settle(const QString& ip) {
    inFlight.remove(ip);
    startMore();
    if (!busy() && drained)
        drained();
}

} // namespace engine
