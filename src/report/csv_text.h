#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace report {

// One field as RFC 4180 writes it: in double quotes, with its quotes doubled, when it holds
// a comma, a double quote, CR or LF; as it stands otherwise.
QString csvField(const QString& text);
// The fields joined by commas and ended by CR LF.
QString csvRecord(const QStringList& fields);

struct CsvRecord {
    int line = 0; // 1-based line of the text on which the record starts
    QStringList fields;
};

struct CsvTable {
    std::vector<CsvRecord> records;
    // The first place the text stops being RFC 4180; the records before it are kept.
    std::optional<CsvRecord> error; // its fields hold the one message
    QChar separator = u',';
};

// Splits RFC 4180 text into records. Lines may end in CR LF or LF; a quoted field may span
// lines. A spreadsheet that writes semicolons (as German ones do) is understood too: when
// the first line holds a semicolon and no comma, the semicolon separates the fields; when
// it holds neither but a tab, the tab does (a table copied out of a spreadsheet). A leading
// byte-order mark is dropped.
CsvTable readCsv(QString text);

} // namespace report
