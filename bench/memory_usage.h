#pragma once

namespace bench {

// The process's peak resident set so far (getrusage), in KiB.
long peakResidentKiB();
// The process's resident set now (/proc/self/status VmRSS), in KiB; -1 when unknown.
long currentResidentKiB();

} // namespace bench
