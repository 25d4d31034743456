// HTTPS with the test certificate authority, and tinyproxy as a real proxy for plain and secure
// addresses.
#include <gtest/gtest.h>

#include <string>

#include "tests/integration/servers.h"
#include "web/error_texts.h"
#include "web/web_request.h"

namespace linkgrab {
namespace {

class SecureAndProxyTest : public ServerTest {};

TEST_F(SecureAndProxyTest, SecureExchangeWithTheTestAuthority) {
    WebRequestArguments arguments;
    arguments.url = HttpsUrl("/echo?secure=1");
    arguments.method = 1;
    arguments.requestBody = "over=tls";
    const Exchange exchange = Fetch(arguments);
    ASSERT_EQ(exchange.statusText, "200 OK");
    EXPECT_EQ(exchange.pageText.rfind("POST /echo?secure=1 HTTP/1.1\r\n", 0), 0u)
        << exchange.pageText;
    EXPECT_NE(exchange.pageText.find("\r\nHost: localhost:" + Servers().httpsPort + "\r\n"),
              std::string::npos)
        << exchange.pageText;
    EXPECT_EQ(exchange.pageText.substr(exchange.pageText.size() - 8), "over=tls");
}

TEST_F(SecureAndProxyTest, SecureResponseHeadersAndCookies) {
    WebRequestArguments arguments;
    arguments.url = HttpsUrl("/cookies/set?c=" + QueryValue("s=1; Secure") + "&c=t=2");
    const Exchange exchange = Fetch(arguments);
    EXPECT_EQ(exchange.statusText, "200 OK");
    EXPECT_EQ(exchange.receivedCookies, "s=1; t=2");
}

TEST_F(SecureAndProxyTest, RedirectFromSecureToPlainIsNotFollowed) {
    // Neither side follows a redirect from HTTPS to HTTP (the echo is never fetched). Wine's
    // WinHTTP then fails the response (the 712 text); the posix layer returns the redirect
    // itself as the final response, as WinHTTP's redirect policy on Windows does.
    WebRequestArguments arguments;
    arguments.url = HttpsUrl("/redirect?to=" + QueryValue(HttpUrl("/echo")));
    const Exchange exchange = Fetch(arguments);
#if defined(_WIN32)
    EXPECT_EQ(exchange.statusText, ErrorText(712));
    EXPECT_EQ(exchange.pageText, "");
    EXPECT_EQ(exchange.redirectLocation, "");
#else
    EXPECT_EQ(exchange.statusText, "302 Found");
    EXPECT_EQ(exchange.pageText, "moved");
    EXPECT_EQ(exchange.redirectLocation, HttpUrl("/echo"));
#endif
}

TEST_F(SecureAndProxyTest, RedirectWithinSecureIsFollowed) {
    WebRequestArguments arguments;
    arguments.url = HttpsUrl("/redirect?to=" + QueryValue(HttpsUrl("/echo?hop=2")));
    const Exchange exchange = Fetch(arguments);
    EXPECT_EQ(exchange.statusText, "200 OK");
    EXPECT_EQ(exchange.pageText.rfind("GET /echo?hop=2 HTTP/1.1\r\n", 0), 0u) << exchange.pageText;
}

TEST_F(SecureAndProxyTest, PlainAddressThroughTheProxy) {
    // For a plain address the proxy is named "http=HOST:PORT". Wine's WinHTTP does not read
    // the "http=" part and takes "http=HOST" for the proxy's host name, so it never connects.
    if (RunningUnderWine()) GTEST_SKIP() << "Wine's WinHTTP does not understand \"http=\" proxies";
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/echo?via=proxy");
    arguments.proxy = ProxyAddress();
    arguments.method = 1;
    arguments.requestBody = "through=proxy";
    const Exchange exchange = Fetch(arguments);
    ASSERT_EQ(exchange.statusText, "200 OK");
    // The proxy forwards the request with the path alone and the body unchanged.
    EXPECT_EQ(exchange.pageText.rfind("POST /echo?via=proxy HTTP/1.", 0), 0u) << exchange.pageText;
    EXPECT_EQ(exchange.pageText.substr(exchange.pageText.find("\r\n\r\n") + 4), "through=proxy");
}

TEST_F(SecureAndProxyTest, SecureAddressThroughTheProxy) {
    WebRequestArguments arguments;
    arguments.url = HttpsUrl("/echo?via=tunnel");
    arguments.proxy = ProxyAddress();
    const Exchange exchange = Fetch(arguments);
    ASSERT_EQ(exchange.statusText, "200 OK");
    // Through the tunnel the server sees the request as the client wrote it. (Wine's WinHTTP
    // writes it in absolute form, "GET https://localhost:PORT/echo?via=tunnel HTTP/1.0".)
    const std::string requestLine = exchange.pageText.substr(0, exchange.pageText.find("\r\n"));
    EXPECT_EQ(requestLine.rfind("GET ", 0), 0u) << exchange.pageText;
    EXPECT_NE(requestLine.find("/echo?via=tunnel HTTP/1."), std::string::npos) << exchange.pageText;
    EXPECT_NE(exchange.pageText.find("\r\nAccept-Language: zh-cn\r\n"), std::string::npos);
}

TEST_F(SecureAndProxyTest, ProxyThatAsksForCredentials) {
    struct Case {
        const char* what;
        bool secure;
        Text user;
        Text password;
        Text status;            // the status text of the exchange
        bool underWine = true;  // false: not run under Wine, which cannot do it
    };
    const Case cases[] = {
        {"plain, right credentials", false, "proxyuser", "proxypass", "200 OK"},
        // This proxy answers credentials it does not accept with a 401 of its own.
        {"plain, wrong password", false, "proxyuser", "nope", "401 Unauthorized"},
        {"plain, no credentials", false, "", "", "407 Proxy Authentication Required"},
        // Wine's WinHTTP does not answer a proxy's 407 to its CONNECT and fails the send.
        {"secure, right credentials", true, "proxyuser", "proxypass", "200 OK", false},
        // A tunnel the proxy does not open: the request never reaches the server.
        {"secure, no credentials", true, "", "", ErrorText(711)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Wine cannot reach a plain address through a proxy (see PlainAddressThroughTheProxy).
        if (RunningUnderWine() && (!c.secure || !c.underWine)) continue;
        WebRequestArguments arguments;
        arguments.url = c.secure ? HttpsUrl("/echo?via=auth") : HttpUrl("/echo?via=auth");
        arguments.proxy = AuthProxyAddress();
        arguments.proxyUserName = c.user;
        arguments.proxyPassword = c.password;
        const Exchange exchange = Fetch(arguments);
        EXPECT_EQ(exchange.statusText, c.status);
        if (c.status == "200 OK") {
            EXPECT_NE(exchange.pageText.find("/echo?via=auth HTTP/1."), std::string::npos)
                << exchange.pageText;
            // The proxy takes the credentials for itself; the server never sees them.
            EXPECT_EQ(exchange.pageText.find("Proxy-Authorization"), std::string::npos);
        }
    }
}

TEST_F(SecureAndProxyTest, ProxyThatRefusesMakesTheRequestFail) {
    // The same addresses as above succeed directly; through a dead proxy they cannot, which
    // shows that the proxy is really on the path.
    const Text urls[] = {HttpUrl("/echo"), HttpsUrl("/echo")};
    for (const Text& url : urls) {
        // Wine fails the plain address for its own reason (see PlainAddressThroughTheProxy).
        if (RunningUnderWine() && url.rfind("http:", 0) == 0) continue;
        SCOPED_TRACE(url);
        WebRequestArguments direct;
        direct.url = url;
        EXPECT_EQ(Fetch(direct).statusText, "200 OK");

        WebRequestArguments proxied = direct;
        proxied.proxy = "127.0.0.1:1";
        const Exchange exchange = Fetch(proxied);
        EXPECT_EQ(exchange.statusText, ErrorText(711));
        EXPECT_EQ(exchange.pageText, "");
    }
}

}  // namespace
}  // namespace linkgrab
