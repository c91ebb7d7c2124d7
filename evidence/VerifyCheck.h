#pragma once
// One line of an evidence folder's verification: what was checked, whether
// it holds, and why not. A verification is a list of these; it holds only
// when every line does.
#include <string>
#include <vector>

struct VerifyCheck {
    std::string subject; // the file or the part checked, e.g. "originals/0001F.MP4"
    bool holds = false;
    std::string detail; // what was found; the reason where it does not hold
};

using VerifyChecks = std::vector<VerifyCheck>;
