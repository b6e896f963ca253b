#pragma once

#include <QLocale>
#include <QSet>
#include <QString>
#include <QStringList>

namespace platform {
class IniFile;
class RegistryStore;
} // namespace platform

namespace i18n {

// Turns text keys into the texts shown to the user, from the ini files in the "lang"
// folder beside the program. A lookup tries the current language, then the default one,
// and finally returns the key itself.
class LanguageSelect {
public:
    // registry: where readFile remembers the chosen language ("UserLang" under
    // registryPath); may be null, then nothing is remembered. programDir: the folder of
    // the executable. userLocaleId: the user's locale as a Windows locale identifier.
    LanguageSelect(platform::RegistryStore* registry, QString registryPath, QString programDir,
                   int userLocaleId);

    bool initLangs();
    QString mapUserDefaultLang();
    bool readDefaultLang();
    bool readFile(const QString& lang);

    QString translate(const QString& key) const;
    QString translateBlock(const QString& startKey) const;
    QStringList translateToList(const QString& startKey) const;

    QString defaultLangStr() const { return defaultLangName; }
    const QStringList& languages() const { return flanguages; }
    void setLanguages(const QStringList& value) { flanguages = value; }
    const QStringList& locales() const { return flocales; }
    void setLocales(const QStringList& value) { flocales = value; }
    QString programDir() const { return programFolder; }

    // One report for each language or mapping file that exists but could not be read
    // (a folder or a pipe in its place, a file too large), each file once per run; the
    // list is emptied by taking it.
    QStringList takeFileProblems();

private:
    QString langFile(const QString& fileName) const;
    platform::IniFile readLangFile(const QString& path);
    bool readTranslations(const QString& path, QStringList& keys, QStringList& values);
    void rememberLanguage(const QString& lang);

    platform::RegistryStore* registry;
    QString registryPath;
    QString programFolder;
    int userLocale;

    QString defaultLangName;
    QStringList defaultLang;
    QStringList defaultKeys;
    QStringList currentLang;
    QStringList currentKeys;
    QStringList flanguages;
    QStringList flocales;
    QStringList fileProblems;
    QSet<QString> reportedPaths;
};

// Replaces every "#13#10" marker by CR LF.
QString expandLineBreaks(const QString& text);

// The Windows locale identifier of a Qt locale (1031 German, 2057 English (UK), 1033
// English (US), ...). A territory without an identifier of its own gets that of the
// language's main territory (German in Belgium: 1031); an unknown language gets 1033.
int windowsLocaleId(const QLocale& locale);

} // namespace i18n
