#include "cli/plan_columns.h"

#include "report/device_list_writer.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace cli {

const std::array<QString, planColumnCount>& planColumnNames() {
    static const std::array<QString, planColumnCount> names{
        QStringLiteral("mac"), QStringLiteral("ip"), QStringLiteral("netmask"),
        QStringLiteral("gateway"), QStringLiteral("dhcp")};
    return names;
}

int editDistance(const QString& a, const QString& b) {
    std::vector<int> previous(std::size_t(b.size()) + 1);
    std::iota(previous.begin(), previous.end(), 0);
    std::vector<int> current(previous.size());
    for (qsizetype i = 0; i < a.size(); ++i) {
        current[0] = int(i) + 1;
        for (qsizetype j = 0; j < b.size(); ++j) {
            const int substitution = previous[std::size_t(j)] + (a[i] == b[j] ? 0 : 1);
            current[std::size_t(j) + 1] = std::min(
                {substitution, previous[std::size_t(j) + 1] + 1, current[std::size_t(j)] + 1});
        }
        std::swap(previous, current);
    }
    return previous.back();
}

HeaderName classifyHeader(const QString& name) {
    const QString lower = name.toLower();
    const auto& names = planColumnNames();
    for (int c = 0; c < planColumnCount; ++c) {
        if (names[c] == lower)
            return {HeaderName::Kind::Plan, PlanColumn(c)};
    }
    if (report::deviceListFields().contains(lower))
        return {HeaderName::Kind::Export, colMac};
    // Two edits make nearly any two-letter word from "ip"; the short names allow one.
    for (int c = 0; c < planColumnCount; ++c) {
        const int allowed = std::min<int>(2, int(names[c].size()) / 2);
        if (!lower.isEmpty() && editDistance(lower, names[c]) <= allowed)
            return {HeaderName::Kind::LikelyTypo, PlanColumn(c)};
    }
    return {HeaderName::Kind::Foreign, colMac};
}

} // namespace cli
