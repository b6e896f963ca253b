#include "udp_receive_errors.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace bench {

long udpReceiveBufferErrors() {
    // Two "Udp:" lines: the field names, then their values.
    std::ifstream snmp("/proc/net/snmp");
    std::string line;
    std::vector<std::string> names;
    while (std::getline(snmp, line)) {
        if (line.rfind("Udp:", 0) != 0)
            continue;
        std::istringstream fields(line.substr(4));
        std::vector<std::string> words;
        for (std::string word; fields >> word;)
            words.push_back(word);
        if (names.empty()) {
            names = words;
            continue;
        }
        for (std::size_t i = 0; i < names.size() && i < words.size(); ++i) {
            if (names[i] == "RcvbufErrors")
                return std::stol(words[i]);
        }
        return -1;
    }
    return -1;
}

} // namespace bench
