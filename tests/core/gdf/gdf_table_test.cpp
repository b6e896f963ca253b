#include "gdf/gdf_table.h"

#include <QFile>
#include <QStringEncoder>

#include <gtest/gtest.h>

using gdf::DeviceTypeTable;
using platform::IniFile;

namespace {

IniFile iniOf(const char* text) {
    return IniFile::fromText(QString::fromUtf8(text));
}

DeviceTypeTable tableOf(const IniFile& cfg) {
    DeviceTypeTable table;
    EXPECT_FALSE(table.readGDF(cfg, QStringLiteral("test.gdf")).has_value());
    return table;
}

} // namespace

TEST(DeviceTypeTable, LooksUpCodesOfTheNamesSection) {
    const DeviceTypeTable table = tableOf(iniOf("[names]\n0x01=A\n0x1B=B\n"));
    EXPECT_EQ(table.deviceTypeName(1), QStringLiteral("A"));
    EXPECT_EQ(table.deviceTypeName(27), QStringLiteral("B"));
    EXPECT_FALSE(table.deviceTypeName(2).has_value());
    EXPECT_EQ(table.gwerte(), QStringList({"0x01", "0x1B"}));
    EXPECT_EQ(table.geraete(), QStringList({"A", "B"}));
    EXPECT_EQ(table.igeraete(), QList<qint64>({1, 27}));
}

TEST(DeviceTypeTable, KeyFormsAndDuplicates) {
    const DeviceTypeTable table = tableOf(iniOf("[names]\n"
                                                "0x05=C\n"
                                                "0x0005=D\n"
                                                "0x001B=Leading zeros\n"
                                                "ID2a=Any two characters first\n"
                                                "0x00000000000000FF=Many zeros\n"
                                                "0xFFFFFFFF=Widest\n"
                                                "0x30=\n"));
    EXPECT_EQ(table.deviceTypeName(5), QStringLiteral("C"));
    EXPECT_EQ(table.deviceTypeName(27), QStringLiteral("Leading zeros"));
    EXPECT_EQ(table.deviceTypeName(42), QStringLiteral("Any two characters first"));
    EXPECT_EQ(table.deviceTypeName(255), QStringLiteral("Many zeros"));
    EXPECT_EQ(table.deviceTypeName(0xFFFFFFFFLL), QStringLiteral("Widest"));
    // An empty name is a name; the list shows it as "not defined".
    ASSERT_TRUE(table.deviceTypeName(0x30).has_value());
    EXPECT_TRUE(table.deviceTypeName(0x30)->isEmpty());
    EXPECT_EQ(table.geraete().size(), 7);
}

TEST(DeviceTypeTable, SectionAndKeyNamesIgnoreCaseAndCommentsAreSkipped) {
    const DeviceTypeTable table = tableOf(iniOf("; maker's file\n"
                                                "[NAMES]\n"
                                                "; 0x02=commented out\n"
                                                "0xab=lower case\n"
                                                "  0x0C  =  trimmed name  \n"
                                                "[other]\n"
                                                "0x03=not a device type\n"));
    EXPECT_EQ(table.deviceTypeName(0xAB), QStringLiteral("lower case"));
    EXPECT_EQ(table.deviceTypeName(0x0C), QStringLiteral("trimmed name"));
    EXPECT_FALSE(table.deviceTypeName(2).has_value());
    EXPECT_FALSE(table.deviceTypeName(3).has_value());
    EXPECT_EQ(table.geraete().size(), 2);
}

TEST(DeviceTypeTable, MissingOrEmptySectionGivesEmptyTable) {
    EXPECT_TRUE(tableOf(IniFile()).geraete().isEmpty());
    EXPECT_TRUE(tableOf(iniOf("[names]\n[General]\nVersion=3\n")).geraete().isEmpty());
    EXPECT_FALSE(tableOf(iniOf("[General]\n")).deviceTypeName(0).has_value());
}

TEST(DeviceTypeTable, ReReadingReplacesTheTable) {
    DeviceTypeTable table;
    ASSERT_FALSE(table.readGDF(iniOf("[names]\n0x01=A\n0x02=B\n0x03=C\n"), "a.gdf"));
    ASSERT_FALSE(table.readGDF(iniOf("[names]\n0x02=New B\n"), "b.gdf"));
    EXPECT_FALSE(table.deviceTypeName(1).has_value());
    EXPECT_EQ(table.deviceTypeName(2), QStringLiteral("New B"));
    EXPECT_FALSE(table.deviceTypeName(3).has_value());
    EXPECT_EQ(table.igeraete().size(), 1);
    EXPECT_EQ(table.gwerte().size(), 1);
}

TEST(DeviceTypeTable, MoreThan129EntriesAreKept) {
    QString text = QStringLiteral("[names]\n");
    for (int code = 0; code < 300; ++code)
        text += QStringLiteral("0x%1=Type %2\n").arg(code, 0, 16).arg(code);
    const DeviceTypeTable table = tableOf(IniFile::fromText(text));
    EXPECT_EQ(table.geraete().size(), 300);
    EXPECT_EQ(table.deviceTypeName(299), QStringLiteral("Type 299"));
}

