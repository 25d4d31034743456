// Servers that misbehave: silence, resets, floods of headers and cookies, certificates that
// must be refused, bodies that are compressed or huge. Every byte of a response is someone
// else's; none of it may crash the routine, hang it or come back as something it is not.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/integration/servers.h"
#include "web/error_texts.h"
#include "web/web_request.h"

namespace linkgrab {
namespace {

class FaultTest : public ServerTest {};

ByteString Bytes(const std::string& text) {
    return ByteString(text.begin(), text.end());
}

TEST_F(FaultTest, SilenceEndsAtTheTimeOutWithWhatWasReceived) {
    struct Case {
        const char* what;
        const char* path;
        Text statusText;
        std::string body;  // the bytes kept
        bool underWine;
    };
    const Case cases[] = {
        // Wine's WinHTTP applies no time-out while it waits for the response headers.
        {"accepts and never answers", "/slow?delay=30", ErrorText(712), "", false},
        {"stops in the middle of the body", "/stall?send=10&len=100", "200 OK", "xxxxxxxxxx", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (RunningUnderWine() && !c.underWine) continue;
        WebRequestArguments arguments;
        arguments.url = HttpUrl(c.path);
        arguments.timeoutSeconds = 2;
        const auto start = std::chrono::steady_clock::now();
        const Exchange exchange = Fetch(arguments);
        const auto seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
        EXPECT_EQ(exchange.statusText, c.statusText);
        EXPECT_EQ(exchange.responseBody, Bytes(c.body));
        EXPECT_EQ(exchange.pageText, c.body);
        // Not a speed check: a bound that only a time-out that does not work can break.
        EXPECT_LT(seconds.count(), arguments.timeoutSeconds + 2.0);
    }
}

TEST_F(FaultTest, ResetInTheMiddleOfTheBodyKeepsWhatArrivedBeforeIt) {
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/reset?send=1000&len=100000");
    const Exchange exchange = Fetch(arguments);
    EXPECT_EQ(exchange.statusText, "200 OK");
    // How much of the 1,000 bytes arrived before the reset is the network's business; whatever
    // did is kept, unchanged and in order.
    EXPECT_LE(exchange.responseBody.size(), 1000u);
    EXPECT_EQ(exchange.responseBody, Bytes(std::string(exchange.responseBody.size(), 'x')));
    EXPECT_EQ(exchange.pageText, std::string(exchange.responseBody.size(), 'x'));
}

TEST_F(FaultTest, AMebibyteOfHeaderLines) {
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/headers/big?size=1048576");
    const Exchange exchange = Fetch(arguments);
    if (RunningUnderWine()) {
        // Wine's WinHTTP sets no limit to the response headers: it takes all of them, whole.
        EXPECT_EQ(exchange.statusText, "200 OK");
        EXPECT_EQ(exchange.pageText, "big");
        EXPECT_GT(exchange.responseHeaders.size(), 1048576u);
        EXPECT_EQ(LinesStartingWith(exchange.responseHeaders, "X-Filler-"), 1033);
        EXPECT_TRUE(exchange.responseHeaders.ends_with("\r\nConnection: close\r\n\r\n"));
    } else {
        // Windows' WinHTTP refuses headers beyond its limit as a failed response; so does the
        // posix layer (its limit lies higher, but far below a mebibyte).
        EXPECT_EQ(exchange.statusText, ErrorText(712));
        EXPECT_EQ(exchange.pageText, "");
        EXPECT_TRUE(exchange.responseHeaders.empty()) << exchange.responseHeaders.size();
    }
}

TEST_F(FaultTest, TenThousandCookiesAreAllCollectedInOrder) {
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/cookies/many?n=10000");
    const Exchange exchange = Fetch(arguments);
    ASSERT_EQ(exchange.statusText, "200 OK");
    EXPECT_EQ(exchange.pageText, "many");
    Text expected;
    for (int i = 1; i <= 10000; ++i) {
        if (i > 1) expected += "; ";
        const std::string number = std::to_string(i);
        expected.append("c").append(number).append("=").append(number);
    }
    EXPECT_EQ(exchange.receivedCookies, expected);
    EXPECT_EQ(LinesStartingWith(exchange.responseHeaders, "Set-Cookie:"), 10000);
}

TEST_F(FaultTest, CertificatesThatDoNotProveTheServerAreRefused) {
    const std::string ports[] = {Servers().wrongHostPort, Servers().selfSignedPort};
    for (const std::string& port : ports) {
        SCOPED_TRACE(port == Servers().wrongHostPort ? "made out to another host" : "self-signed");
        WebRequestArguments arguments;
        arguments.url = "https://localhost:" + port + "/echo";
        const Exchange exchange = Fetch(arguments);
        EXPECT_EQ(exchange.statusText, ErrorText(711));
        EXPECT_EQ(exchange.pageText, "");
        EXPECT_TRUE(exchange.responseBody.empty());
    }
}

TEST_F(FaultTest, CompressedBodyComesBackAsReceived) {
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/gzip");
    const Exchange exchange = Fetch(arguments);
    ASSERT_EQ(exchange.statusText, "200 OK");
    // The gzip header's fourth byte (the flags) is zero: the text ends there.
    ASSERT_GE(exchange.responseBody.size(), 18u);
    EXPECT_EQ(exchange.responseBody[0], 0x1f);
    EXPECT_EQ(exchange.responseBody[1], 0x8b);
    EXPECT_EQ(exchange.pageText, "\x1f\x8b\x08");
    const std::string length = "Content-Length: " + std::to_string(exchange.responseBody.size());
    EXPECT_NE(exchange.responseHeaders.find(length + "\r\n"), std::string::npos);
    EXPECT_NE(exchange.responseHeaders.find("Content-Encoding: gzip\r\n"), std::string::npos);
}

TEST_F(FaultTest, QuarterGibibytePage) {
    const std::size_t size = 256u * 1024 * 1024;
    WebRequestArguments arguments;
    arguments.url = HttpUrl("/bytes?n=" + std::to_string(size));
    const Text pageText = WebRequest(arguments);
    ASSERT_EQ(pageText.size(), size);
    // The body repeats "0123456789"; a piece lost or doubled anywhere shifts its end.
    EXPECT_EQ(pageText.substr(0, 10), "0123456789");
    EXPECT_EQ(pageText.substr(size - 6), std::string("0123456789").substr((size - 6) % 10, 6));
}

}  // namespace
}  // namespace linkgrab
