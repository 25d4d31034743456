// Exchanges that fail against real servers: the error text each one stores, and what is left
// of the other outputs.
#include <gtest/gtest.h>

#include <string>

#include "tests/integration/servers.h"
#include "web/error_texts.h"
#include "web/web_request.h"

namespace linkgrab {
namespace {

class FailureTest : public ServerTest {};

TEST_F(FailureTest, AddressesThatCannotBeParsed) {
    const Text urls[] = {"", "127.0.0.1/echo", "ftp://127.0.0.1:" + Servers().httpPort + "/"};
    for (const Text& url : urls) {
        SCOPED_TRACE(url);
        WebRequestArguments arguments;
        arguments.url = url;
        const Exchange exchange = Fetch(arguments);
        EXPECT_EQ(exchange.statusText, ErrorText(701));
        EXPECT_EQ(exchange.pageText, "");
    }
}

TEST_F(FailureTest, RefusedConnectionFailsToSend) {
    WebRequestArguments arguments;
    arguments.url = RefusedUrl("/echo");
    const Exchange exchange = Fetch(arguments);
    EXPECT_EQ(exchange.statusText, ErrorText(711));
    EXPECT_EQ(exchange.pageText, "");
    EXPECT_EQ(exchange.responseHeaders, "");
}

TEST_F(FailureTest, SecureRequestToAPlainServerFailsToSend) {
    WebRequestArguments arguments;
    arguments.url = "https://localhost:" + Servers().httpPort + "/echo";
    // The plain server waits for a request line that never comes; the time-out ends it.
    arguments.timeoutSeconds = 2;
    // Wine's WinHTTP applies no time-out to the TLS handshake and waits for ever.
    if (RunningUnderWine()) GTEST_SKIP() << "Wine's WinHTTP has no time-out for the handshake";
    const Exchange exchange = Fetch(arguments);
    EXPECT_EQ(exchange.statusText, ErrorText(711));
    EXPECT_EQ(exchange.pageText, "");
}

TEST_F(FailureTest, ServerSlowerThanTheTimeOutDoesNotRespond) {
    // Wine's WinHTTP waits past the receive time-out for the response headers (3 s here).
    if (RunningUnderWine()) GTEST_SKIP() << "Wine's WinHTTP has no time-out for the response";
    // With and without cookies: the two set different options before the request goes out.
    for (const bool passCookies : {false, true}) {
        SCOPED_TRACE(passCookies ? "cookies passed" : "cookies not passed");
        Text cookies = "kept=1";
        WebRequestArguments arguments;
        arguments.url = HttpUrl("/slow?delay=3");
        arguments.timeoutSeconds = 1;
        if (passCookies) arguments.cookies = &cookies;
        const Exchange exchange = Fetch(arguments);
        EXPECT_EQ(exchange.statusText, ErrorText(712));
        EXPECT_EQ(exchange.pageText, "");
        EXPECT_EQ(exchange.responseHeaders, "");
        EXPECT_TRUE(exchange.responseBody.empty());
        EXPECT_EQ(cookies, "kept=1");
    }
}

TEST_F(FailureTest, ExchangesThatNeverWaitAsLongAsTheTimeOutSucceed) {
    struct Case {
        const char* path;
        int timeoutSeconds;
        Text pageText;
    };
    const Case cases[] = {
        {"/slow?delay=1", 3, "slow"},
        // Six bytes 0.4 s apart take 2.4 s in all, more than the time-out, but no wait between
        // two of them reaches it: the time-out is for each wait, not for the whole body.
        {"/trickle?n=6&every=0.4", 1, "xxxxxx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        WebRequestArguments arguments;
        arguments.url = HttpUrl(c.path);
        arguments.timeoutSeconds = c.timeoutSeconds;
        const Exchange exchange = Fetch(arguments);
        EXPECT_EQ(exchange.statusText, "200 OK");
        EXPECT_EQ(exchange.pageText, c.pageText);
    }
}

TEST_F(FailureTest, EndlessRedirectsStopWithoutAResponse) {
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/loop?n=0");
    const Exchange exchange = Fetch(arguments);
    EXPECT_EQ(exchange.statusText, ErrorText(712));
    EXPECT_EQ(exchange.pageText, "");
}

TEST_F(FailureTest, ErrorTextReplacesWhatStatusTextHeld) {
    Text statusText = "earlier";
    WebRequestArguments arguments;
    arguments.url = RefusedUrl("/");
    arguments.statusText = &statusText;
    EXPECT_EQ(WebRequest(arguments), "");
    EXPECT_EQ(statusText, ErrorText(711));
}

}  // namespace
}  // namespace linkgrab