TEST(DeviceTypeTable, BadKeyStopsReadingAndNamesFileLineAndKey) {
    DeviceTypeTable table;
    const auto error = table.readGDF(iniOf("[General]\n"
                                           "Version=2\n"
                                           "[names]\n"
                                           "0x01=A\n"
                                           "\n"
                                           "0xZZ=Bad\n"
                                           "0x02=After\n"),
                                     QStringLiteral("/opt/torvane/gdf/Pellmar.gdf"));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->line, 6);
    EXPECT_EQ(error->key, QStringLiteral("0xZZ"));
    EXPECT_EQ(error->message(),
              QStringLiteral("Gateway description file \"/opt/torvane/gdf/Pellmar.gdf\", line 6: "
                             "the key \"0xZZ\" of section [names] is not a hexadecimal device "
                             "type code."));
    EXPECT_EQ(table.deviceTypeName(1), QStringLiteral("A"));
    EXPECT_FALSE(table.deviceTypeName(2).has_value());
    EXPECT_EQ(table.geraete(), QStringList({"A"}));
    EXPECT_EQ(table.igeraete().size(), 1);
}

TEST(DeviceTypeTable, KeysThatAreNoCodes) {
    const char* badKeys[] = {"0x", "x", "0x-1", "0x1G", "0x 1", "0x123456789", "0x+1", "0x$1"};
    for (const char* key : badKeys) {
        SCOPED_TRACE(key);
        DeviceTypeTable table;
        const auto error = table.readGDF(
            IniFile::fromText(QStringLiteral("[names]\n%1=Name\n").arg(QLatin1String(key))),
            QStringLiteral("f.gdf"));
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->key, QLatin1String(key));
        EXPECT_TRUE(table.geraete().isEmpty());
    }
}

TEST(DeviceTypeTable, LineWithoutEqualsSignIsNamedByItsText) {
    DeviceTypeTable table;
    const auto error =
        table.readGDF(iniOf("[names]\n0x01=A\nTORVANE Gateway\n"), QStringLiteral("f.gdf"));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->line, 3);
    EXPECT_EQ(error->key, QStringLiteral("TORVANE Gateway"));
    EXPECT_EQ(table.geraete().size(), 1);
}

TEST(GdfVersion, ValueOfGeneralOrOne) {
    EXPECT_EQ(gdf::gdfVersion(iniOf("[General]\nVersion=2.4\n")), QStringLiteral("2.4"));
    EXPECT_EQ(gdf::gdfVersion(iniOf("[general]\nVERSION = 7\n")), QStringLiteral("7"));
    EXPECT_EQ(gdf::gdfVersion(iniOf("[names]\n0x01=A\n")), QStringLiteral("1"));
    EXPECT_EQ(gdf::gdfVersion(iniOf("[General]\nOther=3\n")), QStringLiteral("1"));
    EXPECT_EQ(gdf::gdfVersion(IniFile()), QStringLiteral("1"));
}

TEST(GdfEncodings, ByteOrderMarksSelectTheEncoding) {
    const QString text = QStringLiteral("[General]\r\nVersion=3\r\n[names]\r\n0x0101=Gerät Ä\r\n");
    QStringEncoder utf8(QStringConverter::Utf8, QStringConverter::Flag::WriteBom);
    QStringEncoder utf16le(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    QStringEncoder utf16be(QStringConverter::Utf16BE, QStringConverter::Flag::WriteBom);
    const QByteArray encodings[] = {utf8.encode(text), utf16le.encode(text), utf16be.encode(text)};
    for (const QByteArray& bytes : encodings) {
        const IniFile cfg = IniFile::fromBytes(bytes);
        EXPECT_EQ(gdf::gdfVersion(cfg), QStringLiteral("3"));
        EXPECT_EQ(tableOf(cfg).deviceTypeName(0x101), QStringLiteral("Gerät Ä"));
    }
    // Without a mark the bytes are the 8-bit code page: 0xE4 is "ä".
    const IniFile eightBit = IniFile::fromBytes(QByteArray("[names]\n0x01=Ger\xE4t\n"));
    EXPECT_EQ(tableOf(eightBit).deviceTypeName(1), QStringLiteral("Gerät"));
}

TEST(ShippedGdf, NamesTheProductLineButNotTheDemoCode) {
    const QString path = QStringLiteral(TORVANE_SOURCE_DIR "/data/gdf/Pellmar.gdf");
    ASSERT_TRUE(QFile::exists(path));
    const IniFile cfg = IniFile::fromFile(path);
    DeviceTypeTable table;
    ASSERT_FALSE(table.readGDF(cfg, path).has_value());
    EXPECT_NE(gdf::gdfVersion(cfg), QStringLiteral("1"));
    for (int code = 0x0101; code <= 0x0110; ++code) {
        ASSERT_TRUE(table.deviceTypeName(code).has_value()) << code;
        EXPECT_TRUE(table.deviceTypeName(code)->startsWith(QStringLiteral("TORVANE "))) << code;
    }
    EXPECT_FALSE(table.deviceTypeName(0x0777).has_value());
}
