#include "web/request_headers.h"

#include <gtest/gtest.h>

#include <ostream>

namespace linkgrab {
namespace {

const char kUserAgent[] =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n";
const char kAccept[] = "Accept: text/html, application/xhtml+xml, */*\r\n";
const char kAcceptEncoding[] = "Accept-Encoding: gbk, GB2312\r\n";
const char kAcceptLanguage[] = "Accept-Language: zh-cn\r\n";
const char kContentType[] = "Content-Type: application/x-www-form-urlencoded\r\n";
const char kCacheControl[] = "Cache-Control: no-cache\r\n";

Text AllDefaults() {
    return ConcatTexts(kUserAgent, kAccept, kAcceptEncoding, kAcceptLanguage, kContentType,
                       kCacheControl);
}

struct HeaderCase {
    const char* name;
    Text extraHeaders;
    Text cookies;
    Text expected;
};

void PrintTo(const HeaderCase& c, std::ostream* os) {
    *os << c.name;
}

class ComposeRequestHeadersCases : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(ComposeRequestHeadersCases, Composes) {
    const HeaderCase& c = GetParam();
    EXPECT_EQ(ComposeRequestHeaders(c.extraHeaders, c.cookies), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, ComposeRequestHeadersCases,
    ::testing::Values(
        HeaderCase{"NothingGivenSixDefaultsInOrder", "", "", AllDefaults()},
        HeaderCase{"LowerCaseUserAgentKeepsCallersLine", "user-agent: me", "",
                   ConcatTexts("user-agent: me\r\n", kAccept, kAcceptEncoding, kAcceptLanguage,
                               kContentType, kCacheControl)},
        HeaderCase{"LowerCaseContentTypeStillGetsDefault", "content-type: text/plain", "",
                   ConcatTexts("content-type: text/plain\r\n", kUserAgent, kAccept, kAcceptEncoding,
                               kAcceptLanguage, kContentType, kCacheControl)},
        HeaderCase{"ContentTypeWithoutBlankCounts", "Content-Type:text/plain", "",
                   ConcatTexts("Content-Type:text/plain\r\n", kUserAgent, kAccept, kAcceptEncoding,
                               kAcceptLanguage, kCacheControl)},
        HeaderCase{"SearchTextInsideAnotherHeader", "X-Accept: yes", "",
                   ConcatTexts("X-Accept: yes\r\n", kUserAgent, kAcceptEncoding, kAcceptLanguage,
                               kContentType, kCacheControl)},
        HeaderCase{"AcceptEncodingIsNotAccept", "Accept-Encoding: identity", "",
                   ConcatTexts("Accept-Encoding: identity\r\n", kUserAgent, kAccept,
                               kAcceptLanguage, kContentType, kCacheControl)},
        HeaderCase{"TrailingSeparatorLeavesEmptyLine", "X-A: 1\r\n", "",
                   ConcatTexts("X-A: 1\r\n\r\n", AllDefaults())},
        HeaderCase{"CookiesAppendedLast", "", "a=1; b=2",
                   ConcatTexts(AllDefaults(), "Cookie: a=1; b=2\r\n")},
        HeaderCase{"CookiesTakenUnchanged", "", " x ;;",
                   ConcatTexts(AllDefaults(), "Cookie:  x ;;\r\n")},
        HeaderCase{"CallersCookieLineInCapitalsWins", "COOKIE: z=9", "a=1",
                   ConcatTexts("COOKIE: z=9\r\n", AllDefaults())},
        HeaderCase{"EmptyCookiesNoCookieLine", "X-A: 1", "",
                   ConcatTexts("X-A: 1\r\n", AllDefaults())},
        HeaderCase{"AllSuppliedOnlyCallersText",
                   "User-Agent: u\r\nAccept: a\r\nAccept-Encoding: e\r\nAccept-Language: l\r\n"
                   "Content-Type: c\r\nCache-Control: n",
                   "",
                   "User-Agent: u\r\nAccept: a\r\nAccept-Encoding: e\r\nAccept-Language: l\r\n"
                   "Content-Type: c\r\nCache-Control: n\r\n"}),
    [](const ::testing::TestParamInfo<HeaderCase>& info) { return info.param.name; });

}  // namespace
}  // namespace linkgrab
