#pragma once

#include "duration_stats.h"

namespace bench {

// The device list's own work for a burst of scan answers, without sockets, drawing or the rest
// of the main window: each answer finds or adds its line and fills its cells the way the
// intake does, in batches of 64 with events processed after each, with a view attached to the
// list.
struct ListWorkSettings {
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
