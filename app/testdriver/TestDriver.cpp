#include "app/testdriver/TestDriver.h"

#include "app/CDuiFrameWnd.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <cstdlib>
#include <cstring>

namespace {
bool isSocket(const QByteArray& path) {
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && S_ISSOCK(info.st_mode);
}
}  // namespace

TestDriver::TestDriver(CDuiFrameWnd& window, QString path)
    : path_(std::move(path)), server_(new QLocalServer(this)), commands_(window) {
    connect(server_, &QLocalServer::newConnection, this, &TestDriver::accept);
}

TestDriver::~TestDriver() {
    // Answers still buffered go out if the peer takes them now; none is waited for.
    for (QLocalSocket* client : server_->findChildren<QLocalSocket*>()) {
        client->flush();
        client->abort();
    }
    server_->close();
    const QByteArray file = path_.toLocal8Bit();
    if (isSocket(file)) ::unlink(file.constData());
}

bool TestDriver::Listen() {
    const QByteArray file = path_.toLocal8Bit();
    struct stat info {};
    if (::lstat(file.constData(), &info) == 0) {
        // The socket is moved into place, which would replace any file there.
        if (!S_ISSOCK(info.st_mode)) {
            qWarning().noquote() << "Test driver:" << path_ << "exists and is no socket";
            return false;
        }
        ::unlink(file.constData());  // left by an earlier run
    }
    const int fd = ownerOnlySocket(file);
    if (fd < 0 || !server_->listen(fd)) {
        if (fd >= 0) ::close(fd);
        qWarning().noquote() << "Test driver: cannot listen on" << path_;
        return false;
    }
    return true;
}

int TestDriver::ownerOnlySocket(const QByteArray& path) {
    // Bound and set to 0600 in a private folder beside the path, then moved
    // there: nobody can connect, or see other rights, before it is ready.
    const qsizetype slash = path.lastIndexOf('/');
    QByteArray folder = (slash < 0 ? QByteArray(".") : path.left(slash)) + "/.veltara-driver-XXXXXX";
    if (!::mkdtemp(folder.data())) return -1;
    const QByteArray temporary = folder + "/s";
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const bool fits = static_cast<size_t>(temporary.size()) < sizeof address.sun_path;
    if (fits) std::memcpy(address.sun_path, temporary.constData(), static_cast<size_t>(temporary.size()));
    const bool ready = fd >= 0 && fits &&
                       ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                       ::chmod(temporary.constData(), 0600) == 0 && ::listen(fd, SOMAXCONN) == 0 &&
                       ::rename(temporary.constData(), path.constData()) == 0;
    if (!ready) {
        if (fd >= 0) ::close(fd);
        fd = -1;
        ::unlink(temporary.constData());
    }
    ::rmdir(folder.constData());
    return fd;
}

void TestDriver::accept() {
    while (QLocalSocket* client = server_->nextPendingConnection()) {
        connect(client, &QLocalSocket::readyRead, this, [this, client] { serve(client); });
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        // Commands that came with the connection.
        if (client->bytesAvailable() > 0) serve(client);
    }
}

void TestDriver::serveAll() {
    for (QLocalSocket* client : server_->findChildren<QLocalSocket*>()) serve(client);
}

void TestDriver::serve(QLocalSocket* client) {
    if (executing_) {
        deferred_ = true;
        return;
    }
    const QPointer<QLocalSocket> alive(client);
    while (client->canReadLine()) {
        const QByteArray line = client->readLine(kMaxLine);
        // An over-long line, or a client that leaves its answers unread: dropped.
        if (!line.endsWith('\n') || client->bytesToWrite() > kMaxUnread) {
            client->abort();
            return;
        }
        executing_ = true;
        const QByteArray answer = commands_.Execute(QString::fromUtf8(line.chopped(1)));
        executing_ = false;
        if (deferred_) {
            deferred_ = false;
            QTimer::singleShot(0, this, &TestDriver::serveAll);
        }
        if (!alive) return;  // went while the command waited
        client->write(answer + '\n');
        client->flush();
    }
    if (client->bytesAvailable() > kMaxLine) client->abort();
}
