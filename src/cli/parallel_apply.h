#pragma once

#include "cli/engine_runner.h"
#include "engine/change_plan.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace cli {

class ProgressLine;

// A plan row whose device is to be changed, with the change to send.
struct RowToChange {
    std::size_t row = 0;
    engine::ChangeRequest request;
};

// Changes the devices of many rows at once, each device's requests still one after the
// other; rows whose devices share an address go one after the other, in the order given.
// ended hears of each row as soon as its change has ended; none for a row that an interrupt
// kept from beginning.
void applyInParallel(
    const std::vector<RowToChange>& rows, EngineRunner& runner, ProgressLine& progress,
    const std::function<void(std::size_t row, const std::optional<ChangeResult>& result)>& ended);

} // namespace cli
