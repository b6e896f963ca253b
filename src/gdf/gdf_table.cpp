#include "gdf/gdf_table.h"

#include <algorithm>

namespace gdf {

namespace {

const QString kNamesSection = QStringLiteral("names");

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

} // namespace

QString GdfKeyError::message() const {
    return QStringLiteral("Gateway description file \"%1\", line %2: the key \"%3\" of section "
                          "[names] is not a hexadecimal device type code.")
        .arg(fileName, QString::number(line), key);
}

QString gdfVersion(const platform::IniFile& cfg) {
    return cfg.value(QStringLiteral("General"), QStringLiteral("Version"))
        .value_or(QStringLiteral("1"));
}

std::optional<qint64> deviceTypeCodeOfKey(const QString& key) {
    const QStringView digits = QStringView(key).mid(2);
    if (key.size() <= 2 || !std::all_of(digits.begin(), digits.end(), isHexDigit))
        return std::nullopt;
    // Leading zeros are allowed in any number; what is left must fit 32 bits.
    qsizetype first = 0;
    while (first < digits.size() - 1 && digits[first] == u'0')
        ++first;
    if (digits.size() - first > 8)
        return std::nullopt;
    return digits.mid(first).toLongLong(nullptr, 16);
}

std::optional<GdfKeyError> DeviceTypeTable::readGDF(const platform::IniFile& cfg,
                                                    const QString& fileName) {
    keyNames.clear();
    names.clear();
    codes.clear();
    const QList<platform::IniEntry> entries = cfg.entries(kNamesSection);
    for (const platform::IniEntry& entry : entries)
        keyNames.append(entry.key);
    for (const platform::IniEntry& entry : entries) {
        const std::optional<qint64> code = deviceTypeCodeOfKey(entry.key);
        if (!code) {
            // A line without "=" has no key; its text is what the user has to look for.
            return GdfKeyError{fileName, entry.line, entry.hasEquals ? entry.key : entry.value};
        }
        names.append(entry.value);
        codes.append(*code);
    }
    return std::nullopt;
}

std::optional<QString> DeviceTypeTable::deviceTypeName(qint64 code) const {
    const qsizetype index = codes.indexOf(code);
    if (index < 0)
        return std::nullopt;
    return names.at(index);
}

} // namespace gdf
