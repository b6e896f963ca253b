#pragma once

#include "platform/ini_file.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace gdf {

// A key of section "names" that does not name a device type code.
struct GdfKeyError {
    QString fileName;
    int line = 0; // 1-based line of the file; 0 when the reader could not tell
    QString key;

    QString message() const;
};

// The version of a gateway description file: value "Version" of section "General", "1"
// when the file does not carry one.
QString gdfVersion(const platform::IniFile& cfg);

// The device type table of the gateway description file: device type codes and their
// display names, in file order.
class DeviceTypeTable {
public:
    // Replaces the table by the entries of section "names". The first two characters of
    // a key are skipped (usually "0x"); the rest is the code in hexadecimal. Reading stops
    // at a key whose rest is not a hexadecimal number: the entries before it stay and the
    // error names fileName, the line and the key.
    std::optional<GdfKeyError> readGDF(const platform::IniFile& cfg, const QString& fileName);

    // The name of the first entry with that code, in file order; a name may be empty.
    std::optional<QString> deviceTypeName(qint64 code) const;

    const QStringList& gwerte() const { return keyNames; }
    const QStringList& geraete() const { return names; }
    const QList<qint64>& igeraete() const { return codes; }

private:
    QStringList keyNames; // every key of section "names", in file order
    QStringList names;    // entry i belongs to codes[i]
    QList<qint64> codes;
};

// The device type code of a key of section "names", or nothing when the key from its
// third character on is not a hexadecimal number of at most 32 bits.
std::optional<qint64> deviceTypeCodeOfKey(const QString& key);

} // namespace gdf
