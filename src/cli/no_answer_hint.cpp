#include "cli/no_answer_hint.h"

#include "cli/workbench.h"
#include "engine/device_engine.h"
#include "net/firewall_probe.h"

namespace cli {

namespace {

constexpr int kProbeWaitMs = 3000;

} // namespace

int reportNoAnswer(Workbench& bench) {
    net::FirewallProbe probe;
    QString dropPoint;
    QObject::connect(&probe, &net::FirewallProbe::concluded,
                     [&dropPoint](const QString& where) { dropPoint = where; });
    probe.start(net::interfaceHolding(bench.engine.interfaces(), bench.engine.adapter()));
    probe.waitForConclusion(kProbeWaitMs);
    // The window's texts of the same hint, in English.
    if (dropPoint.isEmpty())
        bench.err << "torvane-cli: No device answered. Check the adapter, the cable, and whether "
                     "a firewall drops UDP port 55808 (Help: Firewall).\n";
    else
        bench.err << "torvane-cli: No device answered. The firewall of this PC drops UDP port "
                     "55808 (Help: Firewall); nftables "
                  << dropPoint << '\n';
    return exitDeviceFailed;
}

} // namespace cli
