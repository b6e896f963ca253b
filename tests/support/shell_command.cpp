#include "support/shell_command.h"

#include <cstdlib>
#include <sys/wait.h>

namespace testsupport {

bool runShell(const std::string& commandLine) {
    const int status = std::system(commandLine.c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace testsupport
