#include "cli/row_stream.h"

#include "report/csv_text.h"
#include "report/text_table.h"

#include <QJsonDocument>

namespace cli {

namespace {

QString compact(const QJsonObject& object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace

RowStream::RowStream(QTextStream& out, Format format, RowStreamLayout layout)
    : out(out), format(format), layout(std::move(layout)) {}

void RowStream::begin() {
    if (begun)
        return;
    begun = true;
    switch (format) {
    case Format::Table:
        out << report::alignedLine(layout.headings, layout.widths);
        break;
    case Format::Csv:
        out << report::csvRecord(layout.csvHeader);
        break;
    case Format::Json:
        out << '[';
        break;
    case Format::Jsonl:
        break;
    }
    out.flush();
}

void RowStream::add(const QStringList& tableCells, const QStringList& csvFields,
                    const QJsonObject& json) {
    begin();
    switch (format) {
    case Format::Table:
        out << report::alignedLine(tableCells, layout.widths);
        break;
    case Format::Csv:
        out << report::csvRecord(csvFields);
        break;
    case Format::Json:
        out << (anyRow ? ",\n  " : "\n  ") << compact(json);
        break;
    case Format::Jsonl:
        out << compact(json) << '\n';
        break;
    }
    anyRow = true;
    out.flush();
}

void RowStream::finish() {
    begin();
    if (format == Format::Json)
        out << (anyRow ? "\n]\n" : "]\n");
    out.flush();
}

} // namespace cli
