#pragma once
// The listening end of a Unix-domain SOCK_SEQPACKET socket that takes one
// client: the stand-in for a message-mode named pipe. Each message the client
// sends arrives whole with one receive.
//
// Threads: one thread at a time uses an object. The extractor creates and
// binds it on the UI thread before it starts its pipe thread, the pipe thread
// then accepts and reads, and the UI thread closes it again only after it has
// joined that thread. Every wait has a time limit, so the caller can look at
// its own stop flag between waits.
// Lifecycle: listen() removes a stale file of the same name and binds; close()
// (and the destructor) closes both descriptors and removes the socket file.
#include <chrono>
#include <cstddef>
#include <string>
#include <sys/types.h>

namespace platform {

class SeqPacketServer {
public:
    // Longer messages count as a failed read.
    static constexpr size_t kMaxMessage = 1024;

    enum class Wait { Ready, TimedOut, Failed };

    SeqPacketServer() = default;
    ~SeqPacketServer();
    SeqPacketServer(const SeqPacketServer&) = delete;
    SeqPacketServer& operator=(const SeqPacketServer&) = delete;

    // A socket name of its own for each call: "<prefix>.<pid>.<serial>", so
    // two processes, or two extractors of one process, never share one.
    static std::string uniqueName(const std::string& prefix);

    // Removes the socket files "<prefix>.<pid>.<serial>" in the folder whose
    // process is gone (a run ended by SIGKILL leaves its file behind).
    static void removeStale(const std::string& folder, const std::string& prefix);

    // Returns 0 or the errno of the failure (ENAMETOOLONG when the path does
    // not fit into a socket address).
    int listen(const std::string& path);
    bool listening() const { return listen_ >= 0; }
    bool connected() const { return client_ >= 0; }
    const std::string& path() const { return path_; }

    // From now on only a client in this process is accepted (0: any); a
    // connection from any other process is closed at once and the wait goes on.
    void acceptOnly(pid_t pid) { peer_ = pid; }
    // Waits up to the limit for the client to connect and accepts it.
    Wait accept(std::chrono::milliseconds limit);
    // Waits up to the limit for a message or the end of the stream.
    Wait waitReadable(std::chrono::milliseconds limit);
    // Bytes queued, all messages together, without taking any (0 when none
    // is); -1 when nobody is connected or the query fails.
    int available() const;
    enum class Receive {
        Message,  // one message was taken; its length is in `length`
        Empty,    // none is queued now
        Ended,    // the client has closed its end and everything was read
        Failed,   // the read failed, or the message was over kMaxMessage
                  // bytes (or over `size`); such a message is dropped whole
    };
    // Takes one message into the buffer without waiting. A zero-length
    // message cannot be told from the end and counts as the end.
    Receive receive(char* buffer, size_t size, size_t& length);

    // Closes the client and the listening socket and removes the file.
    void close();

private:
    int listen_ = -1;
    int client_ = -1;
    pid_t peer_ = 0;
    std::string path_;
};

}  // namespace platform
