#include "platform/ini_file.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using platform::IniEntry;
using platform::IniFile;

namespace {

QByteArray utf16Bytes(const QString& text, bool littleEndian) {
    QByteArray bytes;
    bytes.append(littleEndian ? "\xFF\xFE" : "\xFE\xFF");
    for (const QChar c : text) {
        const char high = char(c.unicode() >> 8);
        const char low = char(c.unicode() & 0xFF);
        bytes.append(littleEndian ? low : high);
        bytes.append(littleEndian ? high : low);
    }
    return bytes;
}

bool hasOuterBlank(const QString& text) {
    return !text.isEmpty() && (text.front().unicode() < 33 || text.back().unicode() < 33);
}

} // namespace

TEST(IniFileLines, TrimsSkipsCommentsAndSplitsAtFirstEquals) {
    const IniFile ini = IniFile::fromText(QStringLiteral("orphan=before any section\n"
                                                         "\t[ First ]\t\n"
                                                         "   \n"
                                                         "; a comment=1\n"
                                                         "  alpha  =  one = two  \n"
                                                         "\x01\x1F beta=\x02\n"
                                                         "a line without equals sign\n"
                                                         "=only value\n"));
    ASSERT_TRUE(ini.hasSection("first"));
    EXPECT_FALSE(ini.hasSection("orphan"));
    const QList<IniEntry> entries = ini.entries("FIRST");
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[0].key, "alpha");
    EXPECT_EQ(entries[0].value, "one = two");
    EXPECT_TRUE(entries[0].hasEquals);
    EXPECT_EQ(entries[1].key, "beta");
    EXPECT_EQ(entries[1].value, "");
    EXPECT_EQ(entries[2].key, "");
    EXPECT_EQ(entries[2].value, "a line without equals sign");
    EXPECT_FALSE(entries[2].hasEquals);
    EXPECT_EQ(entries[3].key, "");
    EXPECT_EQ(entries[3].value, "only value");
    EXPECT_TRUE(entries[3].hasEquals);
}

