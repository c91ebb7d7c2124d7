#include "config/OpenFilter.h"

OpenFilter::OpenFilter(std::string_view description, std::string_view filterValue)
    : label_(description), pattern_(filterValue) {
    description_ = label_ + "(" + pattern_ + ")";
    size_t start = 0;
    while (start <= filterValue.size()) {
        size_t end = filterValue.find(';', start);
        if (end == std::string_view::npos) end = filterValue.size();
        std::string_view piece = filterValue.substr(start, end - start);
        while (!piece.empty() && piece.front() == ' ') piece.remove_prefix(1);
        while (!piece.empty() && piece.back() == ' ') piece.remove_suffix(1);
        if (!piece.empty()) patterns_.emplace_back(piece);
        start = end + 1;
    }
    if (patterns_.empty()) patterns_.emplace_back(kDefaultPattern);
}

std::string OpenFilter::nameFilter() const {
    std::string text = label_ + "(";
    for (size_t i = 0; i < patterns_.size(); ++i) {
        if (i > 0) text += ' ';
        text += patterns_[i];
    }
    return text + ")";
}
