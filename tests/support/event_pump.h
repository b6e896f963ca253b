#pragma once

#include <functional>

namespace testsupport {

// Processes events until done() holds; gives up after a generous safety limit so that a
// broken test fails instead of hanging. Returns done().
bool pumpUntil(const std::function<bool()>& done, int safetyLimitMs = 10000);

// Processes pending events the given number of times, as the program's handlers do.
void pumpRounds(int rounds);

} // namespace testsupport
