// The extraction socket: one message per receive, oversized messages fail,
// the end of the stream is seen, and socket files never collide or linger.
#include "platform/FileSystem.h"
#include "platform/SeqPacketServer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstring>
#include <string>

using platform::SeqPacketServer;
using namespace std::chrono_literals;

namespace {

int connectTo(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void sendText(int fd, const std::string& text) {
    ASSERT_EQ(::send(fd, text.data(), text.size(), 0), ssize_t(text.size()));
}

}  // namespace

TEST(SeqPacketServer, MessagesArriveWholeAndOneAtATime) {
    testing_support::TempFolder tmp;
    SeqPacketServer server;
    const std::string path = tmp.path() + "sock";
    ASSERT_EQ(server.listen(path), 0);
    EXPECT_EQ(server.accept(20ms), SeqPacketServer::Wait::TimedOut);

    const int client = connectTo(path);
    ASSERT_GE(client, 0);
    ASSERT_EQ(server.accept(1s), SeqPacketServer::Wait::Ready);
    EXPECT_EQ(server.waitReadable(20ms), SeqPacketServer::Wait::TimedOut);
    EXPECT_EQ(server.available(), 0);

    char buffer[2048];
    size_t length = 0;
    using R = SeqPacketServer::Receive;
    EXPECT_EQ(server.receive(buffer, sizeof buffer, length), R::Empty);
    sendText(client, "first");
    sendText(client, std::string(1024, 'a'));  // the largest that is still read
    sendText(client, std::string(1025, 'b'));  // over the limit: a failed read
    sendText(client, "after");
    ASSERT_EQ(server.waitReadable(1s), SeqPacketServer::Wait::Ready);
    EXPECT_EQ(server.available(), 5 + 1024 + 1025 + 5);
    ASSERT_EQ(server.receive(buffer, sizeof buffer, length), R::Message);
    EXPECT_EQ(std::string(buffer, length), "first");
    EXPECT_EQ(server.receive(buffer, sizeof buffer, length), R::Message);
    EXPECT_EQ(length, 1024u);
    EXPECT_EQ(server.receive(buffer, sizeof buffer, length), R::Failed);
    // The oversized message is gone whole; the next one is intact.
    ASSERT_EQ(server.receive(buffer, sizeof buffer, length), R::Message);
    EXPECT_EQ(std::string(buffer, length), "after");
    EXPECT_EQ(server.receive(buffer, sizeof buffer, length), R::Empty);

    // Messages sent before the client went are still read, then the end.
    sendText(client, "last");
    ::close(client);
    EXPECT_EQ(server.waitReadable(1s), SeqPacketServer::Wait::Ready);
    ASSERT_EQ(server.receive(buffer, sizeof buffer, length), R::Message);
    EXPECT_EQ(std::string(buffer, length), "last");
    EXPECT_EQ(server.waitReadable(1s), SeqPacketServer::Wait::Ready);
    EXPECT_EQ(server.available(), 0);
    EXPECT_EQ(server.receive(buffer, sizeof buffer, length), R::Ended);
}

TEST(SeqPacketServer, FileIsReplacedOnListenAndRemovedOnClose) {
    testing_support::TempFolder tmp;
    const std::string path = tmp.write("sock", "stale");
    {
        SeqPacketServer server;
        ASSERT_EQ(server.listen(path), 0);
        EXPECT_TRUE(platform::pathExists(path));
        server.close();
        EXPECT_FALSE(platform::pathExists(path));
        ASSERT_EQ(server.listen(path), 0);  // the same name again at once
    }
    EXPECT_FALSE(platform::pathExists(path));

    SeqPacketServer server;
    EXPECT_EQ(server.listen(tmp.path() + std::string(200, 'x')), ENAMETOOLONG);
    EXPECT_EQ(server.listen(tmp.path() + "missing/sock"), ENOENT);
    EXPECT_FALSE(server.listening());
    EXPECT_EQ(server.accept(0ms), SeqPacketServer::Wait::Failed);
}

TEST(SeqPacketServer, UniqueNamesCarryThePidAndNeverRepeat) {
    const std::string a = SeqPacketServer::uniqueName("DVRFFMpegPipe");
    const std::string b = SeqPacketServer::uniqueName("DVRFFMpegPipe");
    EXPECT_NE(a, b);
    EXPECT_EQ(a.rfind("DVRFFMpegPipe." + std::to_string(::getpid()) + ".", 0), 0u);
}

TEST(SeqPacketServer, OnlyTheExpectedPeerGetsInAndFilesOfGoneProcessesAreSwept) {
    testing_support::TempFolder tmp;
    SeqPacketServer server;
    const std::string path = tmp.path() + "sock";
    ASSERT_EQ(server.listen(path), 0);
    server.acceptOnly(::getpid() + 100000);  // some other process: we are a stranger
    const int stranger = connectTo(path);
    ASSERT_GE(stranger, 0);
    EXPECT_EQ(server.accept(1s), SeqPacketServer::Wait::TimedOut);
    EXPECT_FALSE(server.connected());
    char byte;
    EXPECT_EQ(::recv(stranger, &byte, 1, 0), 0);  // closed on it
    ::close(stranger);
    server.acceptOnly(::getpid());
    const int own = connectTo(path);
    EXPECT_EQ(server.accept(1s), SeqPacketServer::Wait::Ready);
    ::close(own);
    server.close();

    // Left by a SIGKILL: removed when its process is gone, kept otherwise.
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const auto leave = [&](const std::string& name) {
        SeqPacketServer left;
        ASSERT_EQ(left.listen(tmp.path() + "x"), 0);
        ::rename((tmp.path() + "x").c_str(), (tmp.path() + name).c_str());  // so close() leaves it
    };
    const std::string dead = "P." + std::to_string(gone) + ".1", mine = "P." + std::to_string(::getpid()) + ".2";
    leave(dead);
    leave(mine);
    leave("P.1.3");
    tmp.write("P." + std::to_string(gone) + ".4", "not a socket");
    SeqPacketServer::removeStale(tmp.path(), "P");
    EXPECT_FALSE(platform::pathExists(tmp.path() + dead));
    EXPECT_TRUE(platform::pathExists(tmp.path() + mine));
    EXPECT_TRUE(platform::pathExists(tmp.path() + "P.1.3"));
    EXPECT_TRUE(platform::pathExists(tmp.path() + "P." + std::to_string(gone) + ".4"));
}
