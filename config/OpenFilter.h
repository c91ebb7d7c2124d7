#pragma once
// The file filter of the open dialog, built from the language's description
// ("IDS_FILTER") and the configured patterns ("Filter", separated by ';').
// The texts grow as needed: nothing is cut and nothing can overflow (both
// inputs are at most 254 characters as read).
//
// Threads: a plain value.
#include <string>
#include <string_view>
#include <vector>

class OpenFilter {
public:
    static constexpr std::string_view kDefaultPattern = "*.mp4";

    OpenFilter() : OpenFilter({}, kDefaultPattern) {}
    OpenFilter(std::string_view description, std::string_view filterValue);

    // The description with the stored value: "Video files (*.mp4;*.mov)".
    const std::string& description() const { return description_; }
    // The stored value as it stands: "*.mp4;*.mov".
    const std::string& pattern() const { return pattern_; }
    // The patterns of the value, empty pieces skipped; the default pattern
    // when the value holds none.
    const std::vector<std::string>& patterns() const { return patterns_; }
    // For dialogs that separate patterns by blanks: "Video files (*.mp4 *.mov)".
    std::string nameFilter() const;

private:
    std::string label_;
    std::string description_;
    std::string pattern_;
    std::vector<std::string> patterns_;
};
