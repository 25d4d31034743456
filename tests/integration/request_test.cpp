// What WebRequest sends to a real server: methods and bodies, the default and the caller's
// request headers, cookies, and server credentials. /echo answers with the request as it
// arrived.
#include <gtest/gtest.h>

#include <string>

#include "tests/integration/servers.h"
#include "web/web_request.h"

namespace linkgrab {
namespace {

class RequestTest : public ServerTest {};

// The head of an echoed request: its lines before the empty line, each ending in "\r\n".
Text EchoedHead(const Text& echo) {
    const std::size_t end = echo.find("\r\n\r\n");
    return end == std::string::npos ? echo : echo.substr(0, end + 2);
}

// The value of the echoed header of this name (exact letter case), or "" when absent.
Text EchoedHeader(const Text& echo, const std::string& name) {
    const Text head = EchoedHead(echo);
    const std::string start = "\r\n" + name + ": ";
    const std::size_t at = head.find(start);
    if (at == std::string::npos) return "";
    const std::size_t begin = at + start.size();
    return head.substr(begin, head.find("\r\n", begin) - begin);
}

TEST_F(RequestTest, MethodAndBodyArriveAsSent) {
    struct Case {
        int method;
        std::string verb;
    };
    const Case cases[] = {{0, "GET"}, {1, "POST"}, {3, "PUT"}, {4, "GET"}, {-1, "GET"}};
    // The body is the text's code page 936 bytes as stored: "name=中文&x=1".
    const Text body = "name=\xD6\xD0\xCE\xC4&x=1";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        WebRequestArguments arguments;
        arguments.url = HttpUrl("/echo?m=1");
        arguments.method = c.method;
        arguments.requestBody = body;
        const Exchange exchange = Fetch(arguments);
        ASSERT_EQ(exchange.statusText, "200 OK");
        EXPECT_EQ(exchange.pageText.rfind(c.verb + " /echo?m=1 HTTP/1.1\r\n", 0), 0u)
            << exchange.pageText;
        EXPECT_EQ(EchoedHeader(exchange.pageText, "Content-Length"), std::to_string(body.size()));
        EXPECT_EQ(exchange.pageText.substr(exchange.pageText.find("\r\n\r\n") + 4), body);
    }
}

TEST_F(RequestTest, HeadReceivesNoBody) {
    // The server answers HEAD with the headers that the same request as a POST would get, so
    // its Content-Length is the length of the echo. WinHTTP sends a HEAD's body too; libcurl
    // cannot send one and still read a body-less answer, so the posix layer sends the HEAD
    // without it (and without a Content-Length that would promise it).
    const Text body = "x=1&y=2";
    WebRequestArguments post;
    post.url = HttpUrl("/echo");
    post.method = 1;
    post.requestBody = body;
    const Exchange posted = Fetch(post);
    ASSERT_EQ(posted.statusText, "200 OK");

    WebRequestArguments head = post;
    head.method = 2;
    const Exchange headed = Fetch(head);
    EXPECT_EQ(headed.statusText, "200 OK");
    EXPECT_EQ(headed.pageText, "");
    EXPECT_TRUE(headed.responseBody.empty());
#if defined(_WIN32)
    const std::size_t echoed = posted.pageText.size();
#else
    const std::size_t echoed = posted.pageText.size() - body.size() -
                               std::string("Content-Length: 7\r\n").size() +
                               std::string("HEAD").size() - std::string("POST").size();
#endif
    EXPECT_NE(headed.responseHeaders.find("Content-Length: " + std::to_string(echoed) + "\r\n"),
              std::string::npos)
        << headed.responseHeaders << "\nPOST echo:\n"
        << posted.pageText;
}

TEST_F(RequestTest, DefaultHeadersAreSentOnceEach) {
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/echo");
    const Exchange exchange = Fetch(arguments);
    ASSERT_EQ(exchange.statusText, "200 OK");
    const Text head = EchoedHead(exchange.pageText);
    struct Line {
        std::string name;
        std::string value;
    };
    const Line defaults[] = {
        {"User-Agent", "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)"},
        {"Accept", "text/html, application/xhtml+xml, */*"},
        {"Accept-Encoding", "gbk, GB2312"},
        {"Accept-Language", "zh-cn"},
        {"Content-Type", "application/x-www-form-urlencoded"},
        {"Cache-Control", "no-cache"},
        {"Host", "127.0.0.1:" + Servers().httpPort},
    };
    for (const Line& line : defaults) {
        SCOPED_TRACE(line.name);
        EXPECT_EQ(EchoedHeader(head, line.name), line.value) << head;
        EXPECT_EQ(LinesStartingWith(head, line.name + ":"), 1) << head;
    }
    EXPECT_EQ(LinesStartingWith(head, "Cookie:"), 0) << head;
    EXPECT_EQ(LinesStartingWith(head, "Authorization:"), 0) << head;
}

TEST_F(RequestTest, CallerHeadersAreSentAndReplaceTheDefaultsTheyName) {
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/echo");
    arguments.extraHeaders = "X-First: 1\r\nuser-agent: linkgrab-test/1.0\r\nX-Second: two words";
    const Exchange exchange = Fetch(arguments);
    ASSERT_EQ(exchange.statusText, "200 OK");
    const Text head = EchoedHead(exchange.pageText);
    EXPECT_EQ(EchoedHeader(head, "X-First"), "1") << head;
    EXPECT_EQ(EchoedHeader(head, "X-Second"), "two words") << head;
    EXPECT_EQ(EchoedHeader(head, "user-agent"), "linkgrab-test/1.0") << head;
    EXPECT_EQ(LinesStartingWith(head, "User-Agent:"), 0) << head;
    EXPECT_EQ(EchoedHeader(head, "Accept"), "text/html, application/xhtml+xml, */*") << head;
}

TEST_F(RequestTest, PassedCookiesAreSentAsACookieLine) {
    struct Case {
        const char* name;
        bool passed;
        Text cookies;
        Text received;  // what the server got as Cookie, "" for none
    };
    const Case cases[] = {
        {"two cookies", true, "a=1; b=2", "a=1; b=2"},
        {"empty cookies", true, "", ""},
        {"not passed", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Text cookies = c.cookies;
        WebRequestArguments arguments;
        arguments.url = HttpUrl("/echo");
        if (c.passed) arguments.cookies = &cookies;
        const Exchange exchange = Fetch(arguments);
        ASSERT_EQ(exchange.statusText, "200 OK");
        const Text head = EchoedHead(exchange.pageText);
        EXPECT_EQ(EchoedHeader(head, "Cookie"), c.received) << head;
        EXPECT_EQ(LinesStartingWith(head, "Cookie:"), c.received.empty() ? 0 : 1) << head;
    }
}

TEST_F(RequestTest, CallerCookieLineWinsOverPassedCookies) {
    Text cookies = "a=1";
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/cookies/show");
    arguments.cookies = &cookies;
    arguments.extraHeaders = "COOKIE: mine=2";
    const Exchange exchange = Fetch(arguments);
    EXPECT_EQ(exchange.statusText, "200 OK");
    EXPECT_EQ(exchange.pageText, "mine=2");
}

TEST_F(RequestTest, SentAndReceivedCookiesAreMergedWhenCookiesArePassed) {
    struct Case {
        const char* name;
        bool passed;
        Text sent;
        bool merge;
        std::string setCookies;  // the query of /cookies/set
        Text receivedCookies;
        Text cookiesAfter;
    };
    const std::string set = "c=" + QueryValue("b=3; Path=/") + "&c=" + QueryValue("c=4");
    const Case cases[] = {
        {"merged", true, "a=1; b=2", true, set, "b=3; c=4; a=1", "b=3; c=4; a=1"},
        {"merge switched off", true, "a=1; b=2", false, set, "b=3; c=4", "a=1; b=2"},
        {"not passed", false, "a=1; b=2", true, set, "b=3; c=4", "a=1; b=2"},
        {"passed empty", true, "", true, set, "b=3; c=4", "b=3; c=4"},
        {"deleted", true, "a=1; b=2", true, "c=" + QueryValue("a=deleted"), "b=2", "b=2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Text cookies = c.sent;
        WebRequestArguments arguments;
        arguments.url = HttpUrl("/cookies/set?" + c.setCookies);
        if (c.passed) arguments.cookies = &cookies;
        arguments.mergeCookies = c.merge;
        const Exchange exchange = Fetch(arguments);
        ASSERT_EQ(exchange.statusText, "200 OK");
        EXPECT_EQ(exchange.receivedCookies, c.receivedCookies);
        EXPECT_EQ(cookies, c.cookiesAfter);
    }
}

TEST_F(RequestTest, PassedCookiesLeaveTheClientsOwnCookieHandlingOn) {
    // The redirect sets a cookie; the client carries it to the target only while its own
    // cookie handling is on, which passing cookies (even empty ones) selects.
    const std::string redirect =
        "HTTP/1.1 302 Found\r\nSet-Cookie: jar=1; Path=/\r\nLocation: /cookies/show\r\n"
        "Content-Length: 0\r\nConnection: close\r\n\r\n";
    struct Case {
        const char* name;
        bool passed;
        Text page;
    };
    const Case cases[] = {{"cookies passed", true, "jar=1"}, {"cookies not passed", false, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Text cookies;
        WebRequestArguments arguments;
        arguments.url = RawResponseUrl(redirect);
        if (c.passed) arguments.cookies = &cookies;
        const Exchange exchange = Fetch(arguments);
        EXPECT_EQ(exchange.statusText, "200 OK");
        EXPECT_EQ(exchange.pageText, c.page);
    }
}

TEST_F(RequestTest, BasicAuthenticationWithServerCredentials) {
    struct Case {
        const char* name;
        Text userName;
        Text password;
        Text statusText;
        Text page;
    };
    const Case cases[] = {
        {"right", "alice", "s3cret:x", "200 OK", "authorized"},
        {"wrong password", "alice", "wrong", "401 Unauthorized", "who are you"},
        {"password missing", "alice", "", "401 Unauthorized", "who are you"},
        {"none", "", "", "401 Unauthorized", "who are you"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WebRequestArguments arguments;
        arguments.url = HttpUrl("/auth?user=alice&pass=" + QueryValue("s3cret:x"));
        arguments.userName = c.userName;
        arguments.password = c.password;
        const Exchange exchange = Fetch(arguments);
        EXPECT_EQ(exchange.statusText, c.statusText);
        EXPECT_EQ(exchange.pageText, c.page);
    }
}

}  // namespace
}  // namespace linkgrab
