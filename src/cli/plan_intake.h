#pragma once

#include "cli/plan_file.h"

#include <QTextStream>

#include <optional>

namespace cli {

// The first faults of a plan are printed; a file that is not a plan at all would give one
// for each of its lines.
inline constexpr int kFaultsShown = 10;

// Reads and checks the plan at path ("-": standard input) and says on err what is wrong
// with it, or which of its columns are left alone. None when it is not to be carried out.
std::optional<Plan> loadPlan(const QString& path, QTextStream& err);

} // namespace cli
