#include "cli/watch_event.h"

#include "report/difference_writer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace cli {

namespace {

QString timeText(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QString tableLine(const QString& time, const QString& event, const QString& mac, const QString& ip,
                  const QString& details) {
    QString line = time.leftJustified(26) + event.leftJustified(14) + mac.leftJustified(19) +
                   ip.leftJustified(17) + details;
    // Control characters of a device's revision must not move the cursor.
    for (QChar& ch : line) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
            ch = u'?';
    }
    return line.trimmed() + u'\n';
}

} // namespace

QString eventJson(const WatchEvent& event) {
    const WatchChange& change = event.change;
    QJsonObject object{{QStringLiteral("time"), timeText(event.time)},
                       {QStringLiteral("event"), watchKindName(change.kind)},
                       {QStringLiteral("mac"), change.mac},
                       {QStringLiteral("ip"), change.ip},
                       {QStringLiteral("adapter"), event.adapter}};
    if (change.kind == WatchChange::Kind::Changed)
        object.insert(QStringLiteral("changes"), report::changesJson(change.changes));
    if (change.kind == WatchChange::Kind::DuplicateIp)
        object.insert(QStringLiteral("shared_with"), QJsonArray::fromStringList(change.sharedWith));
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString eventTableHeading() {
    return tableLine(QStringLiteral("TIME"), QStringLiteral("EVENT"), QStringLiteral("MAC"),
                     QStringLiteral("IP"), QStringLiteral("CHANGES"));
}

QString eventTableLine(const WatchEvent& event) {
    const WatchChange& change = event.change;
    QString details = report::changesText(change.changes);
    if (change.kind == WatchChange::Kind::DuplicateIp)
        details = QStringLiteral("also at this address: ") + change.sharedWith.join(u' ');
    return tableLine(timeText(event.time), watchKindName(change.kind), change.mac, change.ip,
                     details);
}

} // namespace cli
