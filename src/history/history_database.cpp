#include "history/history_database.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

namespace history {

namespace {

// The history's layout. A later version adds its own tables behind these statements and
// raises user_version; the ones here stay as they are.
const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS changes ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " time TEXT NOT NULL,"
    " program TEXT NOT NULL,"
    " user TEXT NOT NULL,"
    " host TEXT NOT NULL,"
    " adapter TEXT NOT NULL,"
    " mac TEXT NOT NULL,"
    " ip TEXT NOT NULL,"
    " value TEXT NOT NULL,"
    " from_value TEXT NOT NULL,"
    " to_value TEXT NOT NULL,"
    " result TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS changes_by_value ON changes (mac, value, id)",
    // Version 2: every device a scan heard, by MAC, with its latest values. A value the
    // latest scan could not read (NULL) keeps the one read before.
    "CREATE TABLE IF NOT EXISTS inventory ("
    " mac TEXT PRIMARY KEY,"
    " first_seen TEXT NOT NULL,"
    " last_seen TEXT NOT NULL,"
    " ip TEXT NOT NULL,"
    " netmask TEXT,"
    " gateway TEXT,"
    " dhcp TEXT NOT NULL,"
    " type INTEGER NOT NULL,"
    " type_name TEXT,"
    " revision TEXT NOT NULL,"
    " adapter TEXT NOT NULL,"
    " host TEXT NOT NULL)",
    "PRAGMA user_version = 2",
};
constexpr int kSchemaVersion = 2;

// SQLite's own codes for another process holding the file: no reason to set it aside.
bool isBusy(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    return code == QLatin1String("5") || code == QLatin1String("6");
}

QString describe(const QSqlError& error) {
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("unknown error") : text;
}

} // namespace

QString defaultHistoryPath() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/Kestrelwald/TorvaneScan/history.sqlite");
}

HistoryDatabase::HistoryDatabase(const QString& path, Reporter given)
    : file(path), reporter(std::move(given)) {
    static std::atomic<int> instances{0};
    connectionName = QStringLiteral("torvane-history-%1").arg(++instances);
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) {
        reporter(QStringLiteral("The change history cannot be kept: the folder %1 cannot be "
                                "created; changes go on without it")
                     .arg(QFileInfo(file).absolutePath()));
        return;
    }
    QString error;
    if (openAndPrepare(&error)) {
        usable = true;
        return;
    }
    if (error.isEmpty()) // busy: another program is writing; the file is sound
        return;
    QString aside;
    if (!setAside(&aside)) {
        reporter(QStringLiteral("The change history %1 is damaged (%2) and cannot be set "
                                "aside; changes go on without it")
                     .arg(file, error));
        return;
    }
    QString fresh;
    usable = openAndPrepare(&fresh);
    if (usable)
        reporter(QStringLiteral("The change history %1 was damaged (%2); it was set aside as "
                                "%3 and a new one begun")
                     .arg(file, error, aside));
    else
        reporter(QStringLiteral("The change history %1 was damaged (%2) and set aside as %3, "
                                "but a new one cannot be begun (%4); changes go on without it")
                     .arg(file, error, aside, fresh.isEmpty() ? QStringLiteral("busy") : fresh));
}

HistoryDatabase::~HistoryDatabase() {
    closeConnection();
}

bool HistoryDatabase::openAndPrepare(QString* error) {
    closeConnection();
    database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    if (!database.isValid()) {
        *error = QStringLiteral("the SQLite driver of Qt is not installed");
        return false;
    }
    database.setDatabaseName(file);
    database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!database.open()) {
        *error = describe(database.lastError());
        return false;
    }
    QSqlQuery query(database);
    // quick_check reads every page, so a damaged file is found here and not at the first
    // change; the history stays small enough for that.
    const auto run = [&](const QString& statement) {
        if (query.exec(statement))
            return true;
        if (isBusy(query.lastError())) {
            reporter(QStringLiteral("The change history %1 is held by another program for "
                                    "longer than %2 ms; changes go on without it")
                         .arg(file)
                         .arg(kBusyTimeoutMs));
            error->clear();
        } else {
            *error = describe(query.lastError());
        }
        return false;
    };
    if (!run(QStringLiteral("PRAGMA journal_mode = WAL")) ||
        !run(QStringLiteral("PRAGMA synchronous = FULL")) ||
        !run(QStringLiteral("PRAGMA quick_check")))
        return false;
    if (query.next() && query.value(0).toString() != QLatin1String("ok")) {
        *error = QStringLiteral("integrity check: ") + query.value(0).toString();
        return false;
    }
    // A later version's tables may mean something this one would write wrongly.
    if (!run(QStringLiteral("PRAGMA user_version")))
        return false;
    if (const int version = query.next() ? query.value(0).toInt() : 0; version > kSchemaVersion) {
        *error = QStringLiteral("it was written by a later version of the program, layout %1 "
                                "where this one knows %2")
                     .arg(version)
                     .arg(kSchemaVersion);
        return false;
    }
    for (const char* statement : kSchema) {
        if (!run(QString::fromLatin1(statement)))
            return false;
    }
    return true;
}

bool HistoryDatabase::setAside(QString* asideName) {
    closeConnection();
    const QString suffix = QStringLiteral(".damaged-") + QDateTime::currentDateTimeUtc().toString(
                                                             QStringLiteral("yyyyMMddThhmmsszzzZ"));
    *asideName = file + suffix;
    if (QFileInfo::exists(file) && !QFile::rename(file, *asideName) &&
        !QDir().rename(file, *asideName))
        return false;
    // The write-ahead log belongs to the file set aside; left behind, it would be applied to
    // the fresh one.
    for (const QString& companion : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFileInfo::exists(file + companion))
            QFile::rename(file + companion, *asideName + companion);
    }
    return true;
}

void HistoryDatabase::closeConnection() {
    if (!database.isValid())
        return;
    database.close();
    database = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName);
}

void HistoryDatabase::reportFailure(const QString& what, const QString& error) {
    if (failureReported)
        return;
    failureReported = true;
    reporter(QStringLiteral("The change history %1 could not %2 (%3); changes go on, and "
                            "further failures of the history are not reported")
                 .arg(file, what, error));
}

} // namespace history
