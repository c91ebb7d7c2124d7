// The open dialog's filter: the stored text as the description, and the
// patterns as a file dialog that separates them by blanks needs them.
#include "config/OpenFilter.h"

#include <gtest/gtest.h>

TEST(OpenFilter, DescriptionKeepsTheStoredValueAndTheDialogGetsBlankSeparatedPatterns) {
    const OpenFilter filter("Video files ", "*.mp4;*.mov");
    EXPECT_EQ(filter.description(), "Video files (*.mp4;*.mov)");
    EXPECT_EQ(filter.pattern(), "*.mp4;*.mov");
    EXPECT_EQ(filter.nameFilter(), "Video files (*.mp4 *.mov)");
}

TEST(OpenFilter, EmptyPiecesAreSkippedAndNoPatternFallsBackToMp4) {
    EXPECT_EQ(OpenFilter("Clips", ";*.mp4;; *.MOV ;").nameFilter(), "Clips(*.mp4 *.MOV)");
    EXPECT_EQ(OpenFilter("Clips", ";;").nameFilter(), "Clips(*.mp4)");
    EXPECT_EQ(OpenFilter().nameFilter(), "(*.mp4)");
}

TEST(OpenFilter, LongTextsAreNeverCut) {
    // Together far beyond the 259 characters a fixed filter buffer would hold.
    const std::string description(254, 'd');
    std::string value;
    for (int i = 0; i < 50; ++i) value += "*.m" + std::to_string(i) + ";";
    const OpenFilter filter(description, value);
    EXPECT_EQ(filter.description(), description + "(" + value + ")");
    EXPECT_EQ(filter.patterns().size(), 50u);
    EXPECT_EQ(filter.patterns().back(), "*.m49");
}
