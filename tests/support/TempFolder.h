#pragma once
// A fresh folder under the system's temporary folder, removed with all its
// contents when the object goes.
#include <string>

namespace testing_support {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Ends in "/".
    const std::string& path() const { return path_; }
    // Writes a file below the folder (creating the folders on the way) and
    // returns its full path.
    std::string write(const std::string& relative, const std::string& contents) const;
    std::string read(const std::string& relative) const;

private:
    std::string path_;
};

}  // namespace testing_support
