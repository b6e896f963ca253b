#include "cli/plan_source.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

using namespace cli;

namespace {

QByteArray utf16(const QString& text, bool littleEndian) {
    QByteArray bytes = littleEndian ? QByteArray("\xFF\xFE", 2) : QByteArray("\xFE\xFF", 2);
    for (const QChar ch : text) {
        const char low = char(ch.unicode() & 0xFF);
        const char high = char(ch.unicode() >> 8);
        bytes.append(littleEndian ? low : high).append(littleEndian ? high : low);
    }
    return bytes;
}

} // namespace

TEST(DecodePlan, TextInTheEncodingsSpreadsheetsSaveIsReadAndAnythingElseRefused) {
    const QString plan =
        QStringLiteral("mac\tip\tLage\n02-00-00-00-00-01\t10.0.0.1\tSchrank \u00e4\n");
    const struct {
        const char* name;
        QByteArray bytes;
        QString text;    // empty: refused
        QString problem; // when refused
    } cases[] = {
        {"UTF-8", plan.toUtf8(), plan, {}},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + plan.toUtf8(), plan, {}},
        {"UTF-16 LE", utf16(plan, true), plan, {}},
        {"UTF-16 BE", utf16(plan, false), plan, {}},
        {"Latin-1", plan.toLatin1(), plan, {}},
        {"UTF-16 without its BOM",
         utf16(plan, true).mid(2),
         {},
         "it is not text: a NUL byte on line 1 (UTF-16 needs its byte-order mark; or save it as "
         "UTF-8)"},
        {"odd UTF-16",
         utf16(plan, true) + 'x',
         {},
         "it begins as UTF-16 text but is not; save it as UTF-8"},
        {"binary",
         QByteArray("mac\n\x01\x02\x1b[2J", 8),
         {},
         "it is not text: a control character \\x01 on line 2"},
    };
    for (const auto& c : cases) {
        const PlanText decoded = decodePlan(c.bytes);
        EXPECT_EQ(decoded.text.value_or(QString()), c.text) << c.name;
        EXPECT_EQ(decoded.problem, c.problem) << c.name;
    }
    EXPECT_EQ(printableText(QStringLiteral("a\x1b[2J\x7f\u200b\u00e4")),
              "a\\x1b[2J\\x7f\\u200b\u00e4");
}

TEST(ReadPlanText, APlanLargerThanTheLimitIsRefusedFromAFileAndFromStandardInput) {
    QTemporaryDir dir;
    const QString path = dir.filePath("plan.csv");
    for (const qint64 size : {kMaxPlanSize, kMaxPlanSize + 1}) {
        SCOPED_TRACE(size);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_TRUE(file.write(QByteArray(size, 'a')) == size);
        file.close();
        std::FILE* input = std::fopen(QFile::encodeName(path).constData(), "rb");
        ASSERT_NE(input, nullptr);
        const bool fits = size <= kMaxPlanSize;
        for (const PlanText& read : {readPlanText(path), readPlanText("-", input)}) {
            EXPECT_EQ(read.text.has_value(), fits);
            EXPECT_EQ(read.problem, fits ? QString() : QStringLiteral("it is larger than 4.0 MiB"));
        }
        std::fclose(input);
    }
}
