// Any file as an ini file, and through the readers that take
// translation files, the gateway description file and config.ini apart.
#include "gdf/gdf_table.h"
#include "platform/ini_file.h"
#include "platform/timer_intervals.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// A broken promise ends the run, naming the promise.
#define REQUIRE(condition)                                                                         \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "broken: %s\n", #condition);                                      \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

void readEverything(const platform::IniFile& file) {
    for (const char* section :
         {"names", "General", "TimerIntervals", "translations", "userLangs"}) {
        const QString name = QLatin1String(section);
        const QList<platform::IniEntry> entries = file.entries(name);
        const QStringList keys = file.keys(name);
        REQUIRE(keys.size() == entries.size());
        for (const platform::IniEntry& entry : entries) {
            REQUIRE(entry.line > 0);
            if (entry.hasEquals && !entry.key.isEmpty())
                REQUIRE(file.value(name, entry.key).has_value());
        }
        REQUIRE(entries.isEmpty() || file.hasSection(name));
    }
    gdf::DeviceTypeTable table;
    table.readGDF(file, QStringLiteral("fuzz.gdf"));
    REQUIRE(table.geraete().size() == table.igeraete().size());
    for (const qint64 code : table.igeraete())
        REQUIRE(table.deviceTypeName(code).has_value());
    gdf::gdfVersion(file);
    platform::timerIntervalsFrom(file);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    readEverything(platform::IniFile::fromBytes(bytes));
    const QString firstLine = QString::fromUtf8(bytes.left(bytes.indexOf('\n')));
    platform::configInteger(firstLine);
    gdf::deviceTypeCodeOfKey(firstLine);
    return 0;
}
