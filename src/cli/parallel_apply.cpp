#include "cli/parallel_apply.h"

#include "cli/progress_line.h"

namespace cli {

void applyInParallel(
    const std::vector<RowToChange>& rows, EngineRunner& runner, ProgressLine& progress,
    const std::function<void(std::size_t row, const std::optional<ChangeResult>& result)>& ended) {
    if (rows.empty())
        return;
    std::vector<engine::ChangeRequest> requests;
    requests.reserve(rows.size());
    for (const RowToChange& row : rows)
        requests.push_back(row.request);
    std::size_t endedCount = 0;
    const auto showProgress = [&] {
        progress.show(QStringLiteral("%1 of %2 devices changed").arg(endedCount).arg(rows.size()));
    };
    showProgress();
    runner.changeMany(requests, [&](std::size_t change, const std::optional<ChangeResult>& result) {
        ++endedCount;
        // The row is written on a line of its own, then the count comes back.
        progress.clear();
        ended(rows[change].row, result);
        showProgress();
    });
    progress.clear();
}

} // namespace cli
