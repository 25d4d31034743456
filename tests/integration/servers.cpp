#include "tests/integration/servers.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstddef>
#include <cstdlib>

#include "platform/winhttp.h"

namespace linkgrab {

namespace {

std::string Variable(const char* name, std::string& missing) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return value;
    if (!missing.empty()) missing += ", ";
    missing += name;
    return std::string();
}

TestServers ReadServers() {
    TestServers servers;
    servers.httpPort = Variable("LINKGRAB_HTTP_PORT", servers.missing);
    servers.httpsPort = Variable("LINKGRAB_HTTPS_PORT", servers.missing);
    servers.proxyPort = Variable("LINKGRAB_PROXY_PORT", servers.missing);
    servers.authProxyPort = Variable("LINKGRAB_AUTH_PROXY_PORT", servers.missing);
    servers.wrongHostPort = Variable("LINKGRAB_WRONG_HOST_PORT", servers.missing);
    servers.selfSignedPort = Variable("LINKGRAB_SELF_SIGNED_PORT", servers.missing);
    servers.testCa = Variable("LINKGRAB_TEST_CA", servers.missing);
    return servers;
}

std::string Base64Url(const std::string& bytes) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned value = static_cast<unsigned char>(bytes[i]) << 16 |
                               static_cast<unsigned char>(bytes[i + 1]) << 8 |
                               static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[value >> 18 & 63];
        out += kAlphabet[value >> 12 & 63];
        out += kAlphabet[value >> 6 & 63];
        out += kAlphabet[value & 63];
    }
    if (i < bytes.size()) {
        unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kAlphabet[value >> 18 & 63];
        out += kAlphabet[value >> 12 & 63];
        if (i + 1 < bytes.size()) out += kAlphabet[value >> 6 & 63];
    }
    return out;
}

}  // namespace

const TestServers& Servers() {
    static const TestServers servers = ReadServers();
    return servers;
}

Text HttpUrl(const std::string& path) {
    return "http://127.0.0.1:" + Servers().httpPort + path;
}

Text HttpsUrl(const std::string& path) {
    return "https://localhost:" + Servers().httpsPort + path;
}

Text ProxyAddress() {
    return "127.0.0.1:" + Servers().proxyPort;
}

Text AuthProxyAddress() {
    return "127.0.0.1:" + Servers().authProxyPort;
}

Text RawResponseUrl(const std::string& response) {
    return HttpUrl("/raw?r=" + Base64Url(response));
}

// Port 1 (tcpmux) has no listener on any machine these tests run on.
Text RefusedUrl(const std::string& path) {
    return "http://127.0.0.1:1" + path;
}

std::string QueryValue(const std::string& value) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : value) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
            (byte >= '0' && byte <= '9') || byte == '-' || byte == '_' || byte == '.') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

bool RunningUnderWine() {
#ifdef _WIN32
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

Exchange Fetch(WebRequestArguments arguments) {
    Exchange exchange;
    arguments.statusText = &exchange.statusText;
    arguments.responseHeaders = &exchange.responseHeaders;
    arguments.receivedCookies = &exchange.receivedCookies;
    arguments.redirectLocation = &exchange.redirectLocation;
    arguments.responseBody = &exchange.responseBody;
    exchange.pageText = WebRequest(arguments);
    return exchange;
}

int LinesStartingWith(const Text& text, const std::string& name) {
    int count = 0;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find("\r\n", begin);
        if (end == std::string::npos) end = text.size();
        if (text.compare(begin, name.size(), name) == 0) ++count;
        begin = end + 2;
    }
    return count;
}

void ServerTest::SetUp() {
    ASSERT_TRUE(Servers().missing.empty())
        << "not set: " << Servers().missing
        << ". Run the integration tests through tests/fixtures/with_servers.sh, which starts "
           "the servers and sets these variables.";
    static const bool trusted = [] {
        SetWinHttpTestCertificateAuthority(Servers().testCa.c_str());
        return true;
    }();
    (void)trusted;
}

}  // namespace linkgrab
