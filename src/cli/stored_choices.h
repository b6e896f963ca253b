#pragma once

#include <QString>
#include <QStringList>

namespace platform {
class RegistryStore;
}

namespace cli {

// The adapter the window would work through: the stored "SelectedAdapterIp" when it is
// one of the local addresses, else the first of them; empty when the host has none.
QString windowAdapter(const platform::RegistryStore& store, const QStringList& localAddresses);
// The stored "SelectedAdapterIp" as it stands; empty when there is none.
QString storedAdapter(const platform::RegistryStore& store);

// The gateway description file the window would read: the path chosen on its settings page
// when that names a file, else gdf/Pellmar.gdf in programDir (which ends in "/").
QString windowDescriptionFile(const platform::RegistryStore& store, const QString& programDir);

} // namespace cli
