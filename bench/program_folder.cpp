#include "program_folder.h"

#include "platform/registry.h"

#include <QDir>
#include <QFile>

namespace bench {

ProgramFolder::ProgramFolder(const QString& shippedDir, const Timers& timers,
                             const QString& adapterIp) {
    if (!folder.isValid())
        return;
    for (const char* shipped : {"gdf", "help", "lang"})
        QFile::link(shippedDir + QLatin1String(shipped), path() + QLatin1String(shipped));
    QDir().mkpath(path() + QStringLiteral("config"));
    QFile config(path() + QStringLiteral("config/config.ini"));
    if (config.open(QIODevice::WriteOnly | QIODevice::Text)) {
        // TimerSetParam is not used by a scan; it keeps its shipped value.
        config.write(QStringLiteral("[TimerIntervals]\nTimerScan=%1\nTimerSetParam=200\n"
                                    "TimerGetParams=%2\n")
                         .arg(timers.scanMs)
                         .arg(timers.getParamsMs)
                         .toUtf8());
    }
    platform::RegistryStore store(registryPath());
    store.load();
    platform::Registry registry(store);
    registry.openKey(QStringLiteral("\\SOFTWARE\\Kestrelwald\\TorvaneScan\\"
                                    "TGWConfigFileSheetCaption"),
                     true);
    registry.writeString(QStringLiteral("EditTGWCurrentFilePath"),
                         path() + QStringLiteral("gdf/Pellmar.gdf"));
    registry.openKey(QStringLiteral("\\SOFTWARE\\Kestrelwald\\TorvaneScan"), true);
    registry.writeString(QStringLiteral("SelectedAdapterIp"), adapterIp);
}

QString ProgramFolder::path() const {
    return folder.path() + QLatin1Char('/');
}

QString ProgramFolder::registryPath() const {
    return file(QStringLiteral("registry.txt"));
}

QString ProgramFolder::file(const QString& name) const {
    return path() + name;
}

} // namespace bench
