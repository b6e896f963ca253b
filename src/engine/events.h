#pragma once

#include "engine/device_record.h"
#include "engine/outcomes.h"

#include <QList>
#include <QObject>
#include <QString>

namespace engine {

// Everything the engine reports, in the order it happens, on the engine's thread. A front end
// turns these into what its user sees; the engine has already written the log lines.
//
// A slot may call back into the engine. It should not run a nested event loop (a modal
// dialog): show such a thing after the slot has returned.
class Events : public QObject {
    Q_OBJECT
signals:
    // Discovery
    void devicesCleared();
    // The events between these come from datagrams taken in together; a front end may hold
    // its updates back until the batch ends.
    void batchBegins();
    void batchEnds();
    void deviceAdded(engine::DeviceId id);
    void deviceChanged(engine::DeviceId id);
    void readsProgressed(int done, int total);
    void scanFinished(engine::ScanSummary summary);
    // The reads are over; the endpoint is closed after the grace period unless a scan
    // period still runs.
    void readsFinished();

    void statusChanged(engine::Status status);
    void failed(engine::Failure failure);

    // Address change
    void changeStarted();
    // A request of the change is about to leave: the operation is busy.
    void changeSending();
    // answerState() or lastChangedMac() changed.
    void changeStateChanged();
    // The device confirmed a value; the value as the list now shows it.
    void changeValueConfirmed(engine::Field field, const QString& value);
    // No answer came to a request of the change in time; the change is over.
    void changeTimedOut();
    // The change ended (or was refused) with these values not sent, since they are no
    // valid addresses.
    void valuesNotSent(const QList<engine::Field>& fields);
    // The change is complete and the device needs a restart for it to take effect; answer
    // with DeviceEngine::answerRestartOffer().
    void restartOffered(bool dhcpTicked);

    // An operation has ended and the endpoint was closed.
    void endpointClosed(engine::CloseResult result);
};

} // namespace engine
