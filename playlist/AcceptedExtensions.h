#pragma once
// Which files are media files: decided by the extension alone (the text
// after the last "." of the name), against the list built from the
// configured "Associate" value. Only extensions of the fixed media table
// may be in the list; each stays as the user wrote it.
//
// Threads: UI thread. Built once when the view is set up, read afterwards.
#include <array>
#include <string>
#include <string_view>
#include <vector>

class ConfigStore;

class AcceptedExtensions {
public:
    static constexpr std::array<std::string_view, 11> kMediaExtensions = {"wmv",  "avi", "rm",  "rmvb", "mp4", "mpg",
                                                                          "mpeg", "vob", "mkv", "mov",  "mod"};
    static constexpr std::string_view kDefaultValue = "MP4";
    static constexpr std::string_view kKey = "Associate";

    // Reads "Associate"; an empty or missing value becomes "MP4" and is
    // written back. Replaces the list.
    void Load(const ConfigStore& store);
    // The pieces of value between ";" (empty ones skipped) that name a media
    // extension, letter case ignored; repeats are kept.
    void Parse(std::string_view value);

    // Letter case ignored. An empty extension is never accepted.
    bool IsAccepted(std::string_view extension) const;
    // IsAccepted of the file name's extension; a name without "." has none.
    bool IsMediaFileName(std::string_view name) const;
    const std::vector<std::string>& Items() const { return items_; }

    // The text after the last "." of a file name, empty when there is none.
    static std::string_view ExtensionOf(std::string_view name);

private:
    std::vector<std::string> items_;
};
