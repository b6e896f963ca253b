#pragma once

namespace app {

// Creates the five windows in their order and runs the event loop.
int runApplication(int argc, char** argv);

} // namespace app
