#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

struct IniEntry {
    QString key;   // text before the first "=", trimmed; empty when the line has none
    QString value; // text after the first "=", trimmed; the whole line when it has none
    bool hasEquals = false;
    int line = 0; // 1-based line number in the file, for error reports
};

// The ini reader shared by the translation files, the gateway description file and
// config.ini. Lines are trimmed of characters below 33; empty lines and lines starting
// with ";" are skipped; "[name]" opens a section. Section and key names compare without
// regard to case. When a section header occurs twice, only its first occurrence counts.
//
// Encoding: a byte-order mark selects UTF-8, UTF-16 LE or UTF-16 BE. Without one, the
// bytes are UTF-8 when they are valid UTF-8 and Windows-1252 otherwise, so that a file
// saved by an editor on either platform shows its names.
class IniFile {
public:
    IniFile() = default;
    // A file that is missing or cannot be read (readProblem() tells why) gives an empty
    // IniFile. Only a regular file of at most kMaxInputFileSize bytes is read.
    static IniFile fromFile(const QString& path);
    static IniFile fromBytes(const QByteArray& bytes);
    static IniFile fromText(const QString& text);

    // Why an existing file could not be read ("it is a folder, not a file"); empty when it
    // was read or does not exist.
    QString readProblem() const { return problem; }

    // A section exists when its header is present, even with no entries.
    bool hasSection(const QString& section) const;
    QList<IniEntry> entries(const QString& section) const;
    // The key names of the section's entries, in file order, duplicates included.
    QStringList keys(const QString& section) const;
    // The value of the first entry with that key.
    std::optional<QString> value(const QString& section, const QString& key) const;

private:
    struct Section {
        QString name;
        QList<IniEntry> entries;
    };
    const Section* find(const QString& section) const;
    QList<Section> sections;
    QString problem;
};

} // namespace platform
