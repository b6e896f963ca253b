#pragma once

#include "support/cli_process.h"
#include "support/test_network.h"

#include <QByteArray>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// The simulator's devices on loopback (tier 1) and torvane-cli beside them, with the
// adapter the tests' own 127.0.0.1 and a short scan period.
class CliFixture : public ::testing::Test {
protected:
    void start(const std::string& deviceFile) {
        network = testsupport::TestNetwork::tier1();
        simulator = network->devices().startSimulator(deviceFile);
    }

    testsupport::CliRun cli(const QStringList& arguments) {
        seen = simulator->traffic().size();
        return testsupport::runCli(QStringList{"--scan-ms", "500"} + arguments);
    }

    // The datagrams the simulator received since the last cli() began.
    std::vector<testsupport::TrafficRecord> received() const {
        std::vector<testsupport::TrafficRecord> records;
        const auto all = simulator->traffic();
        for (std::size_t i = seen; i < all.size(); ++i)
            if (!all[i].sent)
                records.push_back(all[i]);
        return records;
    }

    // Of those, the change requests (IP, netmask, gateway, DHCP).
    std::vector<testsupport::TrafficRecord> changeRequests() const {
        std::vector<testsupport::TrafficRecord> changes;
        for (const auto& record : received()) {
            const quint8 code = record.bytes.size() > 1 ? quint8(record.bytes[1]) : 0;
            if (code == 0x02 || code == 0x03 || code == 0x06 || code == 0x08 || code == 0x09 ||
                code == 0x0A || code == 0x0C)
                changes.push_back(record);
        }
        return changes;
    }

    static QStringList hexOf(const std::vector<testsupport::TrafficRecord>& records) {
        QStringList frames;
        for (const auto& record : records)
            frames.append(QString::fromLatin1(record.bytes.toHex(' ').toUpper()));
        return frames;
    }

    std::unique_ptr<testsupport::TestNetwork> network;
    std::unique_ptr<testsupport::SimulatorProcess> simulator;
    std::size_t seen = 0;
};
