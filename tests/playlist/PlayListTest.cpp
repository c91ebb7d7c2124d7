// The playlist model: duplicates, removal and the current entry, and the
// order of names.
#include "playlist/CPlayList.h"
#include "playlist/Utf16NameOrder.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

CPlayList listOf(int count, int current) {
    CPlayList list;
    for (int i = 0; i < count; ++i) list.AddEntry("/c/" + std::to_string(i) + ".mp4", std::to_string(i) + ".mp4");
    list.SetCurrent(current);
    return list;
}

std::vector<std::string> namesOf(const CPlayList& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.GetCount(); ++i) names.push_back(list.GetEntryAt(i)->name);
    return names;
}

std::string utf8(char32_t cp) {
    std::string s;
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (cp >> 18));
        s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
}

std::u16string utf16(char32_t cp) {
    if (cp < 0x10000) return std::u16string(1, static_cast<char16_t>(cp));
    const char32_t v = cp - 0x10000;
    return {static_cast<char16_t>(0xD800 + (v >> 10)), static_cast<char16_t>(0xDC00 + (v & 0x3FF))};
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

}  // namespace

TEST(PlayList, PathsAreUniqueWithoutRegardToAsciiCase) {
    CPlayList list;
    EXPECT_EQ(list.AddEntry("/clips/A.MP4", "A.MP4"), 0);
    EXPECT_EQ(list.AddEntry("/CLIPS/a.mp4", "a.mp4"), -1);
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.FindByPath("/Clips/a.Mp4"), 0);
    EXPECT_EQ(list.FindByPath("/clips/b.mp4"), -1);
    // Only ASCII letters are folded: these are two files.
    EXPECT_EQ(list.AddEntry("/clips/\xC3\x89t\xC3\xA9.mp4", "\xC3\x89t\xC3\xA9.mp4"), 1);
    EXPECT_EQ(list.AddEntry("/clips/\xC3\xA9t\xC3\xA9.mp4", "\xC3\xA9t\xC3\xA9.mp4"), 2);
    // A removed path can come back.
    ASSERT_TRUE(list.Remove(0));
    EXPECT_EQ(list.FindByPath("/clips/A.MP4"), -1);
    EXPECT_EQ(list.AddEntry("/clips/a.mp4", "a.mp4"), 2);
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetCurrent(), -1);
    EXPECT_EQ(list.AddEntry("/clips/A.MP4", "A.MP4"), 0);
}

TEST(PlayList, RemoveKeepsTheCurrentFileOrMovesToTheNewLast) {
    struct Case {
        int count, current, index;
        bool result;
        int currentAfter, countAfter;
    };
    const Case cases[] = {
        {0, -1, 0, true, -1, 0},   // empty: nothing to do
        {0, -1, -5, true, -1, 0},  // empty, any index
        {3, 1, 3, false, 1, 3},    // outside
        {3, 1, -1, false, 1, 3},   // outside
        {3, 1, 0, true, 0, 2},     // above the current entry: same file, one lower
        {3, 1, 2, true, 1, 2},     // below it: unchanged
        {3, 1, 1, true, 1, 2},     // the current entry, not last: its successor
        {3, 2, 2, true, 1, 2},     // the current last entry: the new last
        {1, 0, 0, true, -1, 0},    // the only entry
        {3, -1, 1, true, -1, 2},   // no current entry stays none
    };
    for (const Case& c : cases) {
        CPlayList list = listOf(c.count, c.current);
        EXPECT_EQ(list.Remove(c.index), c.result) << c.count << "/" << c.current << "/" << c.index;
        EXPECT_EQ(list.GetCurrent(), c.currentAfter) << c.count << "/" << c.current << "/" << c.index;
        EXPECT_EQ(list.GetCount(), c.countAfter);
    }
}

TEST(PlayList, CurrentAndPathsOutsideTheListAreRefused) {
    CPlayList list = listOf(2, 1);
    list.SetCurrent(2);
    EXPECT_EQ(list.GetCurrent(), -1);
    list.SetCurrent(-7);
    EXPECT_EQ(list.GetCurrent(), -1);
    std::string path = "kept";
    EXPECT_FALSE(list.GetPathAt(2, path));
    EXPECT_FALSE(list.GetPathAt(-1, path));
    EXPECT_EQ(path, "kept");
    EXPECT_TRUE(list.GetPathAt(1, path));
    EXPECT_EQ(path, "/c/1.mp4");
    EXPECT_EQ(list.GetEntryAt(2), nullptr);
}

