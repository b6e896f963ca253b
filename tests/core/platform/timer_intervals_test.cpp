#include "platform/timer_intervals.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::IniFile;
using platform::TimerIntervals;

namespace {

std::optional<TimerIntervals> intervalsOf(const char* text) {
    return platform::timerIntervalsFrom(IniFile::fromText(QString::fromUtf8(text)));
}

void expectIntervals(const std::optional<TimerIntervals>& intervals, int scan, int setParam,
                     int getParams) {
    ASSERT_TRUE(intervals.has_value());
    EXPECT_EQ(intervals->scan, scan);
    EXPECT_EQ(intervals->setParam, setParam);
    EXPECT_EQ(intervals->getParams, getParams);
}

} // namespace

TEST(TimerIntervals, AllThreeKeys) {
    expectIntervals(intervalsOf("[TimerIntervals]\nTimerScan=3000\nTimerSetParam=250\n"
                                "TimerGetParams=1000\n"),
                    3000, 250, 1000);
}

TEST(TimerIntervals, MissingKeysTakeTheSectionDefaultsNotTheDesignIntervals) {
    expectIntervals(intervalsOf("[TimerIntervals]\nTimerScan=4000\n"), 4000, 1500, 200);
    expectIntervals(intervalsOf("[timerintervals]\ntimergetparams=900\n"), 2500, 1500, 900);
}

TEST(TimerIntervals, HexadecimalAndNonNumbers) {
    expectIntervals(intervalsOf("[TimerIntervals]\nTimerScan=0x1F4\nTimerSetParam=0X10\n"
                                "TimerGetParams=0xfa\n"),
                    500, 16, 250);
    // A value that is not a number counts as missing.
    expectIntervals(intervalsOf("[TimerIntervals]\nTimerScan=fast\nTimerSetParam=\n"
                                "TimerGetParams=0x\n"),
                    2500, 1500, 200);
    expectIntervals(intervalsOf("[TimerIntervals]\nTimerScan=12ms\nTimerSetParam=99999999999\n"
                                "TimerGetParams=0x1G\n"),
                    2500, 1500, 200);
}

TEST(TimerIntervals, NoSectionOrEmptySectionIsNoSection) {
    EXPECT_FALSE(intervalsOf("").has_value());
    EXPECT_FALSE(intervalsOf("[Other]\nTimerScan=4000\n").has_value());
    EXPECT_FALSE(intervalsOf("[TimerIntervals]\n; nothing set\n[Other]\nTimerScan=1\n"));
}

TEST(TimerIntervals, OnlyForeignKeysStillCountAsSection) {
    expectIntervals(intervalsOf("[TimerIntervals]\nTimerBlink=5\n"), 2500, 1500, 200);
}

TEST(ConfigInteger, DecimalAndHexadecimal) {
    EXPECT_EQ(platform::configInteger("42"), 42);
    EXPECT_EQ(platform::configInteger("-7"), -7);
    EXPECT_EQ(platform::configInteger("0"), 0);
    EXPECT_EQ(platform::configInteger("0x7FFFFFFF"), 0x7FFFFFFF);
    EXPECT_FALSE(platform::configInteger("0x80000000").has_value());
    EXPECT_FALSE(platform::configInteger("0x-1").has_value());
    EXPECT_FALSE(platform::configInteger("").has_value());
    EXPECT_FALSE(platform::configInteger("1.5").has_value());
}

TEST(ReadTimerIntervals, FromTheProgramFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_FALSE(platform::readTimerIntervals(dir.path()).has_value());

    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("config")));
    QFile file(dir.filePath(QStringLiteral("config/config.ini")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[TimerIntervals]\r\nTimerScan=0x1F4\r\n");
    file.close();
    expectIntervals(platform::readTimerIntervals(dir.path()), 500, 1500, 200);
}

TEST(ReadTimerIntervals, ShippedConfigHoldsTheDesignIntervals) {
    expectIntervals(platform::readTimerIntervals(QStringLiteral(TORVANE_SOURCE_DIR "/data")), 2500,
                    200, 1500);
}
