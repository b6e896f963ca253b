#include "cli/stored_choices.h"

#include "platform/registry.h"

#include <QFileInfo>

namespace cli {

namespace {

// A value of another type than text counts as none, as it does for the window.
QString storedText(const platform::RegistryStore& store, const QString& path, const QString& name) {
    const auto value = store.value(path, name);
    return value && value->type == platform::RegType::String ? value->text : QString();
}

} // namespace

QString storedAdapter(const platform::RegistryStore& store) {
    return storedText(store, QStringLiteral("\\software\\Kestrelwald\\TorvaneScan"),
                      QStringLiteral("SelectedAdapterIp"));
}

QString windowAdapter(const platform::RegistryStore& store, const QStringList& localAddresses) {
    const QString stored = storedAdapter(store);
    if (!stored.isEmpty() && localAddresses.contains(stored))
        return stored;
    return localAddresses.value(0);
}

QString windowDescriptionFile(const platform::RegistryStore& store, const QString& programDir) {
    const QString chosen = storedText(
        store, QStringLiteral("\\SOFTWARE\\Kestrelwald\\TorvaneScan\\TGWConfigFileSheetCaption"),
        QStringLiteral("EditTGWCurrentFilePath"));
    if (!chosen.isEmpty() && QFileInfo(chosen).isFile())
        return chosen;
    return programDir + QStringLiteral("gdf/Pellmar.gdf");
}

} // namespace cli
