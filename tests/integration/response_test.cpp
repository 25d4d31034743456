// What WebRequest makes of real responses: status text, raw headers, cookies, redirects and
// bodies.
#include <gtest/gtest.h>

#include <string>

#include "tests/integration/servers.h"
#include "text/text_between.h"
#include "web/web_request.h"

namespace linkgrab {
namespace {

class ResponseTest : public ServerTest {};

ByteString Bytes(const std::string& text) {
    return ByteString(text.begin(), text.end());
}

// A complete response with this status line and body, closed by the server.
std::string RawResponse(const std::string& statusLine, const std::string& headers,
                        const std::string& body) {
    return statusLine + "\r\n" + headers + "Content-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

TEST_F(ResponseTest, StatusTextIsTheStatusLineFromItsCode) {
    struct Case {
        std::string statusLine;
        Text statusText;
    };
    const Case cases[] = {
        {"HTTP/1.1 200 OK", "200 OK"},
        {"HTTP/1.1 404 Not Found", "404 Not Found"},
        {"HTTP/1.1 500 Internal Server Error", "500 Internal Server Error"},
        {"HTTP/1.0 203 Old Protocol", "203 Old Protocol"},
        {"HTTP/1.1 299 Odd but valid", "299 Odd but valid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statusLine);
        WebRequestArguments arguments;
        arguments.url = RawResponseUrl(RawResponse(c.statusLine, "", "body"));
        const Exchange exchange = Fetch(arguments);
        EXPECT_EQ(exchange.statusText, c.statusText);
        EXPECT_EQ(exchange.responseHeaders.rfind(c.statusLine + "\r\n", 0), 0u)
            << exchange.responseHeaders;
        EXPECT_EQ(exchange.responseHeaders.substr(exchange.responseHeaders.size() - 4), "\r\n\r\n");
        EXPECT_EQ(exchange.pageText, "body");
    }
}

TEST_F(ResponseTest, FixtureStatusRouteGivesItsCodeAndReason) {
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/status?code=418&reason=" + QueryValue("I'm a teapot"));
    const Exchange exchange = Fetch(arguments);
    EXPECT_EQ(exchange.statusText, "418 I'm a teapot");
    EXPECT_EQ(exchange.pageText, "status 418");
}

TEST_F(ResponseTest, SetCookieLinesGiveTheirPairsWithoutAttributes) {
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/cookies/set?c=" + QueryValue("sid=7; Path=/; HttpOnly") + "&c=" +
                            QueryValue("lang=zh") + "&c=" + QueryValue("theme=dark; Max-Age=60"));
    const Exchange exchange = Fetch(arguments);
    EXPECT_EQ(exchange.statusText, "200 OK");
    EXPECT_EQ(exchange.receivedCookies, "sid=7; lang=zh; theme=dark");
    EXPECT_EQ(LinesStartingWith(exchange.responseHeaders, "Set-Cookie: "), 3)
        << exchange.responseHeaders;
}

TEST_F(ResponseTest, SetCookieInAnyLetterCaseIsTakenAndShownNormalised) {
    WebRequestArguments arguments;
    arguments.url = RawResponseUrl(
        RawResponse("HTTP/1.1 200 OK", "set-cookie: a=1; path=/\r\nSET-COOKIE: b=2\r\n", "ok"));
    const Exchange exchange = Fetch(arguments);
    EXPECT_EQ(exchange.receivedCookies, "a=1; b=2");
    EXPECT_EQ(LinesStartingWith(exchange.responseHeaders, "Set-Cookie: "), 2)
        << exchange.responseHeaders;
    EXPECT_EQ(exchange.responseHeaders.find("set-cookie"), std::string::npos);
}

TEST_F(ResponseTest, NoSetCookieLeavesReceivedCookiesEmpty) {
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/status?code=200&reason=OK");
    const Exchange exchange = Fetch(arguments);
    EXPECT_EQ(exchange.statusText, "200 OK");
    EXPECT_EQ(exchange.receivedCookies, "");
}

TEST_F(ResponseTest, DisabledRedirectReturnsTheRedirectAndItsLocation) {
    struct Case {
        std::string code;
        std::string target;
    };
    const Case cases[] = {
        {"301", "/echo?from=301"},
        {"302", "/echo?from=302"},
        {"303", "/status?code=200&reason=OK"},
        {"307", "http://127.0.0.1:" + Servers().httpPort + "/echo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        WebRequestArguments arguments;
        arguments.url = HttpUrl("/redirect?code=" + c.code + "&to=" + QueryValue(c.target));
        arguments.disableRedirects = true;
        const Exchange exchange = Fetch(arguments);
        EXPECT_EQ(exchange.statusText, c.code + " Found");
        EXPECT_EQ(exchange.redirectLocation, c.target);
        EXPECT_EQ(exchange.pageText, "moved");
    }
}

TEST_F(ResponseTest, RedirectsAreFollowedToTheFinalResponse) {
    const std::string codes[] = {"301", "302", "307"};
    for (const std::string& code : codes) {
        SCOPED_TRACE(code);
        WebRequestArguments arguments;
        arguments.url = HttpUrl("/redirect?code=" + code +
                                "&to=" + QueryValue("/status?code=200&reason=Arrived"));
        const Exchange exchange = Fetch(arguments);
        EXPECT_EQ(exchange.statusText, "200 Arrived");
        EXPECT_EQ(exchange.pageText, "status 200");
        // Only the final response's headers are returned; it names no Location.
        EXPECT_EQ(exchange.responseHeaders.rfind("HTTP/1.1 200 Arrived\r\n", 0), 0u)
            << exchange.responseHeaders;
        EXPECT_EQ(exchange.responseHeaders.find("Location"), std::string::npos);
        EXPECT_EQ(exchange.redirectLocation, "");
    }
}

TEST_F(ResponseTest, SeeOtherRedirectOfAGetIsReturnedUnfollowed) {
    // WinHTTP (as Wine 8 has it) follows 301, 302 and 307 but hands a 303 back as it is.
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/redirect?code=303&to=" + QueryValue("/status?code=200&reason=OK"));
    const Exchange exchange = Fetch(arguments);
    EXPECT_EQ(exchange.statusText, "303 Found");
    EXPECT_EQ(exchange.redirectLocation, "/status?code=200&reason=OK");
    EXPECT_EQ(exchange.pageText, "moved");
}

TEST_F(ResponseTest, AbsoluteRedirectIsFollowedWithTheSameMethodForGet) {
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/redirect?to=" + QueryValue(HttpUrl("/echo?after=redirect")));
    const Exchange exchange = Fetch(arguments);
    EXPECT_EQ(exchange.statusText, "200 OK");
    EXPECT_EQ(exchange.pageText.rfind("GET /echo?after=redirect HTTP/1.1\r\n", 0), 0u)
        << exchange.pageText;
}

TEST_F(ResponseTest, ZeroByteCutsThePageTextButNotTheBody) {
    const std::string body("ab\0cd\0e", 7);
    WebRequestArguments arguments;
    arguments.url = RawResponseUrl(RawResponse("HTTP/1.1 200 OK", "", body));
    const Exchange exchange = Fetch(arguments);
    EXPECT_EQ(exchange.statusText, "200 OK");
    EXPECT_EQ(exchange.pageText, "ab");
    EXPECT_EQ(exchange.responseBody, Bytes(body));
}

TEST_F(ResponseTest, LargeStreamedBodyArrivesWhole) {
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/bytes?n=1000003");
    const Exchange exchange = Fetch(arguments);
    ASSERT_EQ(exchange.responseBody.size(), 1000003u);
    bool pattern = true;
    for (std::size_t i = 0; i < exchange.responseBody.size() && pattern; ++i) {
        pattern = exchange.responseBody[i] == static_cast<std::uint8_t>('0' + i % 10);
    }
    EXPECT_TRUE(pattern) << "the body is not the repeated digits the server sent";
    EXPECT_EQ(exchange.pageText.size(), 1000003u);
}

TEST_F(ResponseTest, BodyCutOffMidwayKeepsTheBytesReceived) {
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/cut?send=10&len=100");
    const Exchange exchange = Fetch(arguments);
    // The headers were read, so the status text is the response's.
    EXPECT_EQ(exchange.statusText, "200 OK");
    EXPECT_EQ(exchange.responseBody, Bytes("xxxxxxxxxx"));
    EXPECT_EQ(exchange.pageText, "xxxxxxxxxx");
}

TEST_F(ResponseTest, StalledBodyEndsAtTheTimeOutWithTheBytesReceived) {
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/stall?send=10&len=100");
    arguments.timeoutSeconds = 1;
    const Exchange exchange = Fetch(arguments);
    EXPECT_EQ(exchange.statusText, "200 OK");
    EXPECT_EQ(exchange.responseBody, Bytes("xxxxxxxxxx"));
    EXPECT_EQ(exchange.pageText, "xxxxxxxxxx");
}

TEST_F(ResponseTest, TextBetweenMarkersOfTheSamplePage) {
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/page/sample.html");
    const Exchange exchange = Fetch(arguments);
    ASSERT_EQ(exchange.statusText, "200 OK");
    EXPECT_EQ(TextBetween(exchange.pageText, "@@", "@@"), "http://127.0.0.1/s/linkgrab-sample");
    EXPECT_EQ(TextBetween(exchange.pageText, "##", "##"), "\xC3\xDC\xC2\xEB 8k2x");  // 密码 8k2x
    EXPECT_EQ(TextBetween(exchange.pageText, "%%", "%%"), "");
    // The page is code page 936 and declares it: the text is the body's bytes.
    EXPECT_EQ(Bytes(exchange.pageText), exchange.responseBody);
}

TEST_F(ResponseTest, TextBetweenWalksDoubleByteCharactersOfAFetchedPage) {
    // 0x81 0x40 is one character whose second byte is "@".
    const std::string body = "\x81\x40\x40\x61\x62\x40\x40\x63\x40\x40";
    WebRequestArguments arguments;
    arguments.url = RawResponseUrl(RawResponse("HTTP/1.1 200 OK", "", body));
    const Exchange exchange = Fetch(arguments);
    ASSERT_EQ(exchange.pageText, body);
    EXPECT_EQ(TextBetween(exchange.pageText, "@@", "@@"), "c");
}

}  // namespace
}  // namespace linkgrab
