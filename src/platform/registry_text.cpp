#include "platform/registry_text.h"

#include <QStringDecoder>

#include <optional>

namespace platform {

namespace {

bool isControl(char16_t c) {
    return c < 0x20 || c == 0x7F;
}

QString hex4(char16_t c) {
    return QStringLiteral("%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
}

// Quoted text with backslash escapes. Control characters and unpaired surrogates are
// written as \uXXXX so that every string survives the round trip through UTF-8.
void appendQuoted(QString& out, const QString& text) {
    out += u'"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\\' || c == u'"') {
            out += u'\\';
            out += c;
        } else if (c == u'\n') {
            out += QLatin1String("\\n");
        } else if (c == u'\r') {
            out += QLatin1String("\\r");
        } else if (c == u'\t') {
            out += QLatin1String("\\t");
        } else if (isControl(c)) {
            out += QLatin1String("\\u") + hex4(c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                   text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
        } else if (QChar::isSurrogate(c)) {
            out += QLatin1String("\\u") + hex4(c);
        } else {
            out += c;
        }
    }
    out += u'"';
}

// Key names cannot hold the separator "\"; "%" and control characters are written as
// %XX so that a header always stays on one line.
void appendKeyName(QString& out, const QString& name) {
    for (const QChar ch : name) {
        const char16_t c = ch.unicode();
        if (c == u'%' || isControl(c)) {
            out += u'%';
            out += QString::number(c, 16).rightJustified(2, u'0');
        } else {
            out += ch;
        }
    }
}

void appendData(QString& out, const RegValue& value) {
    switch (value.type) {
    case RegType::String:
        appendQuoted(out, value.text);
        break;
    case RegType::Integer:
        out += QStringLiteral("dword:%1")
                   .arg(static_cast<quint32>(value.number), 8, 16, QLatin1Char('0'));
        break;
    case RegType::Binary:
        out += QLatin1String("hex:");
        out += QString::fromLatin1(value.bytes.toHex(','));
        break;
    }
}

void appendValues(QString& out, const RegistryKeyNode& key) {
    for (const auto& [name, value] : key.values) {
        appendQuoted(out, name);
        out += u'=';
        appendData(out, value);
        out += u'\n';
    }
}

// Every subkey below `key`, each with its full path, parents before children.
void appendSubkeys(QString& out, const RegistryKeyNode& key, const QString& path) {
    for (const RegistryKeyNode& child : key.children) {
        QString childPath = path.isEmpty() ? QString() : path + u'\\';
        appendKeyName(childPath, child.name);
        out += u'[' + childPath + QLatin1String("]\n");
        appendValues(out, child);
        out += u'\n';
        appendSubkeys(out, child, childPath);
    }
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

// Reads one line of the file; every failure leaves a reason in `error`.
class LineReader {
public:
    explicit LineReader(QStringView text) : line(text) {}

    std::optional<QString> quoted() {
        if (!take(u'"')) {
            return fail("a quoted text was expected");
        }
        QString result;
        while (pos < line.size()) {
            const QChar c = line.at(pos++);
            if (c == u'"') {
                return result;
            }
            if (c != u'\\') {
                result += c;
                continue;
            }
            if (pos >= line.size()) {
                break;
            }
            const QChar escaped = line.at(pos++);
            switch (escaped.unicode()) {
            case u'\\':
            case u'"':
                result += escaped;
                break;
            case u'n':
                result += u'\n';
                break;
            case u'r':
                result += u'\r';
                break;
            case u't':
                result += u'\t';
                break;
            case u'u': {
                const std::optional<uint> code = hexNumber(4, 4, false);
                if (!code) {
                    return fail("\\u needs four hexadecimal digits");
                }
                result += QChar(static_cast<char16_t>(*code));
                break;
            }
            default:
                return fail(QStringLiteral("unknown escape \\%1").arg(escaped));
            }
        }
        return fail("the quoted text is not closed");
    }

    std::optional<RegValue> data() {
        RegValue value;
        if (peek(u'"')) {
            std::optional<QString> text = quoted();
            if (!text) {
                return std::nullopt;
            }
            value.type = RegType::String;
            value.text = *text;
        } else if (takeWord(QLatin1String("dword:"))) {
            const std::optional<uint> number = hexNumber(1, 8);
            if (!number) {
                return fail("dword: needs one to eight hexadecimal digits");
            }
            value.type = RegType::Integer;
            value.number = static_cast<qint32>(*number);
        } else if (takeWord(QLatin1String("hex:"))) {
            value.type = RegType::Binary;
            if (!bytes(value.bytes)) {
                return std::nullopt;
            }
        } else {
            return fail("a value must be \"text\", dword: or hex:");
        }
        return value;
    }

    void skipBlanks() {
        while (pos < line.size() && (line.at(pos) == u' ' || line.at(pos) == u'\t')) {
            ++pos;
        }
    }
    bool take(QChar c) {
        if (peek(c)) {
            ++pos;
            return true;
        }
        return false;
    }
    bool atEnd() const { return pos >= line.size(); }

    QString error;

private:
    bool peek(QChar c) const { return pos < line.size() && line.at(pos) == c; }

    bool takeWord(QLatin1String word) {
        if (line.mid(pos).startsWith(word, Qt::CaseInsensitive)) {
            pos += word.size();
            return true;
        }
        return false;
    }

    // With `whole`, a further digit after maxDigits makes the number invalid.
    std::optional<uint> hexNumber(int minDigits, int maxDigits, bool whole = true) {
        uint number = 0;
        int digits = 0;
        while (digits < maxDigits && pos < line.size() && hexDigit(line.at(pos)) >= 0) {
            number = number * 16 + static_cast<uint>(hexDigit(line.at(pos++)));
            ++digits;
        }
        if (digits < minDigits || (whole && pos < line.size() && hexDigit(line.at(pos)) >= 0)) {
            return std::nullopt;
        }
        return number;
    }

    bool bytes(QByteArray& out) {
        skipBlanks();
        if (atEnd()) {
            return true;
        }
        for (;;) {
            skipBlanks();
            const std::optional<uint> byte = hexNumber(2, 2);
            if (!byte) {
                error = QStringLiteral("hex: needs bytes of two hexadecimal digits, "
                                       "separated by commas");
                return false;
            }
            out.append(static_cast<char>(*byte));
            skipBlanks();
            if (!take(u',')) {
                return true;
            }
        }
    }

    std::nullopt_t fail(const QString& reason) {
        error = reason;
        return std::nullopt;
    }
    std::nullopt_t fail(const char* reason) { return fail(QString::fromLatin1(reason)); }

    QStringView line;
    qsizetype pos = 0;
};

std::optional<QString> decodeKeyName(QStringView part) {
    QByteArray utf8;
    const QByteArray raw = part.toUtf8();
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw.at(i) != '%') {
            utf8.append(raw.at(i));
            continue;
        }
        if (i + 2 >= raw.size()) {
            return std::nullopt;
        }
        const int high = hexDigit(QChar::fromLatin1(raw.at(i + 1)));
        const int low = hexDigit(QChar::fromLatin1(raw.at(i + 2)));
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        utf8.append(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return QString::fromUtf8(utf8);
}

struct Reader {
    RegistryTextParse result;
    RegistryKeyNode* current = &result.root;

    bool header(QStringView line, QString& error) {
        if (!line.endsWith(u']')) {
            error = QStringLiteral("a key line must end with \"]\"");
            return false;
        }
        QStringList path;
        for (QStringView part : line.mid(1, line.size() - 2).split(u'\\', Qt::SkipEmptyParts)) {
            const std::optional<QString> name = decodeKeyName(part);
            if (!name) {
                error = QStringLiteral("a \"%\" in a key name needs two hexadecimal digits");
                return false;
            }
            // "%5c" would smuggle the separator into a name: written back, that one key
            // would come back as two, and its values would move.
            if (name->contains(u'\\')) {
                error = QStringLiteral("a key name cannot hold \"\\\"");
                return false;
            }
            path.append(*name);
        }
        if (path.isEmpty()) {
            error = QStringLiteral("the key line names no key");
            return false;
        }
        current = &result.root.findOrCreate(path);
        return true;
    }

    bool valueLine(QStringView line, QString& error) {
        LineReader reader(line);
        const std::optional<QString> name = reader.quoted();
        if (!name) {
            error = reader.error;
            return false;
        }
        reader.skipBlanks();
        if (!reader.take(u'=')) {
            error = QStringLiteral("\"=\" was expected after the value name");
            return false;
        }
        reader.skipBlanks();
        const std::optional<RegValue> value = reader.data();
        if (!value) {
            error = reader.error;
            return false;
        }
        reader.skipBlanks();
        if (!reader.atEnd()) {
            error = QStringLiteral("unexpected text after the value");
            return false;
        }
        current->setValue(*name, *value);
        return true;
    }
};

} // namespace

QByteArray writeRegistryText(const RegistryKeyNode& root) {
    QString out = QStringLiteral("; Kestrelwald per-user settings, written by TorvaneScan\n\n");
    appendValues(out, root);
    appendSubkeys(out, root, QString());
    return out.toUtf8();
}

RegistryTextParse readRegistryText(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    Reader reader;
    if (decoder.hasError()) {
        reader.result.error = QStringLiteral("the file is not UTF-8 text");
        return reader.result;
    }
    int lineNumber = 0;
    for (QStringView rawLine : QStringView(text).split(u'\n')) {
        ++lineNumber;
        const QStringView line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(u';')) {
            continue;
        }
        QString error;
        bool understood = false;
        if (line.startsWith(u'[')) {
            understood = reader.header(line, error);
        } else if (line.startsWith(u'"')) {
            understood = reader.valueLine(line, error);
        } else {
            error = QStringLiteral("a line must be a [key], a \"value\"=..., or a ; comment");
        }
        if (!understood) {
            reader.result.root = RegistryKeyNode{};
            reader.result.error = QStringLiteral("line %1: %2").arg(lineNumber).arg(error);
            return reader.result;
        }
    }
    return reader.result;
}

} // namespace platform
