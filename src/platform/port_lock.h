#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {

// Keeps the programs of this family (the window and the command line) off one UDP port of
// one network namespace while one of them works on it: two programs on one port take each
// other's answers. An exclusive lock (flock) on a file named after the port and the network
// namespace, which also tells who holds it. The system releases the lock when its holder
// ends, however it ends, so a lock left by a dead process never blocks.
class PortLock {
public:
    enum class Outcome {
        Held,        // this program holds the port
        InUse,       // another program holds it; holder() says who
        Unavailable, // the lock file cannot be used; failure() says why
    };

    // The lock file lives in folder, which is created when missing.
    PortLock(const QString& folder, quint16 port);
    ~PortLock();
    PortLock(const PortLock&) = delete;
    PortLock& operator=(const PortLock&) = delete;

    // Takes the lock, trying for up to waitMs. While it is held, a further call only
    // rewrites what the program is doing. program and activity are single words.
    Outcome acquire(const QString& program, const QString& activity, int waitMs);
    void release();
    bool held() const { return holding; }

    // After InUse: "torvanescan (pid 4711, scanning)", as the holder wrote it.
    QString holder() const { return holderText; }
    QString failure() const { return failureText; }
    quint16 port() const { return portNumber; }
    QString filePath() const { return path; }

    // $XDG_RUNTIME_DIR when it is set to an absolute folder, else the settings folder.
    static QString folderFor(const QString& settingsFolder);

private:
    bool openFile();
    bool writeHolder(const QString& program, const QString& activity);
    QString readHolder() const;

    QString path;
    quint16 portNumber;
    int fd = -1;
    bool holding = false;
    QString holderText;
    QString failureText;
};

// "UDP port 55808 is in use by torvanescan (pid 4711, scanning)".
QString portInUseText(quint16 port, const QString& holder);

} // namespace platform
