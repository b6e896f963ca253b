#pragma once

#include "engine/log_sink.h"

#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>

namespace statelog {

// The state window's lines, without the window: the whole program logs here.
// The window shows them through the signals.
class LogBuffer : public QObject, public engine::LogSink {
    Q_OBJECT
public:
    enum TEntry { entryTimestamped = 0, entryIndented = 1, entryOnly = 2 };

    explicit LogBuffer(QObject* parent = nullptr);

    void logString(const QString& entry, int entryType);
    void logStringWithTime(const QString& entry) override;
    void logStringWithIndent(const QString& entry) override;
    void logStringOnly(const QString& entry) override;
    void scrollToEnd();

    void clear();
    const QStringList& lines() const { return logLines; }
    qint32 maxLines() const { return maximum; }
    void setMaxLines(qint32 value) { maximum = value; }

    // The local time in the user's long time format, without a date.
    static QString timeStamp();
    // The locale's long time format with its time zone part left out.
    static QString timeStampFormat(const QLocale& locale);

signals:
    void lineAppended(const QString& line);
    void firstLineRemoved();
    void cleared();

private:
    void append(const QString& line);
    QStringList logLines{QString()}; // the view starts with one empty line
    qint32 maximum = 1000;
};

} // namespace statelog
