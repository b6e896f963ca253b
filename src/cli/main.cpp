#include "cli/command_line.h"
#include "cli/run.h"
#include "platform/data_folder.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const cli::ParsedCommandLine parsed = cli::parseCommandLine(arguments);
    if (parsed.help) {
        out << cli::helpText();
        return cli::exitDone;
    }
    if (parsed.version) {
        out << cli::versionText();
        return cli::exitDone;
    }
    if (!parsed.invocation) {
        err << "torvane-cli: " << parsed.error << "\nTry 'torvane-cli --help'.\n";
        return cli::exitUsage;
    }
    // Installed, the shipped files lie in ../share/torvanescan; in the build tree beside it.
    return cli::run(*parsed.invocation,
                    platform::dataFolder(QCoreApplication::applicationDirPath()), out, err);
}
