#include "i18n/language_select.h"

#include "net/ipv4.h"
#include "platform/ini_file.h"
#include "platform/registry.h"

#include <QDir>

namespace i18n {

namespace {

const QString kTranslations = QStringLiteral("translations");
const QString kUserLangs = QStringLiteral("userLangs");
const QString kFallbackLanguage = QStringLiteral("english");
const QString kFallbackFile = QStringLiteral("english_en_gb.ini");
const QString kMarker = QStringLiteral("#13#10");

qsizetype indexOfKey(const QStringList& keys, const QString& key) {
    for (qsizetype i = 0; i < keys.size(); ++i)
        if (keys[i].compare(key, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace

platform::IniFile LanguageSelect::readLangFile(const QString& path) {
    platform::IniFile ini = platform::IniFile::fromFile(path);
    if (!ini.readProblem().isEmpty() && !reportedPaths.contains(path)) {
        reportedPaths.insert(path);
        fileProblems.append(QStringLiteral("The language file \"%1\" cannot be read (%2). Texts "
                                           "it should give show as their keys.")
                                .arg(QDir::toNativeSeparators(path), ini.readProblem()));
    }
    return ini;
}

QStringList LanguageSelect::takeFileProblems() {
    return std::exchange(fileProblems, QStringList());
}

// Fills the two parallel tables from the file's "translations" section; false (tables
// left empty) when the file is missing, cannot be read or lacks the section.
bool LanguageSelect::readTranslations(const QString& path, QStringList& keys, QStringList& values) {
    const platform::IniFile ini = readLangFile(path);
    if (!ini.hasSection(kTranslations))
        return false;
    for (const platform::IniEntry& entry : ini.entries(kTranslations)) {
        keys.append(entry.key);
        values.append(entry.value);
    }
    return true;
}

LanguageSelect::LanguageSelect(platform::RegistryStore* registry, QString registryPath,
                               QString programDir, int userLocaleId)
    : registry(registry), registryPath(std::move(registryPath)),
      programFolder(std::move(programDir)), userLocale(userLocaleId) {}

QString LanguageSelect::langFile(const QString& fileName) const {
    return QDir(programFolder).filePath(QStringLiteral("lang/") + fileName);
}

bool LanguageSelect::initLangs() {
    const QDir folder(QDir(programFolder).filePath(QStringLiteral("lang")));
    // Sorted by name so the list does not depend on the file system's order; the pattern
    // matches with case, as the files are later opened by the very names built from it.
    const QStringList names = folder.entryList({QStringLiteral("*_*_*.ini")},
                                               QDir::AllEntries | QDir::Hidden | QDir::System |
                                                   QDir::NoDotAndDotDot | QDir::CaseSensitive,
                                               QDir::Name);
    if (names.isEmpty())
        return false;
    for (const QString& name : names) {
        const qsizetype underscore = name.indexOf(QLatin1Char('_'));
        const qsizetype extension = name.indexOf(QStringLiteral(".ini"));
        flanguages.append(name.left(underscore));
        flocales.append(extension > underscore
                            ? name.mid(underscore + 1, extension - underscore - 1)
                            : QString());
    }
    return true;
}

QString LanguageSelect::mapUserDefaultLang() {
    const platform::IniFile ini = readLangFile(langFile(QStringLiteral("userlang2applang.ini")));
    if (!ini.hasSection(kUserLangs))
        return QString();
    for (const platform::IniEntry& entry : ini.entries(kUserLangs)) {
        if (entry.key.isEmpty())
            continue;
        const std::optional<qint32> localeId = net::pieceToInt(entry.key);
        if (!localeId)
            return QString();
        if (*localeId == userLocale)
            return entry.value;
    }
    return kFallbackLanguage;
}

bool LanguageSelect::readDefaultLang() {
    const QString name = mapUserDefaultLang();
    const qsizetype index = flanguages.indexOf(name);
    QString fileName;
    if (index >= 0 && index < flocales.size()) {
        defaultLangName = name;
        fileName = name + QLatin1Char('_') + flocales[index] + QStringLiteral(".ini");
    } else {
        defaultLangName = kFallbackLanguage;
        fileName = kFallbackFile;
    }
    defaultLang.clear();
    defaultKeys.clear();
    return readTranslations(langFile(fileName), defaultKeys, defaultLang);
}

bool LanguageSelect::readFile(const QString& lang) {
    if (lang.isEmpty())
        return false;
    currentLang.clear();
    currentKeys.clear();
    const qsizetype index = flanguages.indexOf(lang);
    if (index < 0 || index >= flocales.size())
        return false;
    readTranslations(langFile(lang + QLatin1Char('_') + flocales[index] + QStringLiteral(".ini")),
                     currentKeys, currentLang);
    rememberLanguage(lang);
    return true;
}

void LanguageSelect::rememberLanguage(const QString& lang) {
    if (!registry)
        return;
    // The remembered language is a convenience: a store that cannot be written is
    // passed over silently.
    try {
        platform::Registry accessor(*registry);
        if (accessor.openKey(registryPath, true))
            accessor.writeString(QStringLiteral("UserLang"), lang);
    } catch (const platform::RegistryError&) {
    }
}

QString LanguageSelect::translate(const QString& key) const {
    qsizetype index = indexOfKey(currentKeys, key);
    if (index >= 0)
        return expandLineBreaks(currentLang[index]);
    index = indexOfKey(defaultKeys, key);
    if (index >= 0)
        return expandLineBreaks(defaultLang[index]);
    return expandLineBreaks(key);
}

QStringList LanguageSelect::translateToList(const QString& startKey) const {
    // The whole block comes from one language: once the current language has any entry,
    // the default one is not consulted.
    const bool useCurrent = !currentKeys.isEmpty();
    const QStringList& keys = useCurrent ? currentKeys : defaultKeys;
    const QStringList& values = useCurrent ? currentLang : defaultLang;
    QStringList result;
    for (qsizetype i = 0; i < keys.size(); ++i)
        if (keys[i].startsWith(startKey, Qt::CaseSensitive))
            result.append(values[i]);
    return result;
}

QString LanguageSelect::translateBlock(const QString& startKey) const {
    return expandLineBreaks(translateToList(startKey).join(QString()));
}

QString expandLineBreaks(const QString& text) {
    QString result = text;
    result.replace(kMarker, QStringLiteral("\r\n"));
    return result;
}

namespace {

struct LocaleId {
    QLocale::Language language;
    QLocale::Territory territory;
    int id;
};

// The first entry of each language is its main territory, used for a territory that has
// no entry of its own.
constexpr LocaleId kLocaleIds[] = {
    {QLocale::German, QLocale::Germany, 1031},
    {QLocale::German, QLocale::Switzerland, 2055},
    {QLocale::German, QLocale::Austria, 3079},
    {QLocale::German, QLocale::Luxembourg, 4103},
    {QLocale::German, QLocale::Liechtenstein, 5127},
    {QLocale::English, QLocale::UnitedStates, 1033},
    {QLocale::English, QLocale::UnitedKingdom, 2057},
    {QLocale::English, QLocale::Australia, 3081},
    {QLocale::English, QLocale::Canada, 4105},
    {QLocale::English, QLocale::NewZealand, 5129},
    {QLocale::English, QLocale::Ireland, 6153},
    {QLocale::English, QLocale::SouthAfrica, 7177},
    {QLocale::French, QLocale::France, 1036},
    {QLocale::French, QLocale::Belgium, 2060},
    {QLocale::French, QLocale::Canada, 3084},
    {QLocale::French, QLocale::Switzerland, 4108},
    {QLocale::French, QLocale::Luxembourg, 5132},
    {QLocale::Italian, QLocale::Italy, 1040},
    {QLocale::Italian, QLocale::Switzerland, 2064},
    {QLocale::Spanish, QLocale::Spain, 3082},
    {QLocale::Spanish, QLocale::Mexico, 2058},
    {QLocale::Dutch, QLocale::Netherlands, 1043},
    {QLocale::Dutch, QLocale::Belgium, 2067},
    {QLocale::Portuguese, QLocale::Brazil, 1046},
    {QLocale::Portuguese, QLocale::Portugal, 2070},
    {QLocale::Danish, QLocale::Denmark, 1030},
    {QLocale::Swedish, QLocale::Sweden, 1053},
    {QLocale::NorwegianBokmal, QLocale::Norway, 1044},
    {QLocale::Finnish, QLocale::Finland, 1035},
    {QLocale::Polish, QLocale::Poland, 1045},
    {QLocale::Czech, QLocale::CzechRepublic, 1029},
    {QLocale::Slovak, QLocale::Slovakia, 1051},
    {QLocale::Slovenian, QLocale::Slovenia, 1060},
    {QLocale::Hungarian, QLocale::Hungary, 1038},
    {QLocale::Croatian, QLocale::Croatia, 1050},
    {QLocale::Romanian, QLocale::Romania, 1048},
    {QLocale::Bulgarian, QLocale::Bulgaria, 1026},
    {QLocale::Greek, QLocale::Greece, 1032},
    {QLocale::Turkish, QLocale::Turkey, 1055},
    {QLocale::Russian, QLocale::Russia, 1049},
    {QLocale::Ukrainian, QLocale::Ukraine, 1058},
    {QLocale::Estonian, QLocale::Estonia, 1061},
    {QLocale::Latvian, QLocale::Latvia, 1062},
    {QLocale::Lithuanian, QLocale::Lithuania, 1063},
    {QLocale::Japanese, QLocale::Japan, 1041},
    {QLocale::Korean, QLocale::SouthKorea, 1042},
    {QLocale::Chinese, QLocale::China, 2052},
    {QLocale::Chinese, QLocale::Taiwan, 1028},
};

constexpr int kUsEnglish = 1033;

} // namespace

int windowsLocaleId(const QLocale& locale) {
    const LocaleId* sameLanguage = nullptr;
    for (const LocaleId& entry : kLocaleIds) {
        if (entry.language != locale.language())
            continue;
        if (entry.territory == locale.territory())
            return entry.id;
        if (!sameLanguage)
            sameLanguage = &entry;
    }
    return sameLanguage ? sameLanguage->id : kUsEnglish;
}

} // namespace i18n
