#pragma once

#include <QString>
#include <QTemporaryDir>

namespace bench {

// A program folder of the benchmark's own: the shipped lang, gdf and help folders of the
// build, a config.ini with the benchmark's timer intervals and a registry file that already
// names the description file and the adapter, so that no first-start question comes.
class ProgramFolder {
public:
    struct Timers {
        int scanMs = 0;
        int getParamsMs = 0;
    };

    ProgramFolder(const QString& shippedDir, const Timers& timers, const QString& adapterIp);

    bool isValid() const { return folder.isValid(); }
    // Ends in "/".
    QString path() const;
    QString registryPath() const;
    QString file(const QString& name) const;

private:
    QTemporaryDir folder;
};

} // namespace bench
