#include "cli/apply_report.h"

#include "report/csv_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <gtest/gtest.h>

using namespace cli;

namespace {

std::vector<RowOutcome> sampleOutcomes() {
    RowOutcome done{2, "02-00-00-00-00-01", "done", {}, {}};
    done.changes[pvIp] = ValueChange{"127.0.1.1", "127.0.2.1"};
    done.changes[pvDhcp] = ValueChange{"active", "inactive"};
    RowOutcome missing{4, "02-00-00-00-00-09", "not found", {}, "did not answer the scan"};
    return {done, missing};
}

} // namespace

// The rows as apply writes them, one at a time.
QString streamed(Format format) {
    QString text;
    QTextStream out(&text);
    RowStream stream(out, format, outcomesLayout(4));
    for (const RowOutcome& row : sampleOutcomes())
        stream.add(outcomeTableCells(row), outcomeCsvFields(row), outcomeJson(row));
    stream.finish();
    return text;
}

TEST(ApplyReport, JsonNamesEachChangedValueAsOneDocumentOrOneObjectALine) {
    for (const Format format : {Format::Json, Format::Jsonl}) {
        QJsonArray rows;
        QJsonParseError error;
        if (format == Format::Json) {
            rows = QJsonDocument::fromJson(streamed(format).toUtf8(), &error).array();
            ASSERT_EQ(error.error, QJsonParseError::NoError);
        } else {
            for (const QString& line : streamed(format).split('\n', Qt::SkipEmptyParts)) {
                rows.append(QJsonDocument::fromJson(line.toUtf8(), &error).object());
                ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
            }
        }
        ASSERT_EQ(rows.size(), 2);
        const QJsonObject done = rows[0].toObject();
        EXPECT_EQ(done["line"], QJsonValue(2));
        EXPECT_EQ(done["result"].toString(), "done");
        EXPECT_EQ(done["changes"].toObject().keys(), QStringList({"dhcp", "ip"}));
        EXPECT_EQ(done["changes"]["ip"]["to"].toString(), "127.0.2.1");
        EXPECT_TRUE(done["detail"].isNull());
        EXPECT_EQ(rows.at(1)["detail"].toString(), "did not answer the scan");
        EXPECT_TRUE(rows.at(1)["changes"].toObject().isEmpty());
    }
}

TEST(ApplyReport, CsvHasFromAndToColumnsPerValue) {
    const report::CsvTable table = report::readCsv(streamed(Format::Csv));
    ASSERT_FALSE(table.error);
    ASSERT_EQ(table.records.size(), 3u);
    EXPECT_EQ(
        table.records[0].fields,
        QStringList({"line", "mac", "result", "ip_from", "ip_to", "netmask_from", "netmask_to",
                     "gateway_from", "gateway_to", "dhcp_from", "dhcp_to", "detail"}));
    EXPECT_EQ(table.records[1].fields,
              QStringList({"2", "02-00-00-00-00-01", "done", "127.0.1.1", "127.0.2.1", "", "", "",
                           "", "active", "inactive", ""}));
    EXPECT_EQ(table.records[2].fields.value(2), "not found");
}

TEST(ApplyReport, TableShowsChangesAndDetailInFixedColumns) {
    const QStringList lines = streamed(Format::Table).split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "LINE  MAC                RESULT        CHANGES");
    EXPECT_EQ(lines[1], "2     02-00-00-00-00-01  done          ip 127.0.1.1 -> 127.0.2.1, dhcp "
                        "active -> inactive");
    EXPECT_EQ(lines[2], "4     02-00-00-00-00-09  not found     did not answer the scan");
}
