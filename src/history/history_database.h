#pragma once

#include <QSqlDatabase>
#include <QString>

#include <functional>

namespace history {

// The change history's database file in the user's data folder:
// $XDG_DATA_HOME/Kestrelwald/TorvaneScan/history.sqlite (~/.local/share without it).
QString defaultHistoryPath();

// One connection to the history, shared by the window and the command line, several
// processes at a time: WAL, a busy timeout, every write its own transaction. A file that is
// damaged or cannot be opened is set aside (renamed with a suffix) and a fresh one begun;
// when even that fails, the history is unavailable and the program goes on without it.
// Every problem is reported once, through the reporter, as one sentence.
class HistoryDatabase {
public:
    using Reporter = std::function<void(const QString& problem)>;

    // How long a write waits for another process holding the file.
    static constexpr int kBusyTimeoutMs = 5000;

    HistoryDatabase(const QString& path, Reporter reporter);
    ~HistoryDatabase();
    HistoryDatabase(const HistoryDatabase&) = delete;
    HistoryDatabase& operator=(const HistoryDatabase&) = delete;

    bool available() const { return usable; }
    QSqlDatabase& connection() { return database; }
    const QString& path() const { return file; }
    // A write or read failed after the opening: reported the first time only.
    void reportFailure(const QString& what, const QString& error);

private:
    bool openAndPrepare(QString* error);
    bool setAside(QString* asideName);
    void closeConnection();

    QString file;
    Reporter reporter;
    QString connectionName;
    QSqlDatabase database;
    bool usable = false;
    bool failureReported = false;
};

} // namespace history
