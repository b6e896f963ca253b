#pragma once

#include <QString>

#include <vector>

namespace bench {

// What a scan answer of one generated device says.
struct GeneratedAnswer {
    QString mac;
    QString ip;
    // A full answer carries netmask, gateway and DHCP state; a short one needs them read.
    bool full = true;
    int typeCode = 0;
    QString revision;
};

// The devices of torvane-sim --generate: MAC 02-54-56 and the device number, addresses
// from 127.0.1.1 leaving out .0 and .255, layouts full, short, full, short.
std::vector<GeneratedAnswer> generatedAnswers(int devices);

} // namespace bench
