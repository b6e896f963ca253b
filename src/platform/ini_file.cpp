#include "platform/ini_file.h"

#include "platform/code_page.h"
#include "platform/input_file.h"

#include <QStringDecoder>

namespace platform {

namespace {

bool isBlankOrControl(QChar c) {
    return c.unicode() < 33;
}

QString trimmed(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && isBlankOrControl(text[end - 1]))
        --end;
    return text.mid(begin, end - begin).toString();
}

bool startsWith(const QByteArray& bytes, std::initializer_list<unsigned char> prefix) {
    if (bytes.size() < qsizetype(prefix.size()))
        return false;
    qsizetype i = 0;
    for (const unsigned char byte : prefix)
        if (static_cast<unsigned char>(bytes[i++]) != byte)
            return false;
    return true;
}

QString decodeUtf16(const QByteArray& bytes, QStringConverter::Encoding encoding) {
    // The decoder skips the leading byte-order mark and replaces broken sequences (an odd
    // trailing byte, a lone surrogate) instead of failing.
    QStringDecoder decoder(encoding);
    return decoder.decode(bytes);
}

QString decode(const QByteArray& bytes) {
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF}))
        return QString::fromUtf8(bytes.sliced(3));
    if (startsWith(bytes, {0xFF, 0xFE}))
        return decodeUtf16(bytes, QStringConverter::Utf16LE);
    if (startsWith(bytes, {0xFE, 0xFF}))
        return decodeUtf16(bytes, QStringConverter::Utf16BE);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? decodeEightBit(bytes) : text;
}

IniEntry entryOf(const QString& line, int lineNumber) {
    IniEntry entry;
    entry.line = lineNumber;
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0) {
        entry.value = line;
        return entry;
    }
    entry.key = trimmed(QStringView(line).first(equals));
    entry.value = trimmed(QStringView(line).sliced(equals + 1));
    entry.hasEquals = true;
    return entry;
}

bool isSectionHeader(const QString& line) {
    return line.size() >= 2 && line.front() == QLatin1Char('[') && line.back() == QLatin1Char(']');
}

} // namespace

IniFile IniFile::fromFile(const QString& path) {
    const InputFile file = readInputFile(path);
    IniFile ini = fromBytes(file.bytes);
    ini.problem = file.problem;
    return ini;
}

IniFile IniFile::fromBytes(const QByteArray& bytes) {
    return fromText(decode(bytes));
}

IniFile IniFile::fromText(const QString& text) {
    IniFile ini;
    qsizetype current = -1; // index of the section the following lines belong to
    qsizetype start = 0;
    int lineNumber = 0;
    while (start <= text.size()) {
        ++lineNumber;
        qsizetype end = start;
        while (end < text.size() && text[end] != QLatin1Char('\r') &&
               text[end] != QLatin1Char('\n'))
            ++end;
        const QString line = trimmed(QStringView(text).sliced(start, end - start));
        if (end < text.size() && text[end] == QLatin1Char('\r') && end + 1 < text.size() &&
            text[end + 1] == QLatin1Char('\n'))
            ++end;
        start = end + 1;

        if (line.isEmpty() || line.front() == QLatin1Char(';'))
            continue;
        if (isSectionHeader(line)) {
            // A repeated header opens a section of its own that lookups never reach.
            ini.sections.append(Section{trimmed(QStringView(line).sliced(1, line.size() - 2)), {}});
            current = ini.sections.size() - 1;
            continue;
        }
        if (current >= 0)
            ini.sections[current].entries.append(entryOf(line, lineNumber));
    }
    return ini;
}

const IniFile::Section* IniFile::find(const QString& section) const {
    for (const Section& candidate : sections)
        if (candidate.name.compare(section, Qt::CaseInsensitive) == 0)
            return &candidate;
    return nullptr;
}

bool IniFile::hasSection(const QString& section) const {
    return find(section) != nullptr;
}

QList<IniEntry> IniFile::entries(const QString& section) const {
    const Section* found = find(section);
    return found ? found->entries : QList<IniEntry>();
}

QStringList IniFile::keys(const QString& section) const {
    QStringList result;
    if (const Section* found = find(section))
        for (const IniEntry& entry : found->entries)
            result.append(entry.key);
    return result;
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const {
    if (const Section* found = find(section))
        for (const IniEntry& entry : found->entries)
            if (entry.hasEquals && entry.key.compare(key, Qt::CaseInsensitive) == 0)
                return entry.value;
    return std::nullopt;
}

} // namespace platform
