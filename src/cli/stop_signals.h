#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace cli {

// SIGINT and SIGTERM, caught while this lives, as a request to stop once the work in hand is
// done: requested() turns true and stopRequested() is emitted from the event loop. The
// signals' earlier handling is restored on destruction.
class StopSignals : public QObject {
    Q_OBJECT
public:
    StopSignals();
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool requested() const;

signals:
    void stopRequested();

private:
    std::unique_ptr<QSocketNotifier> notifier;
};

} // namespace cli
