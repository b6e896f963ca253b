#pragma once

#include <QList>
#include <QMap>
#include <QString>

#include <stdexcept>

namespace platform {

// The program's version information as a version resource holds it: a translation table
// naming the language and code page of the string block, and string values found by
// their query path.
struct VersionRecord {
    struct Translation {
        quint16 language = 0;
        quint16 codePage = 0;
    };
    // "\VarFileInfo\Translation\"; a record may lack it.
    QList<Translation> translations;
    // "\StringFileInfo\" + language and code page as eight hex digits + "\" + name -> value
    QMap<QString, QString> strings;
};

// The operating-system error raised for a record without a translation table.
class VersionInfoError : public std::runtime_error {
public:
    VersionInfoError(int code, const QString& text);
    int code() const { return errorCode; }

private:
    int errorCode;
};

// The record of this program, fixed when it was built.
const VersionRecord& programVersionRecord();

// The string `name` of the record's first translation; " " + name + " not available" when
// there is no such value. Throws VersionInfoError when the record has no translation table.
QString GetVersionInfoValue(const VersionRecord& record, const QString& name);

// The values the about dialog and the status bar show. `record` null stands for a program
// that carries no version record: every text is then empty.
QString GetProductVersionString(const VersionRecord* record = &programVersionRecord());
// Product name, " V", product version.
QString GetProductInfoString(const VersionRecord* record = &programVersionRecord());
QString GetLegalNoticeString(const VersionRecord* record = &programVersionRecord());
QString GetTrademarksString(const VersionRecord* record = &programVersionRecord());

} // namespace platform
