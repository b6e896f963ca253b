#include "i18n/language_select.h"
#include "platform/ini_file.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using platform::IniFile;

namespace {

const QString kSourceDir = QStringLiteral(TORVANE_SOURCE_DIR);
const QStringList kLanguageFiles = {"english_en_gb.ini", "german_de_de.ini"};

struct KeyUse {
    QString call; // translate, translateBlock or translateToList
    QString key;
    QString where;
};

// Every call of the translation service with a literal key, in any of the spellings the
// code uses for a literal.
QList<KeyUse> keyUses(const QString& code, const QString& where) {
    static const QRegularExpression call(
        R"re(\b(translate(?:Block|ToList)?)\s*\(\s*(?:(?:QStringLiteral|QLatin1String|QString)\s*\(\s*|u8?)?"((?:[^"\\]|\\.)*)")re");
    QList<KeyUse> uses;
    for (const QRegularExpressionMatch& match : call.globalMatch(code))
        uses.append({match.captured(1), match.captured(2), where});
    return uses;
}

QList<KeyUse> keyUsesInSources() {
    QList<KeyUse> uses;
    QDirIterator files(kSourceDir + "/src", {"*.cpp", "*.h"}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly))
            uses.append(keyUses(QString::fromUtf8(file.readAll()), file.fileName()));
    }
    return uses;
}

IniFile languageFile(const QString& name) {
    return IniFile::fromFile(kSourceDir + "/data/lang/" + name);
}

QStringList keysOf(const QString& name) {
    return languageFile(name).keys("translations");
}

bool hasKey(const QStringList& keys, const QString& key) {
    return keys.contains(key, Qt::CaseInsensitive);
}

bool hasKeyWithPrefix(const QStringList& keys, const QString& prefix) {
    for (const QString& key : keys)
        if (key.startsWith(prefix, Qt::CaseSensitive))
            return true;
    return false;
}

i18n::LanguageSelect shippedLanguage(const QString& name) {
    i18n::LanguageSelect language(nullptr, QString(), kSourceDir + "/data", 0);
    language.initLangs();
    language.readFile(name);
    return language;
}

} // namespace

TEST(TranslationKeyScan, FindsLiteralKeysInEveryCallSpelling) {
    const QList<KeyUse> uses = keyUses(R"(a = translate("Scan_finished");
                  b = language->translate(QStringLiteral("Configuration_warning warning"));
                  c = tr.translateBlock ( u"helpAbout" );
                  d = translateToList(QLatin1String("list"));
                  e = translate(key); // not a literal
                  f = mytranslate("no"); g = translated("no");)",
                                       "sample");
    ASSERT_EQ(uses.size(), 4);
    EXPECT_EQ(uses[0].key, "Scan_finished");
    EXPECT_EQ(uses[1].key, "Configuration_warning warning");
    EXPECT_EQ(uses[2].call, "translateBlock");
    EXPECT_EQ(uses[2].key, "helpAbout");
    EXPECT_EQ(uses[3].call, "translateToList");
}

TEST(TranslationFiles, EveryKeyTheCodeUsesIsInEveryLanguageFile) {
    const QList<KeyUse> uses = keyUsesInSources();
    for (const QString& file : kLanguageFiles) {
        const QStringList keys = keysOf(file);
        ASSERT_FALSE(keys.isEmpty()) << file.toStdString();
        for (const KeyUse& use : uses) {
            const bool found =
                use.call == "translate" ? hasKey(keys, use.key) : hasKeyWithPrefix(keys, use.key);
            EXPECT_TRUE(found) << file.toStdString() << " lacks \"" << use.key.toStdString()
                               << "\" used in " << use.where.toStdString();
        }
    }
}

TEST(TranslationFiles, AllLanguagesHoldTheSameKeysOnceEach) {
    const QStringList english = keysOf("english_en_gb.ini");
    for (const QString& file : kLanguageFiles) {
        const QStringList keys = keysOf(file);
        QSet<QString> seen;
        for (const QString& key : keys) {
            EXPECT_FALSE(key.isEmpty()) << file.toStdString() << ": a line without \"=\"";
            EXPECT_TRUE(!seen.contains(key.toLower()))
                << file.toStdString() << ": " << key.toStdString() << " twice";
            seen.insert(key.toLower());
        }
        EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()),
                  QSet<QString>(english.begin(), english.end()))
            << file.toStdString();
    }
}

TEST(TranslationFiles, TheKeyListInTheDocumentationMatchesTheFiles) {
    QFile doc(kSourceDir + "/docs/translation-keys.md");
    ASSERT_TRUE(doc.open(QIODevice::ReadOnly));
    static const QRegularExpression item(R"(^- `([^`]+)`)", QRegularExpression::MultilineOption);
    QSet<QString> documented;
    for (const QRegularExpressionMatch& match : item.globalMatch(QString::fromUtf8(doc.readAll())))
        documented.insert(match.captured(1));
    const QStringList english = keysOf("english_en_gb.ini");
    EXPECT_EQ(documented, QSet<QString>(english.begin(), english.end()));
}

TEST(TranslationFiles, TheFieldCheckFramingPassesAndAnyNamedFieldRefuses) {
    // The check joins its texts as below and refuses when the result is longer than 45
    // characters, so the framing alone has to fit and every field name has to tip it over.
    for (const QString name : {"english", "german"}) {
        const i18n::LanguageSelect language = shippedLanguage(name);
        const QString framing = language.translate("errorText_wrong_value_for") + " ";
        const QString end = language.translate("errorText_will_not_be_set");
        EXPECT_LE((framing + end).size(), 45) << name.toStdString();
        for (const QString field : {"errorText_ip", "errorText_netmask", "errorText_gateway"}) {
            const QString message = framing + " " + language.translate(field) + end;
            EXPECT_GT(message.size(), 45) << message.toStdString();
        }
    }
}

TEST(TranslationFiles, TheListStateTextsCannotBeMistakenForEachOther) {
    const QStringList keys = {"StatusNotAvailText",         "StatusNotAvailTextShort",
                              "StatusSearchingText",        "NotConfigurabelText",
                              "StatusdhcpNotSupportedText", "StatusdhcpNotActiveText",
                              "StatusdhcpActiveText"};
    for (const QString name : {"english", "german"}) {
        const i18n::LanguageSelect language = shippedLanguage(name);
        QStringList texts;
        for (const QString& key : keys)
            texts.append(language.translate(key));
        EXPECT_EQ(QSet<QString>(texts.begin(), texts.end()).size(), texts.size());
        // The list finds unconfigurable devices by this text inside any cell.
        const QString notConfigurable = language.translate("NotConfigurabelText");
        for (const QString& text : texts)
            EXPECT_TRUE(text == notConfigurable || !text.contains(notConfigurable))
                << text.toStdString();
    }
}

TEST(TranslationFiles, TheMappingNamesShippedLanguagesByNumericLocale) {
    const IniFile mapping = languageFile("userlang2applang.ini");
    ASSERT_TRUE(mapping.hasSection("userLangs"));
    const QList<platform::IniEntry> entries = mapping.entries("userLangs");
    ASSERT_FALSE(entries.isEmpty());
    for (const platform::IniEntry& entry : entries) {
        bool numeric = false;
        entry.key.toInt(&numeric);
        EXPECT_TRUE(numeric) << entry.key.toStdString();
        const QStringList files =
            QDir(kSourceDir + "/data/lang").entryList({entry.value + "_*_*.ini"}, QDir::Files);
        EXPECT_FALSE(files.isEmpty()) << entry.value.toStdString();
    }
}
