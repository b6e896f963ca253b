#include "cli/apply_order.h"

#include <QHash>

namespace cli {

std::vector<std::size_t>
executionOrder(const std::vector<PlanRow>& rows,
               const std::function<std::optional<QString>(const QString& mac)>& currentIp) {
    std::vector<std::optional<QString>> current;
    current.reserve(rows.size());
    // How many devices still to be changed answered with each address.
    QHash<QString, int> holders;
    for (const PlanRow& row : rows) {
        current.push_back(currentIp(row.mac));
        if (current.back())
            ++holders[*current.back()];
    }
    const auto waits = [&](std::size_t row) {
        if (!rows[row].ip)
            return false;
        const int others = holders.value(*rows[row].ip) - (current[row] == rows[row].ip ? 1 : 0);
        return others > 0;
    };

    std::vector<std::size_t> pending(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        pending[i] = i;
    std::vector<std::size_t> order;
    order.reserve(rows.size());
    while (!pending.empty()) {
        auto next = pending.begin();
        while (next != pending.end() && waits(*next))
            ++next;
        if (next == pending.end())
            next = pending.begin();
        order.push_back(*next);
        if (current[*next])
            --holders[*current[*next]];
        pending.erase(next);
    }
    return order;
}

} // namespace cli
