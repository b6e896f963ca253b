#include "statelog/log_buffer.h"

#include <QTime>

#include <gtest/gtest.h>

using statelog::LogBuffer;

namespace {

std::string show(const QString& text) {
    return text.toStdString();
}

TEST(LogBufferLimit, StartsWithOneEmptyLineThatIsTheFirstToGo) {
    LogBuffer log;
    ASSERT_EQ(log.lines(), QStringList{QString()});
    EXPECT_EQ(log.maxLines(), 1000);
    int removed = 0;
    QObject::connect(&log, &LogBuffer::firstLineRemoved, [&] { ++removed; });

    for (int i = 1; i <= 999; ++i) {
        log.logStringOnly(QString::number(i));
    }
    EXPECT_EQ(log.lines().size(), 1000);
    EXPECT_EQ(log.lines().first(), QString());
    EXPECT_EQ(removed, 0);

    log.logStringOnly("1000");
    EXPECT_EQ(log.lines().size(), 1000);
    EXPECT_EQ(log.lines().first(), "1");
    EXPECT_EQ(removed, 1);

    log.logStringOnly("1001");
    EXPECT_EQ(log.lines().size(), 1000);
    EXPECT_EQ(log.lines().first(), "2");
    EXPECT_EQ(log.lines().last(), "1001");
    EXPECT_EQ(removed, 2);
}

TEST(LogBufferLimit, ALowerLimitTakesOneOldLinePerAppend) {
    LogBuffer log;
    log.clear();
    for (int i = 0; i < 500; ++i) {
        log.logStringOnly(QString::number(i));
    }
    log.setMaxLines(10);
    log.logStringOnly("a");
    log.logStringWithTime("b");
    log.logStringWithIndent("c");
    EXPECT_EQ(log.lines().size(), 500);
    EXPECT_EQ(log.lines().first(), "3");
    log.scrollToEnd(); // appends nothing, still trims one line
    EXPECT_EQ(log.lines().size(), 499);

    log.clear();
    EXPECT_TRUE(log.lines().isEmpty());
    for (int i = 0; i < 20; ++i) {
        log.logStringOnly(QString::number(i));
    }
    EXPECT_EQ(log.lines().size(), 10);
    EXPECT_EQ(log.lines().first(), "10");
    EXPECT_EQ(log.lines().last(), "19");
}

TEST(LogBufferLines, IndentsAndKindsOfEntry) {
    LogBuffer log;
    log.clear();
    QStringList appended;
    QObject::connect(&log, &LogBuffer::lineAppended,
                     [&](const QString& line) { appended.append(line); });
    log.logString("x", LogBuffer::entryIndented);
    log.logStringWithIndent("x");
    log.logString("x", LogBuffer::entryOnly);
    log.logStringOnly("");
    log.logString("x", 3);
    log.logString("x", -1);
    const QStringList expected{QString(15, u' ') + "x", QString(8, u' ') + "x", "x", ""};
    EXPECT_EQ(log.lines(), expected);
    EXPECT_EQ(appended, expected);
}

TEST(LogBufferLines, TimeStampedEntriesStartWithTheTimeAndOneBlank) {
    LogBuffer log;
    log.clear();
    const QString before = LogBuffer::timeStamp();
    log.logStringWithTime("");
    log.logString("Socket created", LogBuffer::entryTimestamped);
    const QString after = LogBuffer::timeStamp();
    ASSERT_FALSE(before.isEmpty());
    ASSERT_EQ(log.lines().size(), 2);
    for (const QString& stamp : {before, after}) {
        EXPECT_FALSE(stamp.startsWith(u' ') || stamp.endsWith(u' ')) << show(stamp);
    }
    const QString& empty = log.lines().at(0);
    EXPECT_TRUE(empty == before + " " || empty == after + " ") << show(empty);
    const QString& text = log.lines().at(1);
    EXPECT_TRUE(text == before + " Socket created" || text == after + " Socket created")
        << show(text);
}

TEST(LogBufferLines, ClearEmptiesTheLogAndSignalsIt) {
    LogBuffer log;
    log.logStringOnly("a");
    int cleared = 0;
    QObject::connect(&log, &LogBuffer::cleared, [&] { ++cleared; });
    log.clear();
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_EQ(cleared, 1);
    log.logStringOnly("b");
    EXPECT_EQ(log.lines(), QStringList{"b"});
}

TEST(LogBufferTimeStamp, UsesTheLongTimeFormatWithoutTimeZone) {
    EXPECT_EQ(LogBuffer::timeStampFormat(QLocale(QLocale::German, QLocale::Germany)), "HH:mm:ss");
    EXPECT_EQ(LogBuffer::timeStampFormat(QLocale(QLocale::English, QLocale::UnitedStates)),
              "h:mm:ss AP");
    EXPECT_EQ(LogBuffer::timeStampFormat(QLocale(QLocale::Chinese, QLocale::China)), "HH:mm:ss");
    EXPECT_EQ(LogBuffer::timeStampFormat(QLocale(QLocale::Persian, QLocale::Iran)), "H:mm:ss");
    // A quoted "t" is text, not the time zone.
    const QLocale bulgarian(QLocale::Bulgarian, QLocale::Bulgaria);
    EXPECT_EQ(LogBuffer::timeStampFormat(bulgarian),
              bulgarian.timeFormat(QLocale::LongFormat).chopped(2));
    const QTime sample(14, 5, 9);
    EXPECT_EQ(QLocale(QLocale::English, QLocale::UnitedStates)
                  .toString(sample, LogBuffer::timeStampFormat(
                                        QLocale(QLocale::English, QLocale::UnitedStates))),
              "2:05:09 PM");
}

} // namespace
