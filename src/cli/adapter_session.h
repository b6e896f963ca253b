#pragma once

#include "cli/engine_runner.h"
#include "cli/stderr_log.h"
#include "engine/device_engine.h"
#include "engine/qt_clock.h"
#include "engine/udp_endpoint_adapter.h"
#include "net/local_interfaces.h"

#include <QString>

namespace cli {

// A device engine working through one local address, with what it needs to run.
struct AdapterSession {
    AdapterSession(const QString& adapter, const net::tNetworkInterfaceList& interfaces,
                   const engine::Intervals& intervals, int timeoutMs, QTextStream& err,
                   bool verbose)
        : log(err, verbose), engine(endpoint, clock, log), runner(engine, timeoutMs) {
        engine.setInterfaces(interfaces);
        engine.setAdapter(adapter);
        engine.setIntervals(intervals);
    }

    engine::UdpEndpointAdapter endpoint;
    engine::QtClock clock;
    StderrLog log;
    engine::DeviceEngine engine;
    EngineRunner runner;
};

} // namespace cli
