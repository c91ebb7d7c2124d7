#pragma once
// Files handed from a second start of the program to the running one. The
// running program listens on "OrselyZemtaOpen" in the private runtime folder
// (next to the single-instance lock, mode 0600, only our own user's
// processes are heard); a second start with files connects, writes each
// absolute path followed by a NUL byte and one more NUL at the end, and
// waits for "ok". The running window takes the paths as a drop.
//
// Threads: UI thread (Listen, the receiver); Send runs in the second start
// before any Qt object exists. Lifecycle: created by main once the lock is
// held and the window exists; the destructor removes the socket file.
#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

class InstanceHandover : public QObject {
    Q_OBJECT
public:
    using Receiver = std::function<void(const QStringList& paths)>;

    static constexpr const char* kSocketName = "OrselyZemtaOpen";
    static constexpr qint64 kMaxMessage = 1 << 20;
    static constexpr int kMaxPaths = 10000;

    // runtimeFolder ends in "/".
    InstanceHandover(const std::string& runtimeFolder, Receiver receiver);
    ~InstanceHandover() override;

    // False when the socket cannot be made. Only the lock's holder listens,
    // so a socket file left by an earlier run is replaced; any other kind of
    // file there is kept and nothing listens.
    bool Listen();

    // The second start's side: true when the running program took the paths.
    static bool Send(const std::string& runtimeFolder, const std::vector<std::string>& paths, int timeoutMs);

    // The absolute paths of one complete message; false while it is incomplete.
    static bool Decode(const QByteArray& message, QStringList& paths);

private:
    void accept();
    void read(QLocalSocket* client);
    static bool fromOurUser(const QLocalSocket* client);

    QByteArray path_;
    QLocalServer* server_;
    Receiver receiver_;
};
