#include "support/RecordingScriptHost.h"
#include "map/CWebPage.h"
#include "map/ScriptErrors.h"

#include <gtest/gtest.h>
#include <memory>

TEST(CWebPage, ArgumentsTravelLastFirstAndNoneMeansCountZero) {
    RecordingScriptHost host;
    CWebPage page;
    EXPECT_TRUE(page.callScript2(host, "setCarMarker", "39.900000", "116.400000"));
    EXPECT_TRUE(page.callScript0(host, "createPolyline"));
    EXPECT_TRUE(page.callScript(host, "three", {"a", "b", "c"}));
    ASSERT_EQ(host.calls.size(), 3u);
    EXPECT_EQ(host.calls[0].function, "setCarMarker");
    EXPECT_EQ(host.calls[0].reversed, (std::vector<std::string>{"116.400000", "39.900000"}));
    EXPECT_TRUE(host.calls[1].reversed.empty());
    EXPECT_EQ(host.calls[2].reversed, (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(page.lastError(), "");
}

TEST(CWebPage, CallThatCannotBeMadeFailsAtOnceWithTheReason) {
    RecordingScriptHost host;
    host.immediateCode = SCRIPT_E_NO_PAGE;
    CWebPage page;
    EXPECT_FALSE(page.callScript2(host, "createCarMarker", "1.000000", "2.000000"));
    EXPECT_EQ(page.lastError(), "JSCall Error:\nNo page is loaded.");
}

TEST(CWebPage, FailureThePageReportsLaterIsRecordedWhenItArrives) {
    RecordingScriptHost host;
    CWebPage page;
    ASSERT_TRUE(page.callScript0(host, "noSuchFunction"));
    ASSERT_TRUE(page.callScript0(host, "throws"));
    ASSERT_TRUE(page.callScript0(host, "odd"));
    EXPECT_EQ(page.lastError(), "");  // nothing known yet

    host.replies[0](ScriptOutcome{SCRIPT_E_UNKNOWN_NAME, "", ""});
    EXPECT_EQ(page.lastError(), "JSCall Error:\nUnknown name.");
    host.replies[1](ScriptOutcome{SCRIPT_E_EXCEPTION, "TypeError: x is undefined", ""});
    EXPECT_EQ(page.lastError(), "JSCall Error:\nException occurred.\nTypeError: x is undefined");
    host.replies[2](ScriptOutcome{-1234, "", ""});
    EXPECT_EQ(page.lastError(), "JSCall Error:\nFormatMessage Netive Error");
}

TEST(CWebPage, ResultGoesToTheCallerOnlyWhenAskedForAndLateRepliesAreSafe) {
    RecordingScriptHost host;
    std::string received = "none";
    {
        auto page = std::make_unique<CWebPage>();
        ASSERT_TRUE(page->callScript2(host, "f", "a", "b", [&](const std::string& value) { received = value; }));
        ASSERT_TRUE(page->callScript0(host, "g"));
        host.replies[1](ScriptOutcome{SCRIPT_OK, "", "42"});  // discarded
        host.replies[0](ScriptOutcome{SCRIPT_OK, "", "[\"a\",\"b\"]"});
        EXPECT_EQ(received, "[\"a\",\"b\"]");
        ASSERT_TRUE(page->callScript0(host, "h"));
    }
    // The page object is gone when the last answer comes.
    host.replies[2](ScriptOutcome{SCRIPT_E_EXCEPTION, "late", ""});
}
