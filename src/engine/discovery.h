#pragma once

#include "engine/clock.h"
#include "engine/device_record.h"
#include "engine/outcomes.h"
#include "engine/parallel_reads.h"
#include "protocol/frame.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

namespace engine {

class DestinationRule;
class DeviceSet;
class EndpointSession;
class Events;
class LogSink;

// The scan and the reads that complete short answers: one broadcast, a scan period during
// which every answer enters the device set, and for each device whose answer lacked netmask
// and gateway, one read of each per read interval.
class Discovery {
public:
    // The pause between the netmask read and the gateway read of one device, in which the
    // netmask answer usually comes.
    static constexpr int kReadGapMs = 10;
    // The pauses before the end of a scan period, and of the reads, close the endpoint.
    static constexpr int kScanEndPauseMs = 50;
    static constexpr int kReadsEndPauseMs = 300;

    Discovery(EndpointSession& session, Clock& clock, LogSink& log, Events& events,
              DeviceSet& devices, const DestinationRule& destinations);

    void setIntervals(int scanPeriodMs, int readIntervalMs);
    // With more than one in flight, the reads go to many devices at once instead of one per
    // read interval, each waiting answerWaitMs for its answers before it is asked again or
    // given up. Short answers that come once the scan's endpoint has been closed are then no
    // longer read: the reads end, whatever keeps arriving.
    void setParallelReads(int inFlight, int answerWaitMs);
    // Where a device stands in the front end's list, for the log; by default the order of
    // the answers.
    void setLineIndex(std::function<int(DeviceId)> lineIndex) {
        this->lineIndex = std::move(lineIndex);
    }

    // False when the endpoint could not be opened: nothing was sent, the list is as it was.
    bool startScan();
    // Forgets the devices still to be read: a new scan has emptied the list.
    void dropReads();

    void scanAnswer(const protocol::ReceiveBuffer& answer, const QString& sourceIp);
    void readAnswer(const protocol::ReceiveBuffer& answer, const QString& sourceIp, Field field);
    // Sends one read for the device of this MAC; false when it could not be sent.
    bool readParam(const QString& mac, Field field);

    bool scanRunning() const { return scanPeriod.isActive(); }
    bool readsRunning() const { return parallel() ? reads.busy() : readTicks.isActive(); }
    // The scan period still needs the endpoint.
    bool holdsEndpoint() const;
    const std::deque<QString>& readQueue() const { return queue; }
    // The values of the last netmask and gateway answers.
    const QString& lastNetmask() const { return netmask; }
    const QString& lastGateway() const { return gateway; }

private:
    // What a scan answer says of its device.
    static void takeAnswer(DeviceRecord& record, const protocol::ScanAnswer& answer);
    void endScanPeriod();
    void readTick();
    void finishReads();
    // Searching values that no answer filled in show that none came.
    void markUnanswered();
    void markUnanswered(DeviceId id);
    void reportProgress();
    bool parallel() const { return parallelLimit > 1; }
    void shortAnswerInParallel(DeviceId id, const QString& mac);
    void parallelAnswer(const QString& value, const QString& sourceIp, Field field);
    void finishParallelReads();

    EndpointSession& session;
    LogSink& log;
    Events& events;
    DeviceSet& devices;
    const DestinationRule& destinations;
    std::function<int(DeviceId)> lineIndex;
    int scanPeriodMs = 2500;
    int readIntervalMs = 1500;
    Timer scanPeriod;
    Timer scanEndPause;
    Timer readTicks;
    Timer readGap;
    Timer readsEndPause;
    std::deque<QString> queue;
    int parallelLimit = 1;
    ParallelReads reads;
    // Reads are taken on until the scan's endpoint would close.
    bool acceptingReads = true;
    int readsTaken = 0; // devices whose reads were sent since the scan began
    quint64 droppedBefore = 0;
    QString netmask;
    QString gateway;
};

} // namespace engine
