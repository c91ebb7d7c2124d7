#pragma once
// Hostile clips for the program tests: text files named .mp4 that hold an
// M3U or HLS playlist, an EDL list or a concat list (each naming a network
// address and a local file), a file whose contents, and one whose name, look
// like protocol lines, noise, a FIFO; and the bait that tells whether any of
// them made anything reach out: a loopback listener and a watched file.
//
// Threads: the test's own thread.
#include <sys/types.h>
#include <cstdint>
#include <string>
#include <vector>

namespace hostile_files {

// The same bytes every run, every value 0..255 among them.
std::string noise(size_t size, uint32_t seed);

// The FIFO among the hostile clips (its open blocks until a writer comes).
inline constexpr const char* kFifoName = "g_fifo.mp4";

class Bait {
public:
    // Makes folder/secret.mp4, watched for opens, and a listener on 127.0.0.1.
    explicit Bait(const std::string& folder);
    ~Bait();
    Bait(const Bait&) = delete;
    Bait& operator=(const Bait&) = delete;

    const std::string& secretFile() const { return secret_; }
    std::string url(const std::string& name) const;
    // Connections taken so far (each is closed at once).
    int connections();
    // Opens of the secret file so far.
    int opens();

private:
    std::string secret_;
    int listener_ = -1;
    int port_ = 0;
    int inotify_ = -1;
    int connections_ = 0;
    int opens_ = 0;
};

// Writes the hostile clips into folder (created), their names starting with
// `prefix`; the FIFO only withFifo. Returns the names in their sort order.
std::vector<std::string> writeHostileClips(const std::string& folder, const Bait& bait, const std::string& prefix,
                                           bool withFifo = true);
// A playable clip with a camera track; "" or ffmpeg's complaint.
std::string writeGoodClip(const std::string& path, double seconds);

// A socket file at path that nobody listens on any more, as a killed
// process leaves it; "" or what failed.
std::string leaveSocketFile(const std::string& path);
// The id of a process that has ended and been reaped.
pid_t goneProcessId();
// "name pid" of each zombie child of the process, one a line.
std::string zombiesOf(pid_t parent);
// The socket files below the folder, one a line.
std::string socketsIn(const std::string& folder);
// The track tool copied into folder with an FFMpeg/ffmpeg beside it that
// never connects and ignores its "q"; "" or what failed.
std::string toolWithHangingConverter(const std::string& folder);

}  // namespace hostile_files
