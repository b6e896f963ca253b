#pragma once

#include "cli/apply_report.h"
#include "cli/engine_runner.h"

namespace cli {

// Writes into each change how far its write came, as the device confirmed it.
void takeConfirmed(ValueChanges& changes, const ChangeResult& result);
// Every value written was confirmed temporarily and permanently (or switched).
bool allConfirmed(const ValueChanges& changes);

} // namespace cli