TEST(IniFileLines, AcceptsEveryLineEndConvention) {
    const IniFile ini = IniFile::fromText(QStringLiteral("[s]\r\na=1\rb=2\nc=3\r\n\r\nd=4"));
    EXPECT_EQ(ini.keys("s"), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(ini.value("s", "d"), "4");
    // Line numbers count every line of the file, skipped ones included, from 1.
    QList<int> lines;
    for (const IniEntry& entry : ini.entries("s"))
        lines.append(entry.line);
    EXPECT_EQ(lines, QList<int>({2, 3, 4, 6}));
}

TEST(IniFileSections, NamesAndKeysIgnoreCaseAndDuplicatesKeepOrder) {
    const IniFile ini = IniFile::fromText(QStringLiteral("[Names]\n"
                                                         "Key=first\n"
                                                         "other=x\n"
                                                         "KEY=second\n"
                                                         "[empty]\n"));
    EXPECT_EQ(ini.keys("NAMES"), QStringList({"Key", "other", "KEY"}));
    EXPECT_EQ(ini.value("names", "key"), "first");
    EXPECT_EQ(ini.value("names", "missing"), std::nullopt);
    EXPECT_EQ(ini.value("nosuch", "key"), std::nullopt);
    EXPECT_TRUE(ini.hasSection("Empty"));
    EXPECT_TRUE(ini.entries("empty").isEmpty());
}

TEST(IniFileSections, OnlyTheFirstOccurrenceOfAHeaderCounts) {
    const IniFile ini =
        IniFile::fromText(QStringLiteral("[t]\na=1\n[other]\nz=9\n[T]\nb=2\na=3\n"));
    EXPECT_EQ(ini.keys("t"), QStringList({"a"}));
    EXPECT_EQ(ini.value("t", "a"), "1");
    EXPECT_EQ(ini.value("t", "b"), std::nullopt);
    EXPECT_EQ(ini.keys("other"), QStringList({"z"}));
}

TEST(IniFileSections, AValueWithoutEqualsIsNoKeyedValue) {
    const IniFile ini = IniFile::fromText(QStringLiteral("[s]\nloose text\n"));
    EXPECT_EQ(ini.keys("s"), QStringList({""}));
    EXPECT_EQ(ini.value("s", ""), std::nullopt);
}

TEST(IniFileEncoding, Utf8SkipsItsByteOrderMark) {
    const QByteArray bytes = "\xEF\xBB\xBF[translations]\nk=Gr\xC3\xBC\xC3\x9F"
                             "e\n";
    const IniFile ini = IniFile::fromBytes(bytes);
    EXPECT_EQ(ini.value("translations", "k"), QString::fromUtf8("Grüße"));
    // Without the mark the first line is still the section header.
    const IniFile plain = IniFile::fromBytes(bytes.sliced(3));
    EXPECT_TRUE(plain.hasSection("translations"));
}

TEST(IniFileEncoding, ByteOrderMarkChoosesElseValidUtf8ElseWindows1252) {
    const QString text = QString::fromUtf8("[General]\r\nVersion=Grüße €\r\n");
    const QString expected = QString::fromUtf8("Grüße €");
    const auto version = [](const QByteArray& bytes) {
        return IniFile::fromBytes(bytes).value("general", "version");
    };
    EXPECT_EQ(version("\xEF\xBB\xBF" + text.toUtf8()), expected);
    EXPECT_EQ(version(utf16Bytes(text, true)), expected);
    EXPECT_EQ(version(utf16Bytes(text, false)), expected);
    EXPECT_EQ(version(text.toUtf8()), expected);
    EXPECT_EQ(version("[General]\nVersion=Gr\xFC\xDF"
                      "e \x80\n"),
              expected);
    // One byte that cannot be UTF-8 makes the whole file Windows-1252, even where other
    // bytes would have been UTF-8; so do overlong forms, encoded surrogates and a
    // sequence cut off at the end.
    EXPECT_EQ(version("[General]\nVersion=\xC3\xBC\xFC\n"), QString::fromUtf8("Ã¼ü"));
    EXPECT_EQ(version("[General]\nVersion=\xC0\xAF\n"), QString::fromUtf8("À¯"));
    EXPECT_EQ(version("[General]\nVersion=\xED\xA0\x80\n"), QString::fromUtf8("í\u00A0€"));
    EXPECT_EQ(version("[General]\nVersion=\xE2\x82"), QString::fromUtf8("â‚"));
}

TEST(IniFileEncoding, BrokenUtf16DoesNotLoseTheReadableLines) {
    QByteArray bytes = utf16Bytes(QStringLiteral("[s]\na=1\n"), true);
    bytes.append('\x00');
    bytes.append('\xD8'); // a lone high surrogate
    bytes.append('x');    // and an odd trailing byte
    const IniFile ini = IniFile::fromBytes(bytes);
    EXPECT_EQ(ini.value("s", "a"), "1");
}

TEST(IniFileFromFile, ReadsAFileAndTakesAMissingOneAsEmpty) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("config.ini");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[TimerIntervals]\nTimerScan=4000\n");
    file.close();
    const IniFile read = IniFile::fromFile(path);
    EXPECT_EQ(read.value("timerintervals", "TIMERSCAN"), "4000");
    EXPECT_TRUE(read.readProblem().isEmpty());
    const IniFile missing = IniFile::fromFile(dir.filePath("nope.ini"));
    EXPECT_FALSE(missing.hasSection("TimerIntervals"));
    EXPECT_TRUE(missing.readProblem().isEmpty()); // a missing file is no problem
    // A folder cannot be read as a file, and says so.
    const IniFile folder = IniFile::fromFile(dir.path());
    EXPECT_FALSE(folder.hasSection(""));
    EXPECT_EQ(folder.readProblem(), "it is a folder, not a file");
}

TEST(IniFileRobustness, RandomBytesNeverBreakTheReader) {
    std::mt19937 random(20240611);
    // Mostly structure characters, so that headers, keys and line ends really occur.
    const char alphabet[] = "[]=;\r\n \t\x00\xEF\xBB\xBF\xFF\xFE\xD8\xDC\x80\x9F"
                            "aZ0";
    std::uniform_int_distribution<int> pick(0, int(sizeof(alphabet)) - 1);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::uniform_int_distribution<int> length(0, 300);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes;
        const int size = length(random);
        for (int i = 0; i < size; ++i)
            bytes.append(char(round % 2 ? anyByte(random) : alphabet[pick(random)]));
        const IniFile ini = IniFile::fromBytes(bytes);
        for (const QString& section : {QString(), QStringLiteral("a"), QStringLiteral("Z0")}) {
            for (const IniEntry& entry : ini.entries(section)) {
                ASSERT_FALSE(entry.key.contains(QLatin1Char('=')));
                ASSERT_FALSE(hasOuterBlank(entry.key));
                ASSERT_FALSE(hasOuterBlank(entry.value));
                ASSERT_FALSE(entry.value.isEmpty() && !entry.hasEquals);
            }
            ASSERT_EQ(ini.keys(section).size(), ini.entries(section).size());
        }
    }
}
