#include "platform/version_record.h"

#include "build_version.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace platform;

namespace {

VersionRecord germanRecord() {
    VersionRecord record;
    record.translations.append({0x0407, 0x04E4});
    record.translations.append({0x0409, 0x04B0});
    record.strings.insert("\\StringFileInfo\\040704e4\\ProductName", "Produkt");
    record.strings.insert("\\StringFileInfo\\040904b0\\ProductName", "Product");
    record.strings.insert("\\StringFileInfo\\040704e4\\ProductVersion",
                          QStringLiteral("2.1.0") + QChar(u'\0') + "junk");
    record.strings.insert("\\StringFileInfo\\040704e4\\LegalCopyright", "Zeile 1\r\nZeile 2");
    return record;
}

TEST(ProgramVersionRecord, CarriesTheProductAndTheBuildVersion) {
    EXPECT_EQ(GetVersionInfoValue(programVersionRecord(), "ProductName"), "TORVANE Scan");
    EXPECT_EQ(GetProductVersionString(), TORVANE_PRODUCT_VERSION);
    EXPECT_TRUE(
        QRegularExpression("^\\d+\\.\\d+\\.\\d+$").match(GetProductVersionString()).hasMatch());
    EXPECT_EQ(GetProductInfoString(), "TORVANE Scan V" + GetProductVersionString());
    EXPECT_EQ(GetLegalNoticeString().split(u'\n'),
              QStringList({"Copyright (c) 2026 Kestrelwald GmbH", "All rights reserved."}));
    EXPECT_TRUE(GetTrademarksString().contains("TORVANE"));
    EXPECT_FALSE(GetTrademarksString().contains("not available"));
}

TEST(VersionInfoValue, ReadsTheBlockOfTheFirstTranslation) {
    const VersionRecord record = germanRecord();
    EXPECT_EQ(GetVersionInfoValue(record, "ProductName"), "Produkt");
    EXPECT_EQ(GetVersionInfoValue(record, "productname"), "Produkt");
    EXPECT_EQ(GetVersionInfoValue(record, "ProductVersion"), "2.1.0"); // up to the zero
    EXPECT_EQ(GetVersionInfoValue(record, "LegalTrademarks"), " LegalTrademarks not available");
    EXPECT_EQ(GetProductInfoString(&record), "Produkt V2.1.0");
    EXPECT_EQ(GetLegalNoticeString(&record), "Zeile 1\r\nZeile 2");
    EXPECT_EQ(GetTrademarksString(&record), " LegalTrademarks not available");
}

TEST(VersionInfoValue, ARecordWithoutTranslationTableRaisesTheSystemError) {
    VersionRecord record = germanRecord();
    record.translations.clear();
    try {
        GetVersionInfoValue(record, "ProductName");
        FAIL() << "no error raised";
    } catch (const VersionInfoError& error) {
        EXPECT_EQ(error.code(), 1813);
        EXPECT_TRUE(QString::fromStdString(error.what()).startsWith("System Error.  Code: 1813."));
    }
    EXPECT_THROW(GetProductVersionString(&record), VersionInfoError);
}

TEST(VersionInfoValue, AProgramWithoutRecordHasEmptyTexts) {
    EXPECT_TRUE(GetProductVersionString(nullptr).isEmpty());
    EXPECT_TRUE(GetProductInfoString(nullptr).isEmpty());
    EXPECT_TRUE(GetLegalNoticeString(nullptr).isEmpty());
    EXPECT_TRUE(GetTrademarksString(nullptr).isEmpty());
}

} // namespace
