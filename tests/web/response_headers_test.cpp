#include "web/response_headers.h"

#include <gtest/gtest.h>

#include <ostream>

#include "platform/pending_events.h"

namespace linkgrab {
namespace {

struct InterpretCase {
    const char* name;
    Text raw;
    Text receivedCookiesIn;
    Text statusText;
    Text receivedCookies;
    Text redirectLocation;  // "(kept)" when it must keep the value it had
};

void PrintTo(const InterpretCase& c, std::ostream* os) {
    *os << c.name;
}

const Text kKept = "(kept)";

class InterpretResponseHeadersCases : public ::testing::TestWithParam<InterpretCase> {};

TEST_P(InterpretResponseHeadersCases, FillsOutParameters) {
    const InterpretCase& c = GetParam();
    Text responseHeaders = "old headers";
    Text statusText = "old status";
    Text receivedCookies = c.receivedCookiesIn;
    Text redirectLocation = kKept;
    InterpretResponseHeaders(c.raw, nullptr, true, responseHeaders, statusText, receivedCookies,
                             redirectLocation);
    EXPECT_EQ(statusText, c.statusText);
    EXPECT_EQ(receivedCookies, c.receivedCookies);
    EXPECT_EQ(redirectLocation, c.redirectLocation);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, InterpretResponseHeadersCases,
    ::testing::Values(
        InterpretCase{"StatusCodeAndReason", "HTTP/1.1 404 Not Found\r\nA: b\r\n\r\n", "",
                      "404 Not Found", "", kKept},
        InterpretCase{"NoLineBreakNoStatus", "HTTP/1.1 200 OK", "", "", "", kKept},
        InterpretCase{"LineBreakBeforePositionTen", "HTTP/1.1\r\nA: b", "", "", "", kKept},
        InterpretCase{"EmptyRawText", "", "", "", "", kKept},
        InterpretCase{"TwoCookiesWithoutAttributes",
                      "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\n"
                      "Set-Cookie: b=2; HttpOnly\r\n\r\n",
                      "", "200 OK", "a=1; b=2", kKept},
        InterpretCase{"CookieWithoutSemicolonTrimmed",
                      "HTTP/1.1 200 OK\r\nSet-Cookie:   a=1  \r\n\r\n", "", "200 OK", "a=1", kKept},
        InterpretCase{"LowerCaseHeaderName", "HTTP/1.1 200 OK\r\nset-cookie: a=1; path=/\r\n\r\n",
                      "", "200 OK", "a=1", kKept},
        InterpretCase{"MixedCaseHeaderName", "HTTP/1.1 200 OK\r\nSET-cookie: a=1\r\n\r\n", "",
                      "200 OK", "a=1", kKept},
        InterpretCase{"EverySetCookieRemovedFromValueWithoutSemicolon",
                      "HTTP/1.1 200 OK\r\nSet-Cookie: a=1 set-cookie: b\r\n\r\n", "", "200 OK",
                      "a=1  b", kKept},
        // A line is a cookie line by its header name only.
        InterpretCase{"SetCookieInsideAnotherValueWithSemicolon",
                      "HTTP/1.1 200 OK\r\nX-Note: send Set-Cookie; later\r\n\r\n", "", "200 OK", "",
                      kKept},
        InterpretCase{"SetCookieInsideAnotherValueWithoutSemicolon",
                      "HTTP/1.1 200 OK\r\nX-Note: no Set-Cookie here\r\n\r\n", "", "200 OK", "",
                      kKept},
        InterpretCase{"HeaderNameEndingInSetCookie",
                      "HTTP/1.1 200 OK\r\nX-Set-Cookie: a=1\r\nSet-Cookie: b=2\r\n\r\n", "",
                      "200 OK", "b=2", kKept},
        InterpretCase{"SetCookieWithoutColonIsNoCookie",
                      "HTTP/1.1 200 OK\r\nSet-Cookies a=1\r\n\r\n", "", "200 OK", "", kKept},
        // What the caller passed in survives, with or without new cookies.
        InterpretCase{"CallersCookiesKeptWhenNoneSet", "HTTP/1.1 200 OK\r\nA: b\r\n\r\n", "keep=1",
                      "200 OK", "keep=1", kKept},
        InterpretCase{"CallersTwoByteTextKept", "HTTP/1.1 200 OK\r\n\r\n", "k=", "200 OK",
                      "k=", kKept},
        InterpretCase{"CallersCookiesJoinedToNewOnes",
                      "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nSet-Cookie: b=2\r\n\r\n", "keep=1",
                      "200 OK", "keep=1; a=1; b=2", kKept},
        InterpretCase{"EmptyCookieValueStillAppended",
                      "HTTP/1.1 200 OK\r\nSet-Cookie: ;x\r\nSet-Cookie: a=1\r\n\r\n", "", "200 OK",
                      "; a=1", kKept},
        InterpretCase{"LocationAnyCase", "HTTP/1.1 302 Found\r\nlOCATION: /next\r\n\r\n", "",
                      "302 Found", "", "/next"},
        InterpretCase{"LocationWithoutBlankNotTaken",
                      "HTTP/1.1 302 Found\r\nLocation:/next\r\n\r\n", "", "302 Found", "", kKept},
        InterpretCase{"LastLocationWins",
                      "HTTP/1.1 302 Found\r\nLocation: /a\r\nLocation: /b\r\n\r\n", "", "302 Found",
                      "", "/b"},
        InterpretCase{"BareLocationEmpties", "HTTP/1.1 302 Found\r\nLocation: \r\n\r\n", "",
                      "302 Found", "", ""},
        InterpretCase{"LocationKeepsItsBytes",
                      "HTTP/1.1 301 Moved\r\nLocation: http://127.0.0.1/\xD6\xD0?a=1 b\r\n\r\n", "",
                      "301 Moved", "", "http://127.0.0.1/\xD6\xD0?a=1 b"}),
    [](const ::testing::TestParamInfo<InterpretCase>& info) { return info.param.name; });

TEST(InterpretResponseHeaders, ResponseHeadersNormaliseSetCookie) {
    Text responseHeaders, statusText, receivedCookies, redirectLocation;
    InterpretResponseHeaders("HTTP/1.1 200 OK\r\nset-COOKIE: a=1\r\nX: set-cookie\r\n\r\n", nullptr,
                             true, responseHeaders, statusText, receivedCookies, redirectLocation);
    EXPECT_EQ(responseHeaders, "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nX: Set-Cookie\r\n\r\n");
}

struct MergeCase {
    const char* name;
    bool passCookies;
    bool mergeCookies;
    Text cookiesAfter;
    Text receivedCookiesAfter;
};

void PrintTo(const MergeCase& c, std::ostream* os) {
    *os << c.name;
}

class InterpretMergeCondition : public ::testing::TestWithParam<MergeCase> {};

TEST_P(InterpretMergeCondition, MergesOnlyWithPassedCookiesAndSwitchOn) {
    const MergeCase& c = GetParam();
    Text cookies = "a=1; b=2";
    Text responseHeaders, statusText, receivedCookies, redirectLocation;
    InterpretResponseHeaders("HTTP/1.1 200 OK\r\nSet-Cookie: b=3; path=/\r\n\r\n",
                             c.passCookies ? &cookies : nullptr, c.mergeCookies, responseHeaders,
                             statusText, receivedCookies, redirectLocation);
    EXPECT_EQ(cookies, c.cookiesAfter);
    EXPECT_EQ(receivedCookies, c.receivedCookiesAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Condition, InterpretMergeCondition,
    ::testing::Values(MergeCase{"PassedAndOn", true, true, "b=3; a=1", "b=3; a=1"},
                      MergeCase{"PassedAndOff", true, false, "a=1; b=2", "b=3"},
                      MergeCase{"NotPassed", false, true, "a=1; b=2", "b=3"}),
    [](const ::testing::TestParamInfo<MergeCase>& info) { return info.param.name; });

TEST(InterpretResponseHeaders, MergesWithEmptyPassedCookies) {
    Text cookies;
    Text responseHeaders, statusText, receivedCookies, redirectLocation;
    InterpretResponseHeaders("HTTP/1.1 200 OK\r\nSet-Cookie: q=x y\r\n\r\n", &cookies, true,
                             responseHeaders, statusText, receivedCookies, redirectLocation);
    EXPECT_EQ(receivedCookies, "q=xy");
    EXPECT_EQ(cookies, "q=xy");
}

int pendingEventsCalls = 0;
void CountPendingEvents() {
    ++pendingEventsCalls;
}

struct LineCountCase {
    const char* name;
    Text raw;
    int calls;
};

void PrintTo(const LineCountCase& c, std::ostream* os) {
    *os << c.name;
}

class InterpretPendingEvents : public ::testing::TestWithParam<LineCountCase> {};

TEST_P(InterpretPendingEvents, OneCallPerLine) {
    pendingEventsCalls = 0;
    SetPendingEventsHandler(CountPendingEvents);
    Text responseHeaders, statusText, receivedCookies, redirectLocation;
    InterpretResponseHeaders(GetParam().raw, nullptr, true, responseHeaders, statusText,
                             receivedCookies, redirectLocation);
    SetPendingEventsHandler(nullptr);
    EXPECT_EQ(pendingEventsCalls, GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, InterpretPendingEvents,
    ::testing::Values(
        LineCountCase{"StatusHeadersAndEmptyLine", "HTTP/1.1 200 OK\r\nA: 1\r\nB: 2\r\n\r\n", 4},
        LineCountCase{"CookieAndLocationLinesCountOnce",
                      "HTTP/1.1 302 Found\r\nSet-Cookie: a=1\r\nLocation: /x\r\n\r\n", 4},
        LineCountCase{"NoTrailingBreak", "HTTP/1.1 200 OK\r\nA: 1", 2},
        LineCountCase{"Empty", "", 0}),
    [](const ::testing::TestParamInfo<LineCountCase>& info) { return info.param.name; });

}  // namespace
}  // namespace linkgrab
