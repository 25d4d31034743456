// WebRequest against a recording WinHTTP table: the calls, their arguments and order, the
// window message processing, and the out-parameters.
#include "web/web_request.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>
#include <vector>

#include "tests/web/recording_winhttp.h"

namespace linkgrab {
namespace {

using Calls = std::vector<std::string>;

const char kDefaultBlock[] =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\\r\\n"
    "Accept: text/html, application/xhtml+xml, */*\\r\\n"
    "Accept-Encoding: gbk, GB2312\\r\\n"
    "Accept-Language: zh-cn\\r\\n"
    "Content-Type: application/x-www-form-urlencoded\\r\\n"
    "Cache-Control: no-cache\\r\\n";
// The block above has this many code units.
constexpr int kDefaultBlockLength = 84 + 47 + 30 + 24 + 49 + 25;

// The error texts as code page 936 bytes.
const Text k700 =
    "700 \xB5\xB1\xC7\xB0\xCF\xB5\xCD\xB3\xB2\xBB\xD6\xA7\xB3\xD6WinHttp\xB7\xFE\xCE\xF1!";
const Text k701 = "701 \xBD\xE2\xCE\xF6URL\xB5\xD8\xD6\xB7\xCA\xA7\xB0\xDC!";
const Text k702 = "702 \xB4\xB4\xBD\xA8WinHttp\xBB\xE1\xBB\xB0\xCA\xA7\xB0\xDC!";
const Text k703 = "703 \xB4\xB4\xBD\xA8WinHttp\xC1\xAC\xBD\xD3\xCA\xA7\xB0\xDC!";
const Text k704 = "704 \xB4\xB4\xBD\xA8WinHttp\xC7\xEB\xC7\xF3\xCA\xA7\xB0\xDC!";
const Text k705 = "705 \xC9\xE8\xD6\xC3\xB3\xAC\xCA\xB1\xCA\xB1\xBC\xE4\xCA\xA7\xB0\xDC!";
const Text k707 = "707 \xC9\xE8\xD6\xC3\xB4\xFA\xC0\xED\xC6\xBE\xD6\xA4\xCA\xA7\xB0\xDC!";
const Text k708 =
    "708 \xBD\xFB\xD6\xB9\xD7\xD4\xB6\xAF\xC9\xE8\xD6\xC3"
    "Cookies\xCA\xA7\xB0\xDC!";
const Text k709 = "709 \xD6\xD8\xB6\xA8\xCF\xF2\xC9\xE8\xD6\xC3\xCA\xA7\xB0\xDC!";
const Text k710 = "710 \xC9\xE8\xD6\xC3\xD0\xAD\xD2\xE9\xCD\xB7\xCA\xA7\xB0\xDC!";
const Text k711 = "711 \xB7\xA2\xCB\xCD\xC7\xEB\xC7\xF3\xCA\xA7\xB0\xDC!";
const Text k712 = "712 \xB7\xFE\xCE\xF1\xC6\xF7\xCE\xB4\xCF\xEC\xD3\xA6!";
const Text k713 = "713 \xB6\xC1\xC8\xA1\xCA\xFD\xBE\xDD\xCA\xA7\xB0\xDC!";

ByteString Bytes(const std::string& s) {
    return ByteString(s.begin(), s.end());
}

Calls Repeat(const std::string& call, int times) {
    return Calls(times, call);
}

Calls Concat(std::initializer_list<Calls> parts) {
    Calls out;
    for (const Calls& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// Every out-parameter passed, each holding a value the call must overwrite or keep.
struct Outputs {
    Text receivedCookies;
    Text responseHeaders = "old headers";
    Text redirectLocation = "old location";
    Text statusText = "old status";
    ByteString responseBody = Bytes("old body");

    void PassTo(WebRequestArguments& arguments) {
        arguments.receivedCookies = &receivedCookies;
        arguments.responseHeaders = &responseHeaders;
        arguments.redirectLocation = &redirectLocation;
        arguments.statusText = &statusText;
        arguments.responseBody = &responseBody;
    }
};

class WebRequestContract : public ::testing::Test {
  protected:
    WebRequestContract() {
        fake.bodyChunks = {"<html>", "</html>"};
        arguments.url = "http://127.0.0.1/";
        outputs.PassTo(arguments);
    }

    Text Run() { return WebRequest(arguments); }

    // The one recorded call of a function.
    std::string Only(const std::string& function) const {
        const Calls calls = fake.CallsOf(function);
        EXPECT_EQ(calls.size(), 1u) << function;
        return calls.empty() ? std::string() : calls.front();
    }

    RecordingWinHttp fake;
    WebRequestArguments arguments;
    Outputs outputs;
};

TEST_F(WebRequestContract, SuccessPathCallsArgumentsAndOrder) {
    const Text page = Run();

    const std::string crackRecord =
        "{size=" + std::to_string(sizeof(URL_COMPONENTS)) +
        ", scheme=0xffffffff, host=0xffffffff, user=0x0, password=0x0, path=0xffffffff, "
        "extra=0xffffffff, rest 0}";
    const int headerBytes = static_cast<int>(fake.rawHeaders.size() + 1) * 2;
    const Calls expected = Concat({
        {
            "WinHttpCheckPlatform()",
            "WinHttpCrackUrl(\"http://127.0.0.1/\", 17, 0x0, " + crackRecord + ")",
            "WinHttpOpen(null, 1, \"\", null, 0x0)",
            "WinHttpConnect(session, \"127.0.0.1\", 80, 0)",
            "WinHttpOpenRequest(connection, \"GET\", \"/\", null, null, null, 0x0)",
            "WinHttpSetTimeouts(request, 30000, 30000, 30000, 30000)",
            "WinHttpSetOption(request, 63, 1, 4)",
            "WinHttpAddRequestHeaders(request, \"" + std::string(kDefaultBlock) + "\", " +
                std::to_string(kDefaultBlockLength) + ", 0xa0000000)",
            "WinHttpSendRequest(request, null, 0, null, 0, 0, 0)",
            "WinHttpReceiveResponse(request, null)",
            "WinHttpQueryDataAvailable(request)",
            "WinHttpReadData(request, 6)",
            "WinHttpQueryDataAvailable(request)",
            "WinHttpReadData(request, 7)",
            "WinHttpQueryDataAvailable(request)",
            "WinHttpQueryHeaders(request, 22, null, null, size=0, index=0)",
            "WinHttpQueryHeaders(request, 22, null, buffer[" + std::to_string(headerBytes) +
                "], size=" + std::to_string(headerBytes) + ", index=0)",
        },
        // One per header line (three), then one per level.
        Repeat("ProcessPendingEvents()", 3 + 9),
        {
            "WinHttpCloseHandle(request)",
            "WinHttpCloseHandle(connection)",
            "WinHttpCloseHandle(session)",
        },
    });
    EXPECT_EQ(fake.calls, expected);

    EXPECT_EQ(page, "<html></html>");
    EXPECT_EQ(outputs.statusText, "200 OK");
    EXPECT_EQ(outputs.responseHeaders, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n");
    EXPECT_EQ(outputs.responseBody, Bytes("<html></html>"));
    EXPECT_EQ(outputs.receivedCookies, "");
    EXPECT_EQ(outputs.redirectLocation, "old location");
}

TEST_F(WebRequestContract, EveryOutParameterOmitted) {
    WebRequestArguments bare;
    bare.url = "http://127.0.0.1/";
    fake.rawHeaders = u"HTTP/1.1 302 Found\r\nSet-Cookie: a=1\r\nLocation: /x\r\n\r\n";
    EXPECT_EQ(WebRequest(bare), "<html></html>");
    EXPECT_EQ(fake.PendingEventsCount(), 4 + 9);
}

TEST_F(WebRequestContract, ReceivedOutParametersFromHeaders) {
    fake.rawHeaders =
        u"HTTP/1.1 302 Found\r\nset-cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n"
        u"Location: http://127.0.0.1/next\r\n\r\n";
    Run();
    EXPECT_EQ(outputs.statusText, "302 Found");
    EXPECT_EQ(outputs.receivedCookies, "a=1; b=2");
    EXPECT_EQ(outputs.redirectLocation, "http://127.0.0.1/next");
    EXPECT_EQ(outputs.responseHeaders,
              "HTTP/1.1 302 Found\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n"
              "Location: http://127.0.0.1/next\r\n\r\n");
    EXPECT_EQ(fake.PendingEventsCount(), 5 + 9);
}

TEST_F(WebRequestContract, RawHeadersConvertedToCodePage936) {
    fake.rawHeaders = u"HTTP/1.1 200 \u4E2D\u6587\r\nX-Name: \u4E2D\r\n\r\n";
    Run();
    EXPECT_EQ(outputs.statusText, "200 \xD6\xD0\xCE\xC4");
    EXPECT_EQ(outputs.responseHeaders, "HTTP/1.1 200 \xD6\xD0\xCE\xC4\r\nX-Name: \xD6\xD0\r\n\r\n");
}

TEST_F(WebRequestContract, ZeroByteEndsPageTextNotResponseBody) {
    fake.bodyChunks = {"ab", std::string("\0cd", 3)};
    EXPECT_EQ(Run(), "ab");
    EXPECT_EQ(outputs.responseBody, Bytes(std::string("ab\0cd", 5)));
}

TEST_F(WebRequestContract, EmptyBody) {
    fake.bodyChunks = {};
    EXPECT_EQ(Run(), "");
    EXPECT_TRUE(outputs.responseBody.empty());
    EXPECT_EQ(outputs.statusText, "200 OK");
}

TEST_F(WebRequestContract, ManyChunksArriveWhole) {
    std::string expected;
    fake.bodyChunks.clear();
    for (int i = 0; i < 200; ++i) {
        fake.bodyChunks.push_back(std::string(static_cast<std::size_t>(1 + i % 37), 'a' + i % 26));
        expected += fake.bodyChunks.back();
    }
    EXPECT_EQ(Run(), expected);
    EXPECT_EQ(outputs.responseBody, Bytes(expected));
}

TEST_F(WebRequestContract, ShortReadsKeepOnlyTheBytesRead) {
    fake.bodyChunks = {"abcdefgh", "ij"};
    fake.readLimit = 3;
    EXPECT_EQ(Run(), "abcdefghij");
    EXPECT_EQ(fake.CallsOf("WinHttpReadData"),
              (Calls{"WinHttpReadData(request, 8)", "WinHttpReadData(request, 5)",
                     "WinHttpReadData(request, 2)", "WinHttpReadData(request, 2)"}));
}

// A failure at one level: what the call reports and which calls follow the failing one.
struct FailureCase {
    const char* name;
    const char* function;
    int occurrence;
    Text statusText;
    int pendingEvents;  // after the failing call
    Calls closes;       // the handle names closed, in order
    bool serverCredentials = false;
    bool proxyCredentials = false;
    bool passCookies = false;
    bool disableRedirects = false;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

const Calls kCloseNone = {"WinHttpCloseHandle(null)", "WinHttpCloseHandle(null)",
                          "WinHttpCloseHandle(null)"};
const Calls kCloseSession = {"WinHttpCloseHandle(null)", "WinHttpCloseHandle(null)",
                             "WinHttpCloseHandle(session)"};
const Calls kCloseConnection = {"WinHttpCloseHandle(null)", "WinHttpCloseHandle(connection)",
                                "WinHttpCloseHandle(session)"};
const Calls kCloseAll = {"WinHttpCloseHandle(request)", "WinHttpCloseHandle(connection)",
                         "WinHttpCloseHandle(session)"};

FailureCase Case(const char* name, const char* function, int occurrence, const Text& statusText,
                 int pendingEvents, const Calls& closes) {
    FailureCase c{name, function, occurrence, statusText, pendingEvents, closes};
    return c;
}

class WebRequestFailure : public WebRequestContract,
                          public ::testing::WithParamInterface<FailureCase> {};

TEST_P(WebRequestFailure, ReportsUnwindsAndCloses) {
    const FailureCase& c = GetParam();
    Text cookies = "s=1";
    if (c.serverCredentials) {
        arguments.userName = "user";
        arguments.password = "secret";
    }
    if (c.proxyCredentials) {
        arguments.proxyUserName = "puser";
        arguments.proxyPassword = "psecret";
    }
    if (c.passCookies) arguments.cookies = &cookies;
    arguments.disableRedirects = c.disableRedirects;
    fake.Fail(c.function, c.occurrence);

    EXPECT_EQ(Run(), "");
    EXPECT_EQ(outputs.statusText, c.statusText);

    // The failing call is the last one before the unwinding.
    const Calls names = fake.Names();
    std::size_t failing = names.size();
    int seen = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == c.function && ++seen == c.occurrence) failing = i;
    }
    ASSERT_LT(failing, names.size()) << "the failing call was never made";
    const Calls after(fake.calls.begin() + static_cast<std::ptrdiff_t>(failing) + 1,
                      fake.calls.end());
    EXPECT_EQ(after, Concat({Repeat("ProcessPendingEvents()", c.pendingEvents), c.closes}));

    // Out-parameters other than the status text keep what they held.
    EXPECT_EQ(outputs.responseHeaders, "old headers");
    EXPECT_EQ(outputs.redirectLocation, "old location");
    EXPECT_EQ(outputs.receivedCookies, "");
    EXPECT_EQ(outputs.responseBody, Bytes("old body"));
    EXPECT_EQ(cookies, "s=1");
}

FailureCase WithServerCredentials(FailureCase c) {
    c.serverCredentials = true;
    return c;
}
FailureCase WithProxyCredentials(FailureCase c) {
    c.proxyCredentials = true;
    return c;
}
FailureCase WithBothCredentials(FailureCase c) {
    c.serverCredentials = true;
    c.proxyCredentials = true;
    return c;
}
FailureCase WithCookies(FailureCase c) {
    c.passCookies = true;
    return c;
}
FailureCase WithRedirectsDisabled(FailureCase c) {
    c.disableRedirects = true;
    return c;
}

INSTANTIATE_TEST_SUITE_P(
    Levels, WebRequestFailure,
    ::testing::Values(
        Case("Platform700", "WinHttpCheckPlatform", 1, k700, 0, kCloseNone),
        Case("Address701", "WinHttpCrackUrl", 1, k701, 1, kCloseNone),
        Case("Session702", "WinHttpOpen", 1, k702, 2, kCloseNone),
        Case("Connection703", "WinHttpConnect", 1, k703, 3, kCloseSession),
        Case("Request704", "WinHttpOpenRequest", 1, k704, 4, kCloseConnection),
        Case("Timeouts705", "WinHttpSetTimeouts", 1, k705, 5, kCloseAll),
        WithServerCredentials(Case("ServerCredentials707", "WinHttpSetCredentials", 1, k707, 0,
                                   kCloseAll)),
        WithProxyCredentials(Case("ProxyCredentials707", "WinHttpSetCredentials", 1, k707, 0,
                                  kCloseAll)),
        WithBothCredentials(Case("ProxyCredentialsAfterServer707", "WinHttpSetCredentials", 2, k707,
                                 0, kCloseAll)),
        Case("CookieOptionDisable708", "WinHttpSetOption", 1, k708, 0, kCloseAll),
        WithCookies(Case("CookieOptionEnable708", "WinHttpSetOption", 1, k708, 0, kCloseAll)),
        WithRedirectsDisabled(Case("RedirectOption709", "WinHttpSetOption", 2, k709, 0, kCloseAll)),
        Case("Headers710", "WinHttpAddRequestHeaders", 1, k710, 6, kCloseAll),
        Case("Send711", "WinHttpSendRequest", 1, k711, 7, kCloseAll),
        Case("Response712", "WinHttpReceiveResponse", 1, k712, 8, kCloseAll),
        // The header query fails: nothing is stored, the status text included.
        Case("HeaderQueryFails", "WinHttpQueryHeaders", 2, Text("old status"), 9, kCloseAll)),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(WebRequestContract, ReadFailureThenHeadersOverwriteStatus) {
    fake.Fail("WinHttpReadData", 2);
    EXPECT_EQ(Run(), "<html>");
    EXPECT_EQ(outputs.statusText, "200 OK");
    EXPECT_EQ(outputs.responseBody, Bytes("<html>"));
    // No further read after the failure.
    EXPECT_EQ(fake.CallsOf("WinHttpQueryDataAvailable").size(), 2u);
    EXPECT_EQ(fake.CallsOf("WinHttpReadData").size(), 2u);
    EXPECT_EQ(fake.PendingEventsCount(), 3 + 9);
}

TEST_F(WebRequestContract, ReadFailureSurvivesOnlyWhenHeaderQueryFails) {
    fake.Fail("WinHttpReadData", 2);
    fake.Fail("WinHttpQueryHeaders", 2);
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(outputs.statusText, k713);
    EXPECT_EQ(outputs.responseBody, Bytes("old body"));
    EXPECT_EQ(outputs.responseHeaders, "old headers");
    EXPECT_EQ(fake.PendingEventsCount(), 9);
    EXPECT_EQ(fake.Names().back(), "WinHttpCloseHandle");
}

TEST_F(WebRequestContract, DataQueryFailureEndsReadingWithoutText) {
    fake.Fail("WinHttpQueryDataAvailable", 2);
    fake.Fail("WinHttpQueryHeaders", 2);
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(outputs.statusText, "old status");
    EXPECT_EQ(fake.CallsOf("WinHttpReadData").size(), 1u);
    EXPECT_EQ(fake.CallsOf("WinHttpQueryHeaders").size(), 2u);
}

TEST_F(WebRequestContract, DataQueryFailureStillInterpretsHeaders) {
    fake.Fail("WinHttpQueryDataAvailable", 2);
    EXPECT_EQ(Run(), "<html>");
    EXPECT_EQ(outputs.statusText, "200 OK");
}

struct AddressCase {
    const char* name;
    Text url;
    std::string connect;
    std::string openRequest;
};

void PrintTo(const AddressCase& c, std::ostream* os) {
    *os << c.name;
}

class WebRequestAddress : public WebRequestContract,
                          public ::testing::WithParamInterface<AddressCase> {};

TEST_P(WebRequestAddress, HostPortObjectNameAndSecureFlag) {
    arguments.url = GetParam().url;
    Run();
    EXPECT_EQ(Only("WinHttpConnect"), GetParam().connect);
    EXPECT_EQ(Only("WinHttpOpenRequest"), GetParam().openRequest);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, WebRequestAddress,
    ::testing::Values(
        AddressCase{"NoPath", "http://127.0.0.1", "WinHttpConnect(session, \"127.0.0.1\", 80, 0)",
                    "WinHttpOpenRequest(connection, \"GET\", \"/\", null, null, null, 0x0)"},
        AddressCase{"EmptyPathWithQuery", "http://127.0.0.1?x=1#f",
                    "WinHttpConnect(session, \"127.0.0.1\", 80, 0)",
                    "WinHttpOpenRequest(connection, \"GET\", \"/\", null, null, null, 0x0)"},
        AddressCase{"PathQueryAndFragment", "http://127.0.0.1/a/b?x=1&y=2#top",
                    "WinHttpConnect(session, \"127.0.0.1\", 80, 0)",
                    "WinHttpOpenRequest(connection, \"GET\", \"/a/b?x=1&y=2#top\", null, null, "
                    "null, 0x0)"},
        AddressCase{"PortGiven", "http://127.0.0.1:8080/p",
                    "WinHttpConnect(session, \"127.0.0.1\", 8080, 0)",
                    "WinHttpOpenRequest(connection, \"GET\", \"/p\", null, null, null, 0x0)"},
        AddressCase{"Secure", "https://localhost/s",
                    "WinHttpConnect(session, \"localhost\", 443, 0)",
                    "WinHttpOpenRequest(connection, \"GET\", \"/s\", null, null, null, "
                    "0x800000)"},
        AddressCase{"CodePage936Path", "http://127.0.0.1/\xD6\xD0\xCE\xC4",
                    "WinHttpConnect(session, \"127.0.0.1\", 80, 0)",
                    "WinHttpOpenRequest(connection, \"GET\", \"/\xE4\xB8\xAD\xE6\x96\x87\", "
                    "null, null, null, 0x0)"}),
    [](const ::testing::TestParamInfo<AddressCase>& info) { return info.param.name; });

class WebRequestUnusableAddress : public WebRequestContract,
                                  public ::testing::WithParamInterface<const char*> {};

TEST_P(WebRequestUnusableAddress, FailsAtLevelOne) {
    arguments.url = GetParam();
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(outputs.statusText, k701);
    EXPECT_EQ(fake.PendingEventsCount(), 1);
    EXPECT_TRUE(fake.CallsOf("WinHttpOpen").empty());
}

INSTANTIATE_TEST_SUITE_P(Addresses, WebRequestUnusableAddress,
                         ::testing::Values("", "ftp://127.0.0.1/", "127.0.0.1/x", "http://"));

TEST_F(WebRequestContract, EmptyAddressCrackedAsNull) {
    arguments.url = "";
    Run();
    EXPECT_EQ(Only("WinHttpCrackUrl").rfind("WinHttpCrackUrl(null, 0, 0x0, ", 0), 0u);
}

TEST_F(WebRequestContract, HostOutsideCodePage936LosesCharacters) {
    fake.reportedHost = u"h\u0E01st";
    Run();
    EXPECT_EQ(Only("WinHttpConnect"), "WinHttpConnect(session, \"h?st\", 80, 0)");
}

struct ProxyCase {
    const char* name;
    Text url;
    Text proxy;
    std::string open;
};

void PrintTo(const ProxyCase& c, std::ostream* os) {
    *os << c.name;
}

class WebRequestProxy : public WebRequestContract,
                        public ::testing::WithParamInterface<ProxyCase> {};

TEST_P(WebRequestProxy, AccessTypeAndProxyName) {
    arguments.url = GetParam().url;
    arguments.proxy = GetParam().proxy;
    Run();
    EXPECT_EQ(Only("WinHttpOpen"), GetParam().open);
}

INSTANTIATE_TEST_SUITE_P(
    Proxies, WebRequestProxy,
    ::testing::Values(
        ProxyCase{"None", "http://127.0.0.1/", "", "WinHttpOpen(null, 1, \"\", null, 0x0)"},
        ProxyCase{"NoneSecure", "https://127.0.0.1/", "", "WinHttpOpen(null, 1, \"\", null, 0x0)"},
        ProxyCase{"Plain", "http://127.0.0.1/", "127.0.0.1:3128",
                  "WinHttpOpen(null, 3, \"http=127.0.0.1:3128\", null, 0x0)"},
        ProxyCase{"Secure", "https://127.0.0.1/", "127.0.0.1:3128",
                  "WinHttpOpen(null, 3, \"127.0.0.1:3128\", null, 0x0)"},
        ProxyCase{"NoPort", "http://127.0.0.1/", "localhost",
                  "WinHttpOpen(null, 3, \"http=localhost\", null, 0x0)"}),
    [](const ::testing::TestParamInfo<ProxyCase>& info) { return info.param.name; });

struct MethodCase {
    const char* name;
    int method;
    const char* verb;
};

void PrintTo(const MethodCase& c, std::ostream* os) {
    *os << c.name;
}

class WebRequestMethod : public WebRequestContract,
                         public ::testing::WithParamInterface<MethodCase> {};

TEST_P(WebRequestMethod, Verb) {
    arguments.method = GetParam().method;
    Run();
    EXPECT_EQ(Only("WinHttpOpenRequest"), std::string("WinHttpOpenRequest(connection, \"") +
                                              GetParam().verb +
                                              "\", \"/\", null, null, null, 0x0)");
}

INSTANTIATE_TEST_SUITE_P(
    Methods, WebRequestMethod,
    ::testing::Values(MethodCase{"Get", 0, "GET"}, MethodCase{"Post", 1, "POST"},
                      MethodCase{"Head", 2, "HEAD"}, MethodCase{"Put", 3, "PUT"},
                      MethodCase{"FourIsGet", 4, "GET"}, MethodCase{"MinusOneIsGet", -1, "GET"}),
    [](const ::testing::TestParamInfo<MethodCase>& info) { return info.param.name; });

struct TimeoutCase {
    const char* name;
    int seconds;
    long long milliseconds;
};

void PrintTo(const TimeoutCase& c, std::ostream* os) {
    *os << c.name;
}

class WebRequestTimeout : public WebRequestContract,
                          public ::testing::WithParamInterface<TimeoutCase> {};

TEST_P(WebRequestTimeout, AllFourAlike) {
    arguments.timeoutSeconds = GetParam().seconds;
    Run();
    const std::string t = std::to_string(GetParam().milliseconds);
    EXPECT_EQ(Only("WinHttpSetTimeouts"),
              "WinHttpSetTimeouts(request, " + t + ", " + t + ", " + t + ", " + t + ")");
}

INSTANTIATE_TEST_SUITE_P(
    Timeouts, WebRequestTimeout,
    ::testing::Values(TimeoutCase{"Omitted", 0, 30000}, TimeoutCase{"Negative", -5, 30000},
                      TimeoutCase{"IntMin", INT_MIN, 30000}, TimeoutCase{"Five", 5, 5000},
                      TimeoutCase{"LargestThatFits", 2147483, 2147483000LL},
                      TimeoutCase{"FirstBeyond", 2147484, 2147483647LL},
                      TimeoutCase{"IntMax", INT_MAX, 2147483647LL}),
    [](const ::testing::TestParamInfo<TimeoutCase>& info) { return info.param.name; });

struct CredentialsCase {
    const char* name;
    Text userName, password, proxyUserName, proxyPassword;
    Calls expected;
};

void PrintTo(const CredentialsCase& c, std::ostream* os) {
    *os << c.name;
}

class WebRequestCredentials : public WebRequestContract,
                              public ::testing::WithParamInterface<CredentialsCase> {};

TEST_P(WebRequestCredentials, SetOnlyForCompletePairs) {
    const CredentialsCase& c = GetParam();
    arguments.userName = c.userName;
    arguments.password = c.password;
    arguments.proxyUserName = c.proxyUserName;
    arguments.proxyPassword = c.proxyPassword;
    Run();
    EXPECT_EQ(fake.CallsOf("WinHttpSetCredentials"), c.expected);
}

const std::string kServerCredentials =
    "WinHttpSetCredentials(request, 0, 1, \"user\", \"secret\", null)";
const std::string kProxyCredentials =
    "WinHttpSetCredentials(request, 1, 1, \"puser\", \"psecret\", null)";

INSTANTIATE_TEST_SUITE_P(
    Pairs, WebRequestCredentials,
    ::testing::Values(CredentialsCase{"None", "", "", "", "", {}},
                      CredentialsCase{"Server", "user", "secret", "", "", {kServerCredentials}},
                      CredentialsCase{"ServerNameOnly", "user", "", "", "", {}},
                      CredentialsCase{"ServerPasswordOnly", "", "secret", "", "", {}},
                      CredentialsCase{"Proxy", "", "", "puser", "psecret", {kProxyCredentials}},
                      CredentialsCase{"ProxyNameOnly", "", "", "puser", "", {}},
                      CredentialsCase{"ProxyPasswordOnly", "", "", "", "psecret", {}},
                      CredentialsCase{"BothServerFirst",
                                      "user",
                                      "secret",
                                      "puser",
                                      "psecret",
                                      {kServerCredentials, kProxyCredentials}},
                      CredentialsCase{
                          "CodePage936Name",
                          "\xD6\xD0",
                          "p",
                          "",
                          "",
                          {"WinHttpSetCredentials(request, 0, 1, \"\xE4\xB8\xAD\", \"p\", null)"}}),
    [](const ::testing::TestParamInfo<CredentialsCase>& info) { return info.param.name; });

TEST_F(WebRequestContract, OptionsFollowTimeoutsAndCredentials) {
    arguments.userName = "user";
    arguments.password = "secret";
    arguments.disableRedirects = true;
    Run();
    const Calls names = fake.Names();
    const Calls level5(names.begin() + 5, names.begin() + 10);
    EXPECT_EQ(level5, (Calls{"WinHttpSetTimeouts", "WinHttpSetCredentials", "WinHttpSetOption",
                             "WinHttpSetOption", "WinHttpAddRequestHeaders"}));
    EXPECT_EQ(fake.CallsOf("WinHttpSetOption"), (Calls{"WinHttpSetOption(request, 63, 1, 4)",
                                                       "WinHttpSetOption(request, 63, 2, 4)"}));
}

struct CookieOptionCase {
    const char* name;
    bool pass;
    Text cookies;
    Calls options;
    std::string headerEnd;  // how the header block ends
};

void PrintTo(const CookieOptionCase& c, std::ostream* os) {
    *os << c.name;
}

class WebRequestCookieOption : public WebRequestContract,
                               public ::testing::WithParamInterface<CookieOptionCase> {};

TEST_P(WebRequestCookieOption, OptionAndCookieLine) {
    const CookieOptionCase& c = GetParam();
    Text cookies = c.cookies;
    if (c.pass) arguments.cookies = &cookies;
    Run();
    EXPECT_EQ(fake.CallsOf("WinHttpSetOption"), c.options);
    const std::string headers = Only("WinHttpAddRequestHeaders");
    const std::string end = c.headerEnd + "\", ";
    EXPECT_NE(headers.find(end), std::string::npos) << headers;
}

INSTANTIATE_TEST_SUITE_P(
    Cookies, WebRequestCookieOption,
    ::testing::Values(CookieOptionCase{"Omitted",
                                       false,
                                       "",
                                       {"WinHttpSetOption(request, 63, 1, 4)"},
                                       "Cache-Control: no-cache\\r\\n"},
                      CookieOptionCase{"PassedEmpty",
                                       true,
                                       "",
                                       {"WinHttpSetOption(request, 79, 1, 4)"},
                                       "Cache-Control: no-cache\\r\\n"},
                      CookieOptionCase{"Passed",
                                       true,
                                       "a=1; b=2",
                                       {"WinHttpSetOption(request, 79, 1, 4)"},
                                       "Cache-Control: no-cache\\r\\nCookie: a=1; b=2\\r\\n"}),
    [](const ::testing::TestParamInfo<CookieOptionCase>& info) { return info.param.name; });

TEST_F(WebRequestContract, PassedCookiesAreMerged) {
    Text cookies = "a=1; b=2";
    arguments.cookies = &cookies;
    fake.rawHeaders = u"HTTP/1.1 200 OK\r\nSet-Cookie: b=3; path=/\r\nSet-Cookie: c=4\r\n\r\n";
    Run();
    EXPECT_EQ(outputs.receivedCookies, "b=3; c=4; a=1");
    EXPECT_EQ(cookies, "b=3; c=4; a=1");
}

TEST_F(WebRequestContract, EmptyPassedCookiesMergedToo) {
    Text cookies;
    arguments.cookies = &cookies;
    fake.rawHeaders = u"HTTP/1.1 200 OK\r\nSet-Cookie: q=x y\r\n\r\n";
    Run();
    EXPECT_EQ(outputs.receivedCookies, "q=xy");
    EXPECT_EQ(cookies, "q=xy");
}

TEST_F(WebRequestContract, MergeSwitchedOff) {
    Text cookies = "a=1; b=2";
    arguments.cookies = &cookies;
    arguments.mergeCookies = false;
    fake.rawHeaders = u"HTTP/1.1 200 OK\r\nSet-Cookie: b=3; path=/\r\n\r\n";
    Run();
    EXPECT_EQ(outputs.receivedCookies, "b=3");
    EXPECT_EQ(cookies, "a=1; b=2");
}

TEST_F(WebRequestContract, CookiesOmittedNeverMerged) {
    outputs.receivedCookies = "keep=1";
    fake.rawHeaders = u"HTTP/1.1 200 OK\r\nX: y\r\n\r\n";
    Run();
    EXPECT_EQ(outputs.receivedCookies, "keep=1");
}

struct BodyCase {
    const char* name;
    Text requestBody;
    std::string send;
};

void PrintTo(const BodyCase& c, std::ostream* os) {
    *os << c.name;
}

class WebRequestBody : public WebRequestContract, public ::testing::WithParamInterface<BodyCase> {};

TEST_P(WebRequestBody, SentAsStoredBytes) {
    arguments.method = 1;
    arguments.requestBody = GetParam().requestBody;
    Run();
    EXPECT_EQ(Only("WinHttpSendRequest"), GetParam().send);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, WebRequestBody,
    ::testing::Values(BodyCase{"Empty", "", "WinHttpSendRequest(request, null, 0, null, 0, 0, 0)"},
                      BodyCase{"Form", "a=1&b=2",
                               "WinHttpSendRequest(request, null, 0, \"a=1&b=2\", 7, 7, 0)"},
                      BodyCase{"CodePage936Bytes", "n=\xD6\xD0",
                               "WinHttpSendRequest(request, null, 0, \"n=\xD6\xD0\", 4, 4, 0)"}),
    [](const ::testing::TestParamInfo<BodyCase>& info) { return info.param.name; });

TEST_F(WebRequestContract, CallersHeadersGoThroughWide) {
    arguments.extraHeaders = "X-Name: \xD6\xD0\xCE\xC4";  // 中文
    arguments.cookies = nullptr;
    Run();
    const std::string expected =
        "WinHttpAddRequestHeaders(request, \"X-Name: \xE4\xB8\xAD\xE6\x96\x87\\r\\n" +
        std::string(kDefaultBlock) + "\", " + std::to_string(12 + kDefaultBlockLength) +
        ", 0xa0000000)";
    EXPECT_EQ(Only("WinHttpAddRequestHeaders"), expected);
}

}  // namespace
}  // namespace linkgrab
