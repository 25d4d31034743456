// WinHttpCrackUrl: the table holds what Wine's WinHTTP gives for each address (measured with
// the address passed NUL-terminated and the scheme, host, path and extra parts asked for as
// pointers into it).
#include <gtest/gtest.h>

#include <string>

#include "tests/platform/winhttp_test_support.h"

namespace linkgrab {
namespace {

struct CrackCase {
    const char* url;
    DWORD error;  // 0: success
    INTERNET_SCHEME scheme = 0;
    INTERNET_PORT port = 0;
    const char* host = "";
    const char* path = "";
    const char* extra = "";
};

const CrackCase kCrackCases[] = {
    {"http://host", 0, INTERNET_SCHEME_HTTP, 80, "host", "", ""},
    {"http://host/", 0, INTERNET_SCHEME_HTTP, 80, "host", "/", ""},
    {"http://host:8080/path?q=1#f", 0, INTERNET_SCHEME_HTTP, 8080, "host", "/path", "?q=1#f"},
    {"https://host", 0, INTERNET_SCHEME_HTTPS, 443, "host", "", ""},
    {"https://host:443/a", 0, INTERNET_SCHEME_HTTPS, 443, "host", "/a", ""},
    {"HTTP://HOST/UPPER", 0, INTERNET_SCHEME_HTTP, 80, "HOST", "/UPPER", ""},
    {"HtTpS://h/", 0, INTERNET_SCHEME_HTTPS, 443, "h", "/", ""},
    {"ftp://host/", ERROR_WINHTTP_UNRECOGNIZED_SCHEME},
    {"file:///c:/x", ERROR_WINHTTP_UNRECOGNIZED_SCHEME},
    {"mailto:x@y", ERROR_WINHTTP_UNRECOGNIZED_SCHEME},
    {"", ERROR_WINHTTP_UNRECOGNIZED_SCHEME},
    {"host/path", ERROR_WINHTTP_UNRECOGNIZED_SCHEME},
    {" http://host", ERROR_WINHTTP_UNRECOGNIZED_SCHEME},
    {"http:/host", ERROR_WINHTTP_INVALID_URL},
    {"http://", ERROR_WINHTTP_INVALID_URL},
    {"http:", ERROR_WINHTTP_INVALID_URL},
    {"http:host", ERROR_WINHTTP_INVALID_URL},
    {"http:///path", 0, INTERNET_SCHEME_HTTP, 80, "", "/path", ""},
    // User name and password are split off the host even when they are not asked for.
    {"http://user:pw@host:81/p", 0, INTERNET_SCHEME_HTTP, 81, "host", "/p", ""},
    {"http://user@host/p", 0, INTERNET_SCHEME_HTTP, 80, "host", "/p", ""},
    {"http://a@b@host/p", 0, INTERNET_SCHEME_HTTP, 80, "b@host", "/p", ""},
    // The port is the run of digits after the colon; an empty one is the default.
    {"http://host:/p", 0, INTERNET_SCHEME_HTTP, 80, "host", "/p", ""},
    {"http://host:0/p", 0, INTERNET_SCHEME_HTTP, 0, "host", "/p", ""},
    {"http://host:65535/", 0, INTERNET_SCHEME_HTTP, 65535, "host", "/", ""},
    {"http://host:65536/", ERROR_WINHTTP_INVALID_URL},
    {"http://host:99999/", ERROR_WINHTTP_INVALID_URL},
    {"http://host:abc/", 0, INTERNET_SCHEME_HTTP, 0, "host", "/", ""},
    {"http://host:8a/", 0, INTERNET_SCHEME_HTTP, 8, "host", "/", ""},
    {"http://host:-1/", 0, INTERNET_SCHEME_HTTP, 0, "host", "/", ""},
    {"https://host:080/", 0, INTERNET_SCHEME_HTTPS, 80, "host", "/", ""},
    // The host runs to the first '/': a query or fragment without a path stays in it.
    {"http://host#frag", 0, INTERNET_SCHEME_HTTP, 80, "host#frag", "", ""},
    {"http://host?q", 0, INTERNET_SCHEME_HTTP, 80, "host?q", "", ""},
    {"http://host?a/b", 0, INTERNET_SCHEME_HTTP, 80, "host?a", "/b", ""},
    {"http://host\\path", 0, INTERNET_SCHEME_HTTP, 80, "host\\path", "", ""},
    // The extra information starts at the first '?'; a '#' stays in the path.
    {"http://h/p?a#b", 0, INTERNET_SCHEME_HTTP, 80, "h", "/p", "?a#b"},
    {"http://h/p#a?b", 0, INTERNET_SCHEME_HTTP, 80, "h", "/p#a", "?b"},
    {"http://h/p#a", 0, INTERNET_SCHEME_HTTP, 80, "h", "/p#a", ""},
    {"http://host/p;x?y", 0, INTERNET_SCHEME_HTTP, 80, "host", "/p;x", "?y"},
    {"http://host/a b", 0, INTERNET_SCHEME_HTTP, 80, "host", "/a b", ""},
    {"http://ho st/", 0, INTERNET_SCHEME_HTTP, 80, "ho st", "/", ""},
    {"http://host/%41", 0, INTERNET_SCHEME_HTTP, 80, "host", "/%41", ""},
    // No brackets: the first colon starts the port.
    {"http://[::1]:8080/x", 0, INTERNET_SCHEME_HTTP, 0, "[", "/x", ""},
};

std::string Part(const WCHAR* text, DWORD length) {
    return text == nullptr ? "(null)" : Narrow(std::u16string(text, length));
}

TEST(WinHttpCrackUrl, SplitsAddressesAsWinHttpDoes) {
    for (const CrackCase& c : kCrackCases) {
        SCOPED_TRACE(c.url);
        std::u16string url = Wide(c.url);
        URL_COMPONENTS parts{};
        parts.dwStructSize = sizeof parts;
        parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength =
            parts.dwExtraInfoLength = 0xFFFFFFFF;
        ClearLastError();
        BOOL ok = WinHttp().WinHttpCrackUrl(url.c_str(), 0, 0, &parts);
        if (c.error != 0) {
            EXPECT_FALSE(ok);
            EXPECT_EQ(LastError(), c.error);
            continue;
        }
        ASSERT_TRUE(ok) << LastError();
        EXPECT_EQ(parts.nScheme, c.scheme);
        EXPECT_EQ(parts.nPort, c.port);
        EXPECT_EQ(Part(parts.lpszHostName, parts.dwHostNameLength), c.host);
        EXPECT_EQ(Part(parts.lpszUrlPath, parts.dwUrlPathLength), c.path);
        EXPECT_EQ(Part(parts.lpszExtraInfo, parts.dwExtraInfoLength), c.extra);
        // Pointers point into the address itself.
        EXPECT_EQ(parts.lpszScheme, url.c_str());
        EXPECT_EQ(parts.lpszExtraInfo + parts.dwExtraInfoLength, url.c_str() + url.size());
        // Fields not asked for stay untouched.
        EXPECT_EQ(parts.lpszUserName, nullptr);
        EXPECT_EQ(parts.dwUserNameLength, 0u);
        EXPECT_EQ(parts.lpszPassword, nullptr);
    }
}

TEST(WinHttpCrackUrl, GivesUserNameAndPasswordWhenAsked) {
    struct Case {
        const char* url;
        const char* user;
        const char* password;
    } cases[] = {
        {"http://user:pw@host:81/p?q#f", "user", "pw"},
        {"http://user@host/p", "user", "(null)"},
        {"http://:pw@host/p", "", "pw"},
        {"http://u:@host/p", "u", ""},
        {"http://a:b:c@host/p", "a", "b:c"},
        {"http://host/p", "(null)", "(null)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        std::u16string url = Wide(c.url);
        URL_COMPONENTS parts{};
        parts.dwStructSize = sizeof parts;
        // Any non-zero length with a null pointer asks for a pointer into the address.
        parts.dwHostNameLength = parts.dwUserNameLength = parts.dwPasswordLength = 1;
        ASSERT_TRUE(WinHttp().WinHttpCrackUrl(url.c_str(), 0, 0, &parts));
        EXPECT_EQ(Part(parts.lpszUserName, parts.dwUserNameLength), c.user);
        EXPECT_EQ(Part(parts.lpszPassword, parts.dwPasswordLength), c.password);
        EXPECT_EQ(Part(parts.lpszHostName, parts.dwHostNameLength), "host");
        EXPECT_EQ(parts.lpszUrlPath, nullptr);  // not asked for
    }
}

TEST(WinHttpCrackUrl, TakesTheGivenLengthOfTheAddress) {
    std::u16string url = u"http://host:8080/path?q=1#f-and-more";
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 0xFFFFFFFF;
    ASSERT_TRUE(WinHttp().WinHttpCrackUrl(url.c_str(), 27, 0, &parts));
    EXPECT_EQ(Part(parts.lpszExtraInfo, parts.dwExtraInfoLength), "?q=1#f");
    EXPECT_EQ(parts.nPort, 8080);
}

TEST(WinHttpCrackUrl, CopiesIntoCallerBuffersAndReportsShortOnes) {
    std::u16string url = u"http://user:pw@host:81/p?q#f";
    WCHAR buffers[6][64];
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    LPWSTR* pointers[] = {&parts.lpszScheme,   &parts.lpszHostName, &parts.lpszUserName,
                          &parts.lpszPassword, &parts.lpszUrlPath,  &parts.lpszExtraInfo};
    DWORD* lengths[] = {&parts.dwSchemeLength,   &parts.dwHostNameLength, &parts.dwUserNameLength,
                        &parts.dwPasswordLength, &parts.dwUrlPathLength,  &parts.dwExtraInfoLength};
    for (int i = 0; i < 6; ++i) {
        *pointers[i] = buffers[i];
        *lengths[i] = 64;
    }
    ASSERT_TRUE(WinHttp().WinHttpCrackUrl(url.c_str(), 0, 0, &parts));
    EXPECT_EQ(Narrow(buffers[1]), "host");
    EXPECT_EQ(parts.dwHostNameLength, 4u);
    EXPECT_EQ(Narrow(buffers[5]), "?q#f");
    EXPECT_EQ(parts.dwExtraInfoLength, 4u);

    // Buffers of 4 code units: a part that does not fit with its terminator gets its needed
    // length (terminator included), the others are filled, and the call fails.
    for (int i = 0; i < 6; ++i) *lengths[i] = 4;
    ClearLastError();
    EXPECT_FALSE(WinHttp().WinHttpCrackUrl(url.c_str(), 0, 0, &parts));
    EXPECT_EQ(LastError(), ERROR_INSUFFICIENT_BUFFER);
    DWORD expected[] = {5, 5, 5, 2, 2, 5};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(*lengths[i], expected[i]) << i;
}

TEST(WinHttpCrackUrl, RefusesMissingArguments) {
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    EXPECT_FALSE(WinHttp().WinHttpCrackUrl(nullptr, 0, 0, &parts));
    EXPECT_FALSE(WinHttp().WinHttpCrackUrl(u"http://host/", 0, 0, nullptr));
    parts.dwStructSize = 12;
    EXPECT_FALSE(WinHttp().WinHttpCrackUrl(u"http://host/", 0, 0, &parts));
}

TEST(WinHttpCheckPlatform, IsSupported) {
    EXPECT_TRUE(WinHttp().WinHttpCheckPlatform());
}

}  // namespace
}  // namespace linkgrab
