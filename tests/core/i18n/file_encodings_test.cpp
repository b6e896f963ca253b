// Description and language files as editors on either platform save them.
#include "gdf/gdf_table.h"
#include "i18n/language_select.h"
#include "platform/ini_file.h"

#include "support/lang_folder.h"
#include "support/odd_files.h"

#include <QStringEncoder>

namespace {

struct Saved {
    const char* how;
    QByteArray (*encode)(const QString& text);
};

QByteArray withMark(QStringConverter::Encoding encoding, const QString& text) {
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

// Latin-1 but for the dash, which Windows-1252 has at 0x96.
QByteArray windows1252(const QString& text) {
    QString marked = text;
    marked.replace(QChar(0x2013), QChar(0x01));
    QByteArray bytes = marked.toLatin1();
    bytes.replace('\x01', '\x96');
    return bytes;
}

const Saved kSavings[] = {
    {"UTF-8 with mark", [](const QString& t) { return withMark(QStringConverter::Utf8, t); }},
    {"UTF-8 without mark", [](const QString& t) { return t.toUtf8(); }},
    {"UTF-16 LE", [](const QString& t) { return withMark(QStringConverter::Utf16LE, t); }},
    {"UTF-16 BE", [](const QString& t) { return withMark(QStringConverter::Utf16BE, t); }},
    {"Windows-1252", [](const QString& t) { return windows1252(t); }},
};

class FileEncodings : public LangFolder {};

} // namespace

TEST_F(FileEncodings, EveryKindOfSavedFileShowsItsNames) {
    const QString name = QString::fromUtf8("Gerät Ü8 – Größe");
    for (const Saved& saved : kSavings) {
        SCOPED_TRACE(saved.how);
        const QByteArray gdfBytes =
            saved.encode(QStringLiteral("[General]\r\nVersion=Ü8\r\n[names]\r\n"
                                        "0x0101=") +
                         name + QStringLiteral("\r\n"));
        const QByteArray langBytes =
            saved.encode(QStringLiteral("[translations]\nGreeting=") + name + QStringLiteral("\n"));
        write("gdf/Pellmar.gdf", gdfBytes);
        const platform::IniFile cfg =
            platform::IniFile::fromFile(programDir() + "/gdf/Pellmar.gdf");
        gdf::DeviceTypeTable table;
        EXPECT_FALSE(table.readGDF(cfg, "Pellmar.gdf").has_value());
        EXPECT_EQ(table.deviceTypeName(0x0101), name);
        EXPECT_EQ(gdf::gdfVersion(cfg), QString::fromUtf8("Ü8"));

        write("lang/english_en_gb.ini", langBytes);
        i18n::LanguageSelect language(nullptr, "\\SOFTWARE\\Kestrelwald\\", programDir(), 2057);
        ASSERT_TRUE(language.readDefaultLang());
        EXPECT_EQ(language.translate("Greeting"), name);
    }
}

TEST_F(FileEncodings, AnOddLanguageFileIsReportedOnceAndTextsShowAsKeys) {
    for (const testsupport::OddFile kind : testsupport::kOddFiles) {
        SCOPED_TRACE(testsupport::oddFileName(kind));
        const QString lang = programDir() + "/lang";
        ASSERT_TRUE(QDir(lang).removeRecursively());
        ASSERT_TRUE(QDir().mkpath(lang));
        ASSERT_TRUE(testsupport::makeOddFile(lang + "/english_en_gb.ini", kind));
        i18n::LanguageSelect language(nullptr, "\\SOFTWARE\\Kestrelwald\\", programDir(), 2057);
        EXPECT_FALSE(language.readDefaultLang());
        EXPECT_FALSE(language.readDefaultLang());
        EXPECT_EQ(language.translate("Scanning_OK"), "Scanning_OK");
        const QStringList problems = language.takeFileProblems();
        ASSERT_EQ(problems.size(), 1);
        EXPECT_TRUE(problems[0].contains("english_en_gb.ini")) << problems[0].toStdString();
        EXPECT_TRUE(language.takeFileProblems().isEmpty());
    }
}
