#include "report/csv_text.h"

#include <gtest/gtest.h>

using namespace report;

TEST(CsvField, QuotesOnlyWhatRfc4180Requires) {
    const struct {
        QString text;
        QString field;
    } cases[] = {
        {"plain", "plain"},
        {"", ""},
        {" blanks kept ", " blanks kept "},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(csvField(c.text), c.field) << c.text.toStdString();
    EXPECT_EQ(csvRecord({"a", "b,c", ""}), "a,\"b,c\",\r\n");
}

TEST(ReadCsv, SplitsRecordsAndKeepsTheLineEachStartsOn) {
    const CsvTable table = readCsv(
        QStringLiteral("\xFEFFmac,ip\r\n\"a\",\"b,\"\"c\"\"\"\n\"multi\nline\",x\n,\nlast"));
    ASSERT_FALSE(table.error);
    ASSERT_EQ(table.records.size(), 5u);
    EXPECT_EQ(table.records[0].fields, QStringList({"mac", "ip"}));
    EXPECT_EQ(table.records[1].fields, QStringList({"a", "b,\"c\""}));
    EXPECT_EQ(table.records[1].line, 2);
    EXPECT_EQ(table.records[2].fields, QStringList({"multi\nline", "x"}));
    EXPECT_EQ(table.records[2].line, 3);
    EXPECT_EQ(table.records[3].fields, QStringList({"", ""}));
    EXPECT_EQ(table.records[3].line, 5);
    EXPECT_EQ(table.records[4].fields, QStringList({"last"}));
}

TEST(ReadCsv, WhatItWritesItReadsBack) {
    const QStringList fields{"x,y", "\"q\"", "a\r\nb", "", "plain"};
    const CsvTable table = readCsv(csvRecord(fields) + csvRecord({"2"}));
    ASSERT_FALSE(table.error);
    ASSERT_EQ(table.records.size(), 2u);
    EXPECT_EQ(table.records[0].fields, fields);
    EXPECT_EQ(table.records[1].line, 3);
}

TEST(ReadCsv, SemicolonsWhenTheFirstLineHasNoComma) {
    const CsvTable semicolons = readCsv("mac;ip\n02;\"1,2\"\n");
    EXPECT_EQ(semicolons.separator, u';');
    ASSERT_EQ(semicolons.records.size(), 2u);
    EXPECT_EQ(semicolons.records[1].fields, QStringList({"02", "1,2"}));
    EXPECT_EQ(readCsv("mac,ip;x\n").records[0].fields, QStringList({"mac", "ip;x"}));
}

TEST(ReadCsv, ReportsWhereTheTextStopsBeingCsv) {
    const struct {
        const char* text;
        int line;
        std::size_t recordsBefore;
    } cases[] = {
        {"a,b\n\"open,c\n\nd", 2, 1},
        {"a\nb\n\"x\"y,z\n", 3, 2},
    };
    for (const auto& c : cases) {
        const CsvTable table = readCsv(c.text);
        ASSERT_TRUE(table.error) << c.text;
        EXPECT_EQ(table.error->line, c.line) << c.text;
        EXPECT_EQ(table.records.size(), c.recordsBefore) << c.text;
    }
}
