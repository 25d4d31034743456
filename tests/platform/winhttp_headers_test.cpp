// WinHttpAddRequestHeaders with ADD|REPLACE, as Wine's WinHTTP applies it: the head that
// /echo returns shows the lines that went out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/platform/winhttp_test_support.h"

namespace linkgrab {
namespace {

TEST(WinHttpAddRequestHeaders, ReplacesMovesSkipsAndEncodesLines) {
    struct Case {
        std::vector<std::u16string> blocks;
        std::string lines;  // the caller's lines as sent, before Connection
    } cases[] = {
        // A later line with an earlier name (any letter case) replaces it and moves behind the
        // others, with its own spelling; empty lines and lines without a colon are skipped.
        {{u"User-Agent: X\r\nAccept: */*\r\nuser-agent: Y\r\n\r\nnocolon\r\nContent-Type: a/b\r\n"},
         "Accept: */*\r\nuser-agent: Y\r\nContent-Type: a/b\r\n"},
        // The same across calls.
        {{u"X-A: 1\r\nX-B: 2", u"x-a: 3"}, "X-B: 2\r\nx-a: 3\r\n"},
        // An empty value removes an existing line.
        {{u"X-Rm: 1\r\nX-Keep: k", u"x-rm:"}, "X-Keep: k\r\n"},
        // Lone LF separates lines too; blanks after the colon go, blanks at the end and tabs
        // stay; text beyond ASCII goes out as UTF-8.
        {{u"A: 1\nB: 2", u"X-V:   v  w  ", u"X-T:\tt", u"X-C: \u4E2D\u00E9z"},
         "A: 1\r\nB: 2\r\nX-V: v  w  \r\nX-T: \tt\r\nX-C: \xE4\xB8\xAD\xC3\xA9z\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        ExchangeOptions options;
        options.headerBlocks = c.blocks;
        ExchangeResult result = Exchange(HttpBase() + "/echo", options);
        ASSERT_TRUE(result.received);
        EXPECT_EQ(WithoutHost(result.body),
                  "GET /echo HTTP/1.1\r\n" + c.lines + "Connection: Keep-Alive\r\n\r\n");
    }
}

TEST(WinHttpAddRequestHeaders, AnEmptyValueForANewNameSendsAnEmptyLine) {
    ExchangeOptions options;
    options.headerBlocks = {u"X-E:"};
    ExchangeResult result = Exchange(HttpBase() + "/echo", options);
    ASSERT_TRUE(result.received);
    // Wine's WinHTTP writes "X-E: ", libcurl "X-E:"; the same empty value.
    std::string head = WithoutHost(result.body);
    EXPECT_TRUE(head == "GET /echo HTTP/1.1\r\nX-E: \r\nConnection: Keep-Alive\r\n\r\n" ||
                head == "GET /echo HTTP/1.1\r\nX-E:\r\nConnection: Keep-Alive\r\n\r\n")
        << head;
}

TEST(WinHttpAddRequestHeaders, CallerLinesTakeThePlaceOfTheDefaults) {
    ExchangeOptions options;
    options.verb = u"POST";
    options.body = "b=1";
    options.headerBlocks = {u"Connection: close\r\nContent-Type: text/plain"};
    ExchangeResult result = Exchange(HttpBase() + "/echo", options);
    ASSERT_TRUE(result.received);
    EXPECT_EQ(WithoutHost(result.body),
              "POST /echo HTTP/1.1\r\nConnection: close\r\nContent-Type: text/plain\r\n"
              "Content-Length: 3\r\n\r\nb=1");
}

TEST(WinHttpAddRequestHeaders, RefusesNamesWithBlanksOrNone) {
    const std::u16string bad[] = {u"  X-Lead: 1", u"X-Trail : 2", u"X-In ner: 3", u":nov"};
    const WinHttpApi& api = WinHttp();
    Handles handles;
    handles.session = api.WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
    handles.connection = api.WinHttpConnect(handles.session, u"127.0.0.1", 80, 0);
    handles.request =
        api.WinHttpOpenRequest(handles.connection, u"GET", u"/", nullptr, nullptr, nullptr, 0);
    ASSERT_NE(handles.request, nullptr);
    for (const std::u16string& line : bad) {
        SCOPED_TRACE(Narrow(line));
        ClearLastError();
        EXPECT_FALSE(api.WinHttpAddRequestHeaders(
            handles.request, line.c_str(), static_cast<DWORD>(line.size()),
            WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE));
        EXPECT_EQ(LastError(), 12153u);  // ERROR_WINHTTP_INVALID_HEADER
    }
    std::u16string good = u"X-Ok: 1";
    EXPECT_TRUE(
        api.WinHttpAddRequestHeaders(handles.request, good.c_str(), 0xFFFFFFFF,
                                     WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE));
}

}  // namespace
}  // namespace linkgrab
