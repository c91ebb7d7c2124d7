#pragma once
// Files handed from a second start of the program to the running one. The
// running program listens on "OrselyZemtaOpen" in the private runtime folder
// (next to the single-instance lock, mode 0600, only our own user's
// processes are heard); a second start with files connects, writes each
// absolute path followed by a NUL byte and one more NUL at the end, and
// waits for "ok". The running window takes the paths as a drop.
//
// Whatever the peers do, the socket stays there for the next start: at most
// kMaxClients connections are held (a new one pushes out the one idle
// longest), each is dropped after kIdleMs without data, all of them together
// hold at most kByteBudget bytes, and any failed accept (out of descriptors
// included) is got over without closing the socket; the listening socket is
// made again when it stops working.
//
// Threads: UI thread (Listen, the receiver); Send runs in the second start
// before any Qt object exists. Lifecycle: created by main once the lock is
// held and the window exists; the destructor removes the socket file.
#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;
class QTimer;

class InstanceHandover : public QObject {
    Q_OBJECT
public:
    using Receiver = std::function<void(const QStringList& paths)>;

    static constexpr const char* kSocketName = "OrselyZemtaOpen";
    static constexpr qint64 kMaxMessage = 1 << 20;
    static constexpr int kMaxPaths = 10000;
    static constexpr size_t kMaxClients = 16;
    static constexpr int kIdleMs = 2000;
    static constexpr qint64 kByteBudget = 2 * kMaxMessage;

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
    struct Client {
        QSocketNotifier* notifier = nullptr;  // owned by this object
        QByteArray message;
        std::chrono::steady_clock::time_point lastData;
    };

    bool listenSocket();
    void closeListener();
    void accept();
    void read(int fd);
    void drop(int fd);
    void dropIdle();
    qint64 heldBytes() const;
    static bool fromOurUser(int fd);

    QByteArray path_;
    Receiver receiver_;
    int listener_ = -1;
    int spare_ = -1;  // given up for a moment to take a connection when out of descriptors
    QSocketNotifier* listenNotifier_ = nullptr;
    QTimer* idleTimer_;
    std::map<int, Client> clients_;
};