TEST(PlayList, SortsByUtf16CodeUnits) {
    CPlayList list;
    const std::string emoji = utf8(0x1F697);     // beyond U+FFFF: a surrogate pair
    const std::string fullwidth = utf8(0xFF21);  // U+E000..U+FFFF: after the pair in UTF-16, before it in UTF-8
    const std::string hangul = utf8(0xD7A3);     // just below the surrogates
    const std::string names[] = {"a.mp4",        "Z.mp4",         "9.mp4",       "10.mp4", "_x.mp4", fullwidth + ".mp4",
                                 emoji + ".mp4", hangul + ".mp4", "\xC3\xA9.mp4"};
    for (const std::string& name : names) list.AddEntry("/d/" + name, name);
    list.SortByName();
    const std::vector<std::string> expected = {"10.mp4",        "9.mp4",        "Z.mp4",
                                               "_x.mp4",        "a.mp4",        "\xC3\xA9.mp4",
                                               hangul + ".mp4", emoji + ".mp4", fullwidth + ".mp4"};
    EXPECT_EQ(namesOf(list), expected);
}

TEST(PlayList, EqualNamesOfTwoFoldersHaveAFixedOrder) {
    CPlayList a, b;
    a.AddEntry("/y/clip.mp4", "clip.mp4");
    a.AddEntry("/x/clip.mp4", "clip.mp4");
    b.AddEntry("/x/clip.mp4", "clip.mp4");
    b.AddEntry("/y/clip.mp4", "clip.mp4");
    a.SortByName();
    b.SortByName();
    std::string pa, pb;
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(a.GetPathAt(i, pa));
        ASSERT_TRUE(b.GetPathAt(i, pb));
        EXPECT_EQ(pa, pb);
    }
}

// Random names of characters from every range against the order of their
// UTF-16 form.
TEST(Utf16NameOrder, AgreesWithUtf16CodeUnitOrder) {
    std::mt19937 random(1234);
    const std::pair<char32_t, char32_t> ranges[] = {
        {0x20, 0x7E}, {0xA0, 0x7FF}, {0x800, 0xD7FF}, {0xE000, 0xFFFF}, {0x10000, 0x10FFFF}};
    auto randomName = [&](std::string& u8, std::u16string& u16) {
        const int length = static_cast<int>(random() % 5);
        for (int i = 0; i < length; ++i) {
            const auto& [low, high] = ranges[random() % 5];
            const char32_t cp = low + static_cast<char32_t>(random() % (high - low + 1));
            u8 += utf8(cp);
            u16 += utf16(cp);
        }
    };
    for (int i = 0; i < 20000; ++i) {
        std::string a8, b8;
        std::u16string a16, b16;
        randomName(a8, a16);
        // Half of the pairs share a start, so later characters decide.
        if (i % 2) {
            b8 = a8;
            b16 = a16;
        }
        randomName(b8, b16);
        ASSERT_EQ(sign(Utf16NameOrder::compare(a8, b8)), sign(a16.compare(b16))) << a8 << " | " << b8;
    }
}

TEST(Utf16NameOrder, BytesThatAreNotUtf8StillGiveAStrictOrder) {
    std::vector<std::string> names = {
        "\xFF",         "\xC3", "a\xC3", "\xE2\x82",        "\xED\xA0\x80", "\xC0\xAF", "\xF4\x90\x80\x80",
        "\xEF\xBF\xBD", "a",    "",      "\xF0\x9F\x9A\x97"};
    for (const auto& a : names) {
        EXPECT_EQ(Utf16NameOrder::compare(a, a), 0);
        for (const auto& b : names) {
            EXPECT_EQ(sign(Utf16NameOrder::compare(a, b)), -sign(Utf16NameOrder::compare(b, a)));
            for (const auto& c : names) {
                if (Utf16NameOrder::compare(a, b) < 0 && Utf16NameOrder::compare(b, c) < 0) {
                    EXPECT_LT(Utf16NameOrder::compare(a, c), 0);
                }
            }
        }
    }
    // Random bytes with shared beginnings: sorted, every pair agrees with the order.
    std::mt19937 random(99);
    const char alphabet[] = {'A', 'a', '_', '\x80', '\xA9', '\xBF', '\xC3', '\xE2', '\xEF', '\xF0', '\x9F', '\xFF'};
    std::vector<std::string> bytes;
    for (int i = 0; i < 300; ++i) {
        std::string s = i % 3 ? "2016_0520_" : "";
        const int length = static_cast<int>(random() % 12);
        for (int k = 0; k < length; ++k) s += alphabet[random() % sizeof alphabet];
        bytes.push_back(s);
    }
    std::sort(bytes.begin(), bytes.end(), Utf16NameOrder());
    for (size_t i = 0; i < bytes.size(); ++i) {
        for (size_t j = i; j < bytes.size(); ++j) ASSERT_LE(Utf16NameOrder::compare(bytes[i], bytes[j]), 0);
    }
    // A bad byte counts as U+FFFD, which UTF-16 puts after the characters beyond U+FFFF.
    EXPECT_GT(Utf16NameOrder::compare("\xFF", "\xF0\x9F\x9A\x97"), 0);
    EXPECT_EQ(Utf16NameOrder::compare("\xFF", "\xEF\xBF\xBD"), 0);
}
