#pragma once
// The interface languages: one language file of conf/sysconfig/ per row, in
// the order the settings window lists them. A row's index is how a choice in
// that list maps back to its file. Display names are each language's own
// name in its own script, so anyone finds theirs; they begin with one blank.
#include <span>
#include <string_view>

struct LanguageRow {
    std::string_view fileName;
    std::string_view displayName;
};

class LanguageTable {
public:
    static std::span<const LanguageRow> rows();
    // The row whose file name equals fileName exactly, or -1.
    static int indexOf(std::string_view fileName);
};
