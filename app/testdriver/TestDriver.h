#pragma once
// A remote control for tests: when VELTARA_TEST_DRIVER names a path, the
// program listens there on a Unix stream socket (mode 0600, removed when the
// driver goes) for one-line commands and answers each with one line of JSON
// (TestDriverCommands gives the commands).
//
// Threads: UI thread only; the sockets are served by its event loop and
// never waited on, so a slow or silent client cannot hold the window up. A
// client that sends an over-long line or leaves too many answers unread is
// dropped.
// Lifecycle: Listen() after the main window is created; the destructor
// closes every connection and removes the socket file.
#include "app/testdriver/TestDriverCommands.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class CDuiFrameWnd;
class QLocalServer;
class QLocalSocket;

class TestDriver : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kEnvironmentVariable = "VELTARA_TEST_DRIVER";
    static constexpr qint64 kMaxLine = 64 * 1024;
    static constexpr qint64 kMaxUnread = 4 * 1024 * 1024;

    TestDriver(CDuiFrameWnd& window, QString path);
    ~TestDriver() override;

    // False when the socket cannot be made (the reason goes to the log). A
    // stale socket file at the path is replaced; any other file is kept.
    bool Listen();
    const QString& path() const { return path_; }

private:
    // A listening socket at path with mode 0600 from the start; -1 on failure.
    static int ownerOnlySocket(const QByteArray& path);
    void accept();
    void serve(QLocalSocket* client);
    void serveAll();

    QString path_;
    QLocalServer* server_;
    // A command may wait for the page (dump); lines that arrive meanwhile
    // stay buffered until it has answered.
    bool executing_ = false;
    bool deferred_ = false;
    TestDriverCommands commands_;
};
