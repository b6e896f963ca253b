#pragma once

#include "duration_stats.h"

namespace bench {

// The work of taking a burst of scan answers into the device list, without sockets, log,
// drawing or the rest of the main window: each answer enters the engine's device set and the
// list follows as the main window makes it follow, in batches of 64 with events processed
// after each, with a view attached to the list. For comparison, a naive list that does the
// same without any index.
struct ListWorkSettings {
    // Indexed: the program's device set and list; Naive: NaiveDeviceList.
    enum class List { Indexed, Naive };
    enum class Order { Sent, Shuffled };
    int devices = 0;
    List list = List::Indexed;
    // Sent: the order the simulator's generated devices answer in (ascending MAC);
    // Shuffled: a fixed random order, as answers from a real network come.
    Order order = Order::Sent;
};

struct ListWorkResult {
    DurationStats perAnswer;
    int lines = 0;
    long peakRssKiB = 0;
};

ListWorkResult runListWork(const ListWorkSettings& settings);

} // namespace bench
