#pragma once
// The folder of one export, "<base>/<YYYY-MM-DD hh-mm-ss> <kind>" (the
// moment of the stretch, or of the export where the data has none), made new
// (never an existing one: a second export of the same second gets " (2)"
// and so on). The folder is held open from the moment it is made, and every
// file of it is made, read and removed through that descriptor, never
// through its path: a folder renamed away and replaced by a link while the
// export runs cannot steer a write or a removal into another folder.
//
// Threads: one owner; the descriptor may be used by the children it starts.
// One other thread may make subfolders and their files (subfolder(),
// createFile() into a subfolder) while the owner writes the top folder's
// files: the two touch separate lists; remove() only after that thread ends.
// Lifecycle: create() once; remove() on failure; the destructor only closes.
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

class EvidenceFolder {
public:
    EvidenceFolder() = default;
    ~EvidenceFolder();
    EvidenceFolder(const EvidenceFolder&) = delete;
    EvidenceFolder& operator=(const EvidenceFolder&) = delete;

    // base is made when missing. path(): the folder made, with a trailing '/'.
    bool create(const std::string& base, const std::string& kind, std::time_t now, std::string& reason);
    // The same with the name's moment given as a clock reading (seconds since
    // 1970 of the zone it is shown in, read as UTC).
    bool createAt(const std::string& base, const std::string& kind, int64_t clockSeconds, std::string& reason);
    const std::string& path() const { return path_; }
    int fd() const { return fd_; }

    // A new file of the folder (never an existing one, never through a link)
    // with the text; false with the reason.
    bool write(const std::string& name, std::string_view text, std::string& reason);
    // More text at the end of a file write() made (never another file, never through a link).
    bool append(const std::string& name, std::string_view text, std::string& reason);
    // Marks a file that a child makes in the folder, so that remove() takes it.
    void adopt(const std::string& name);
    // A new folder inside ("originals", "originals/Back"), each level made
    // with mkdirat and held open; -1 with the reason. The descriptor stays
    // the folder's own (closed by the destructor).
    int subfolder(const std::string& relative, std::string& reason);
    // A new file, O_EXCL and never through a link, in the top folder ("") or
    // one made by subfolder(), open for reading and writing; remove() takes
    // it. The caller closes it.
    int createFile(const std::string& relativeFolder, const std::string& name, std::string& reason);
    // True while the folder's path still leads to the folder written to.
    bool inPlace() const;
    // Removes the files this export made, through the descriptors, its
    // subfolders, and then the folder itself where its name still holds it
    // (an empty folder only).
    void remove();

private:
    bool createNamed(const std::string& base, const std::string& folder, std::string& reason);

    std::string path_;
    std::string name_;
    int base_ = -1;
    int fd_ = -1;
    std::vector<std::string> made_;
    struct Subfolder {
        std::string relative;  // from the top folder
        int parentFd = -1;
        std::string name;
        int fd = -1;
        std::vector<std::string> files;
    };
    std::vector<Subfolder> subfolders_;  // in the order made: parents first
};
