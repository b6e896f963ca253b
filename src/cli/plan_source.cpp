#include "cli/plan_source.h"

#include "platform/input_file.h"

#include <QStringDecoder>

namespace cli {

namespace {

bool startsWith(const QByteArray& bytes, const char* prefix, qsizetype size) {
    return bytes.size() >= size && bytes.left(size) == QByteArray(prefix, size);
}

// A character no text file holds, but tabs and line ends. (The C1 range is left alone:
// taken as Latin-1, an older spreadsheet's euro sign and quotes fall there.)
bool isControl(QChar ch) {
    const char16_t code = ch.unicode();
    return (code < 0x20 && code != u'\t' && code != u'\n' && code != u'\r') || code == 0x7F;
}

PlanText refused(const QString& problem) {
    return PlanText{std::nullopt, problem};
}

std::optional<QString> utf16Text(const QByteArray& bytes) {
    QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                        : QStringDecoder::Utf16BE);
    QString text = decoder.decode(bytes.mid(2));
    if (decoder.hasError() || bytes.size() % 2 != 0)
        return std::nullopt;
    return text;
}

} // namespace

PlanText decodePlan(const QByteArray& bytes) {
    QString text;
    if (startsWith(bytes, "\xFF\xFE", 2) || startsWith(bytes, "\xFE\xFF", 2)) {
        const std::optional<QString> decoded = utf16Text(bytes);
        if (!decoded)
            return refused(QStringLiteral("it begins as UTF-16 text but is not; save it as UTF-8"));
        text = *decoded;
    } else {
        const QByteArray body = startsWith(bytes, "\xEF\xBB\xBF", 3) ? bytes.mid(3) : bytes;
        QStringDecoder utf8(QStringDecoder::Utf8);
        text = utf8.decode(body);
        if (utf8.hasError())
            text = QString::fromLatin1(body);
    }
    int line = 1;
    for (const QChar ch : std::as_const(text)) {
        if (ch == u'\n')
            ++line;
        else if (ch.unicode() == 0)
            return refused(QStringLiteral("it is not text: a NUL byte on line %1 (UTF-16 needs "
                                          "its byte-order mark; or save it as UTF-8)")
                               .arg(line));
        else if (isControl(ch))
            return refused(QStringLiteral("it is not text: a control character %1 on line %2")
                               .arg(printableText(QString(ch)))
                               .arg(line));
    }
    return PlanText{text, QString()};
}

PlanText readPlanText(const QString& path, std::FILE* standardInput) {
    if (path != QLatin1String("-")) {
        const platform::InputFile file = platform::readInputFile(path, kMaxPlanSize);
        if (file.status == platform::InputFile::Status::Missing)
            return refused(QStringLiteral("no such file"));
        if (file.status == platform::InputFile::Status::Unreadable)
            return refused(file.problem);
        return decodePlan(file.bytes);
    }
    // One byte more than the limit tells a plan that fills it from one that is larger.
    QByteArray bytes;
    char chunk[65536];
    while (bytes.size() <= kMaxPlanSize) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, standardInput);
        bytes.append(chunk, qsizetype(got));
        if (got < sizeof chunk)
            break;
    }
    if (std::ferror(standardInput))
        return refused(QStringLiteral("standard input cannot be read"));
    if (bytes.size() > kMaxPlanSize)
        return refused(QStringLiteral("it is larger than 4.0 MiB"));
    return decodePlan(bytes);
}

QString printableText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        if (ch.unicode() < 0x20 || (ch.unicode() >= 0x7F && ch.unicode() < 0xA0))
            out += QStringLiteral("\\x%1").arg(ch.unicode(), 2, 16, QLatin1Char('0'));
        else if (!ch.isPrint() && ch != u' ')
            out += QStringLiteral("\\u%1").arg(ch.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += ch;
    }
    return out;
}

} // namespace cli
