// What goes on the wire: the request line and the header lines WinHTTP adds by itself (Host,
// Content-Length, Connection, User-Agent when the session has one, Authorization for server
// credentials) and nothing else, byte for byte as Wine's WinHTTP sends them.
#include <gtest/gtest.h>

#include <string>

#include "tests/platform/winhttp_test_support.h"

namespace linkgrab {
namespace {

TEST(WinHttpRequest, SendsOnlyWinHttpsOwnHeaderLines) {
    struct Case {
        const char16_t* verb;
        std::string body;
        std::string expected;  // request line and headers after the request line's target
    } cases[] = {
        {u"GET", "", "GET /echo HTTP/1.1\r\n" + HostLine() + "Connection: Keep-Alive\r\n\r\n"},
        {u"POST", "hello",
         "POST /echo HTTP/1.1\r\n" + HostLine() +
             "Content-Length: 5\r\nConnection: Keep-Alive\r\n\r\nhello"},
        // POST and PUT carry a length even without a body; other verbs only with one.
        {u"POST", "",
         "POST /echo HTTP/1.1\r\n" + HostLine() +
             "Content-Length: 0\r\nConnection: Keep-Alive\r\n\r\n"},
        {u"PUT", "",
         "PUT /echo HTTP/1.1\r\n" + HostLine() +
             "Content-Length: 0\r\nConnection: Keep-Alive\r\n\r\n"},
        {u"PUT", "xyz",
         "PUT /echo HTTP/1.1\r\n" + HostLine() +
             "Content-Length: 3\r\nConnection: Keep-Alive\r\n\r\nxyz"},
        {u"GET", "abc",
         "GET /echo HTTP/1.1\r\n" + HostLine() +
             "Content-Length: 3\r\nConnection: Keep-Alive\r\n\r\nabc"},
        {u"FOO", "", "FOO /echo HTTP/1.1\r\n" + HostLine() + "Connection: Keep-Alive\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.verb) + " " + c.body);
        ExchangeOptions options;
        options.verb = c.verb;
        options.body = c.body;
        ExchangeResult result = Exchange(HttpBase() + "/echo", options);
        ASSERT_TRUE(result.received) << result.sendError << " " << result.receiveError;
        EXPECT_EQ(result.body, c.expected);
    }
}

TEST(WinHttpRequest, HeadGetsHeadersAndNoBody) {
    ExchangeOptions options;
    options.verb = u"HEAD";
    ExchangeResult result = Exchange(HttpBase() + "/echo", options);
    ASSERT_TRUE(result.received);
    EXPECT_EQ(result.body, "");
    EXPECT_EQ(Narrow(result.headers).substr(0, 15), "HTTP/1.1 200 OK");
}

TEST(WinHttpRequest, PlacesCallerHeadersFirstThenAgentHostAndCredentials) {
    ExchangeOptions options;
    options.hasAgent = true;
    options.agent = u"Agent/1";
    options.userName = u"u";
    options.password = u"p";
    options.headerBlocks = {u"X-A: 1\r\nX-B: 2"};
    ExchangeResult result = Exchange(HttpBase() + "/echo", options);
    ASSERT_TRUE(result.received);
    // Basic credentials go out with the first request, before any challenge ("u:p").
    EXPECT_EQ(WithoutHost(result.body),
              "GET /echo HTTP/1.1\r\nX-A: 1\r\nX-B: 2\r\nUser-Agent: Agent/1\r\n"
              "Authorization: Basic dTpw\r\nConnection: Keep-Alive\r\n\r\n");
}

TEST(WinHttpRequest, ServerCredentialsPassABasicChallenge) {
    ExchangeOptions options;
    options.userName = u"name";
    options.password = u"secret";
    ExchangeResult result = Exchange(HttpBase() + "/auth?user=name&pass=secret", options);
    ASSERT_TRUE(result.received);
    EXPECT_EQ(result.body, "authorized");
    EXPECT_EQ(Narrow(result.headers).substr(0, 15), "HTTP/1.1 200 OK");

    ExchangeResult without = Exchange(HttpBase() + "/auth?user=name&pass=secret");
    ASSERT_TRUE(without.received);
    EXPECT_EQ(Narrow(without.headers).substr(0, 25), "HTTP/1.1 401 Unauthorized");
}

TEST(WinHttpRequest, EscapesTheObjectNameLikeWinHttp) {
    // Blanks, quotes, brackets, '#', control bytes and bytes above 0x7F (as UTF-8) become %XX;
    // '%', '~' and the apostrophe stay.
    std::u16string query = u"?x=a b\"<>\\^`{|}%41\u00E9\u4E2D\u0001\u007F~[]'#c";
    std::string url = HttpBase() + "/echo";
    std::u16string wideUrl = Wide(url) + query;
    ExchangeOptions options;
    const WinHttpApi& api = WinHttp();
    Handles handles;
    handles.session = api.WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
    handles.connection = api.WinHttpConnect(
        handles.session, u"127.0.0.1",
        static_cast<INTERNET_PORT>(std::atoi(ServerPort("LINKGRAB_HTTP_PORT").c_str())), 0);
    std::u16string object = u"/echo" + query;
    handles.request = api.WinHttpOpenRequest(handles.connection, u"GET", object.c_str(), nullptr,
                                             nullptr, nullptr, 0);
    ASSERT_NE(handles.request, nullptr);
    ASSERT_TRUE(api.WinHttpSendRequest(handles.request, nullptr, 0, nullptr, 0, 0, 0));
    ASSERT_TRUE(api.WinHttpReceiveResponse(handles.request, nullptr));
    ExchangeResult result;
    ReadBody(handles.request, result);
    EXPECT_EQ(result.body.substr(0, result.body.find("\r\n")),
              "GET /echo?x=a%20b%22%3C%3E%5C%5E%60%7B%7C%7D%41%C3%A9%E4%B8%AD%01%7F~%5B%5D'%23c "
              "HTTP/1.1");
}

TEST(WinHttpRequest, GoesThroughANamedProxy) {
    // tinyproxy forwards the request; it answers for the fixture server at "localhost".
    std::string url = "http://localhost:" + ServerPort("LINKGRAB_HTTP_PORT") + "/echo";
    ExchangeOptions options;
    options.proxy = Wide(ProxyAddress());
    ExchangeResult result = Exchange(url, options);
    ASSERT_TRUE(result.received) << result.sendError << " " << result.receiveError;
    EXPECT_EQ(result.body.substr(0, result.body.find("\r\n")), "GET /echo HTTP/1.1");

    // A proxy that is not there fails the send as a server that is not there does.
    options.proxy = u"127.0.0.1:1";
    ExchangeResult refused = Exchange(url, options);
    EXPECT_FALSE(refused.sent);
    EXPECT_EQ(refused.sendError, ERROR_WINHTTP_CANNOT_CONNECT);
}

TEST(WinHttpRequest, SendsTheAbsoluteAddressToAProxyAndNoProxyCredentialsUnasked) {
    // The fixture server itself stands in for the proxy, so /echo shows what a proxy receives.
    std::string url = "http://localhost:" + ServerPort("LINKGRAB_HTTP_PORT") + "/echo?q=1";
    ExchangeOptions options;
    options.proxy = Wide("127.0.0.1:" + ServerPort("LINKGRAB_HTTP_PORT"));
    options.proxyUserName = u"pu";
    options.proxyPassword = u"pp";
    ExchangeResult result = Exchange(url, options);
    ASSERT_TRUE(result.received);
    EXPECT_EQ(result.body, "GET " + url +
                               " HTTP/1.1\r\nHost: localhost:" + ServerPort("LINKGRAB_HTTP_PORT") +
                               "\r\nConnection: Keep-Alive\r\n\r\n");
}

TEST(WinHttpRequest, UsesAnHttpsTunnelThroughTheProxy) {
    SetWinHttpTestCertificateAuthority(std::getenv("LINKGRAB_TEST_CA"));
    ExchangeOptions options;
    options.proxy = Wide(ProxyAddress());
    ExchangeResult result = Exchange(HttpsBase() + "/echo", options);
    ASSERT_TRUE(result.received) << result.sendError << " " << result.receiveError;
    // Inside the tunnel Wine's WinHTTP writes the absolute address and HTTP/1.0; the posix
    // layer sends the request as it would go direct. The server answers both alike.
    EXPECT_NE(result.body.find("/echo HTTP/1."), std::string::npos) << result.body;
    EXPECT_NE(result.body.find("Host: localhost:" + ServerPort("LINKGRAB_HTTPS_PORT")),
              std::string::npos);
}

TEST(WinHttpRequest, ProxyListEntriesApplyByScheme) {
    SetWinHttpTestCertificateAuthority(std::getenv("LINKGRAB_TEST_CA"));
    // "http=" serves plain addresses: through a refused proxy the plain request fails ...
    ExchangeOptions options;
    options.proxy = u"http=127.0.0.1:1";
    ExchangeResult plain = Exchange(HttpBase() + "/echo", options);
    EXPECT_FALSE(plain.sent);
    if (kSystemWinHttp) {
        // Wine 8's WinHTTP takes all of "http=127.0.0.1" for the proxy's host name; WinHTTP's
        // list syntax is the posix layer's.
        EXPECT_EQ(plain.sendError, ERROR_WINHTTP_NAME_NOT_RESOLVED);
        return;
    }
    EXPECT_EQ(plain.sendError, ERROR_WINHTTP_CANNOT_CONNECT);
    // ... and a secure one goes direct.
    ExchangeResult secure = Exchange(HttpsBase() + "/echo", options);
    EXPECT_TRUE(secure.received) << secure.sendError;
    // With the proxy of this run the plain request arrives.
    options.proxy = Wide("https=127.0.0.1:1; http=" + ProxyAddress());
    ExchangeResult proxied =
        Exchange("http://localhost:" + ServerPort("LINKGRAB_HTTP_PORT") + "/echo", options);
    EXPECT_TRUE(proxied.received) << proxied.sendError;
}

}  // namespace
}  // namespace linkgrab
