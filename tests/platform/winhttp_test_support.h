// Helpers of the WinHTTP tests: the fixture servers' ports, wide texts, and one whole exchange
// through the table as the web request routine makes it. The same sources run against the posix
// layer and, in the win32 build, against the system's WinHTTP (under Wine).
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/winhttp.h"

namespace linkgrab {

#ifdef _WIN32
inline constexpr bool kSystemWinHttp = true;
inline DWORD LastError() {
    return static_cast<DWORD>(::GetLastError());
}
inline void ClearLastError() {
    ::SetLastError(0);
}
#else
inline constexpr bool kSystemWinHttp = false;
inline DWORD LastError() {
    return GetLastError();
}
inline void ClearLastError() {
    SetLastError(0);
}
#endif

// A fixture server's port from the environment that tests/fixtures/with_servers.sh sets up;
// a test without it fails, it never passes unchecked.
inline std::string ServerPort(const char* variable) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == 0) {
        ADD_FAILURE() << variable << " is not set: run the tests through "
                      << "tests/fixtures/with_servers.sh";
        return "1";
    }
    return value;
}
inline std::string HttpBase() {
    return "http://127.0.0.1:" + ServerPort("LINKGRAB_HTTP_PORT");
}
// The test certificate names localhost and 127.0.0.1; the system's WinHTTP matches names only.
inline std::string HttpsBase() {
    return "https://localhost:" + ServerPort("LINKGRAB_HTTPS_PORT");
}
inline std::string ProxyAddress() {
    return "127.0.0.1:" + ServerPort("LINKGRAB_PROXY_PORT");
}

inline std::u16string Wide(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}
inline std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// /raw?r=: the fixture server answers with exactly these bytes.
inline std::string RawUrl(const std::string& response) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string encoded;
    unsigned bits = 0;
    int count = 0;
    for (unsigned char c : response) {
        bits = (bits << 8) | c;
        count += 8;
        while (count >= 6) {
            count -= 6;
            encoded += kAlphabet[(bits >> count) & 63];
        }
    }
    if (count > 0) encoded += kAlphabet[(bits << (6 - count)) & 63];
    return HttpBase() + "/raw?r=" + encoded;
}

inline std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '%' || c == '&' || c == '?' || c == '=' || c == '/' || c == ':' || c == '#' ||
            c == ' ' || c == '+') {
            static const char kHex[] = "0123456789ABCDEF";
            out += '%';
            out += kHex[static_cast<unsigned char>(c) >> 4];
            out += kHex[c & 15];
        } else {
            out += c;
        }
    }
    return out;
}

enum class CookieOption { kDisable, kEnable };

struct ExchangeOptions {
    std::u16string verb = u"GET";
    std::string body;
    std::vector<std::u16string> headerBlocks;
    bool hasAgent = false;
    std::u16string agent;
    std::u16string proxy;  // empty: no proxy
    CookieOption cookies = CookieOption::kDisable;
    bool disableRedirects = false;
    std::u16string userName, password, proxyUserName, proxyPassword;
    int timeoutMs = 15000;
    std::string secondUrl;  // a second request on the same session, when set
};

struct ExchangeResult {
    bool sent = false;
    DWORD sendError = 0;
    bool received = false;
    DWORD receiveError = 0;
    bool bodyFailed = false;  // WinHttpQueryDataAvailable or WinHttpReadData failed
    DWORD bodyError = 0;
    std::string body;
    std::vector<DWORD> chunks;
    std::u16string headers;  // WINHTTP_QUERY_RAW_HEADERS_CRLF of the final response
    std::string second;      // the body of the second request
};

// Closes what it holds in the order request, connection, session.
struct Handles {
    HINTERNET session = nullptr, connection = nullptr, request = nullptr;
    void CloseRequest() {
        if (request) WinHttp().WinHttpCloseHandle(request);
        if (connection) WinHttp().WinHttpCloseHandle(connection);
        request = connection = nullptr;
    }
    ~Handles() {
        CloseRequest();
        if (session) WinHttp().WinHttpCloseHandle(session);
    }
};

inline bool OpenRequestFor(Handles& handles, const std::string& url,
                           const ExchangeOptions& options) {
    const WinHttpApi& api = WinHttp();
    std::u16string wideUrl = Wide(url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength =
        parts.dwExtraInfoLength = 0xFFFFFFFF;
    if (!api.WinHttpCrackUrl(wideUrl.c_str(), static_cast<DWORD>(wideUrl.size()), 0, &parts))
        return false;
    std::u16string host(parts.lpszHostName, parts.dwHostNameLength);
    std::u16string object = parts.dwUrlPathLength < 1
                                ? u"/"
                                : std::u16string(parts.lpszUrlPath, parts.dwUrlPathLength) +
                                      std::u16string(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    handles.connection = api.WinHttpConnect(handles.session, host.c_str(), parts.nPort, 0);
    if (handles.connection == nullptr) return false;
    handles.request = api.WinHttpOpenRequest(
        handles.connection, options.verb.c_str(), object.c_str(), nullptr, nullptr, nullptr,
        parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
    if (handles.request == nullptr) return false;
    int t = options.timeoutMs;
    if (!api.WinHttpSetTimeouts(handles.request, t, t, t, t)) return false;
    if (!options.userName.empty() &&
        !api.WinHttpSetCredentials(handles.request, WINHTTP_AUTH_TARGET_SERVER,
                                   WINHTTP_AUTH_SCHEME_BASIC, options.userName.c_str(),
                                   options.password.c_str(), nullptr))
        return false;
    if (!options.proxyUserName.empty() &&
        !api.WinHttpSetCredentials(handles.request, WINHTTP_AUTH_TARGET_PROXY,
                                   WINHTTP_AUTH_SCHEME_BASIC, options.proxyUserName.c_str(),
                                   options.proxyPassword.c_str(), nullptr))
        return false;
    DWORD one = 1, two = WINHTTP_DISABLE_REDIRECTS;
    if (options.cookies == CookieOption::kDisable
            ? !api.WinHttpSetOption(handles.request, WINHTTP_OPTION_DISABLE_FEATURE, &one, 4)
            : !api.WinHttpSetOption(handles.request, WINHTTP_OPTION_ENABLE_FEATURE, &one, 4))
        return false;
    if (options.disableRedirects &&
        !api.WinHttpSetOption(handles.request, WINHTTP_OPTION_DISABLE_FEATURE, &two, 4))
        return false;
    for (const std::u16string& block : options.headerBlocks)
        if (!api.WinHttpAddRequestHeaders(handles.request, block.c_str(),
                                          static_cast<DWORD>(block.size()),
                                          WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE))
            return false;
    return true;
}

// Reads the body as the web request routine does: available, then read that much.
inline void ReadBody(HINTERNET request, ExchangeResult& result) {
    const WinHttpApi& api = WinHttp();
    for (;;) {
        DWORD available = 0;
        if (!api.WinHttpQueryDataAvailable(request, &available)) {
            result.bodyFailed = true;
            result.bodyError = LastError();
            return;
        }
        if (available < 1) return;
        std::string chunk(available, '\0');
        DWORD read = 0;
        if (!api.WinHttpReadData(request, chunk.data(), available, &read)) {
            result.bodyFailed = true;
            result.bodyError = LastError();
            return;
        }
        result.chunks.push_back(read);
        result.body.append(chunk.data(), read);
    }
}

inline std::u16string RawHeaders(HINTERNET request) {
    const WinHttpApi& api = WinHttp();
    DWORD size = 0, index = 0;
    api.WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr, nullptr, &size,
                            &index);
    std::u16string text(size / 2, u'\0');
    index = 0;
    if (size == 0 || !api.WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr,
                                              text.data(), &size, &index))
        return std::u16string();
    text.resize(size / 2);
    return text;
}

inline ExchangeResult Exchange(const std::string& url, const ExchangeOptions& options = {}) {
    const WinHttpApi& api = WinHttp();
    ExchangeResult result;
    Handles handles;
    handles.session = api.WinHttpOpen(
        options.hasAgent ? options.agent.c_str() : nullptr,
        options.proxy.empty() ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY,
        options.proxy.c_str(), nullptr, 0);
    if (handles.session == nullptr || !OpenRequestFor(handles, url, options)) {
        ADD_FAILURE() << "could not set up the request for " << url << ": " << LastError();
        return result;
    }
    char* body = options.body.empty() ? nullptr : const_cast<char*>(options.body.data());
    DWORD length = static_cast<DWORD>(options.body.size());
    result.sent = api.WinHttpSendRequest(handles.request, nullptr, 0, body, length, length, 0);
    if (!result.sent) {
        result.sendError = LastError();
        return result;
    }
    result.received = api.WinHttpReceiveResponse(handles.request, nullptr);
    if (!result.received) {
        result.receiveError = LastError();
        return result;
    }
    ReadBody(handles.request, result);
    result.headers = RawHeaders(handles.request);
    if (!options.secondUrl.empty()) {
        handles.CloseRequest();
        ExchangeOptions again = options;
        again.headerBlocks.clear();
        ExchangeResult second;
        if (OpenRequestFor(handles, options.secondUrl, again) &&
            api.WinHttpSendRequest(handles.request, nullptr, 0, nullptr, 0, 0, 0) &&
            api.WinHttpReceiveResponse(handles.request, nullptr))
            ReadBody(handles.request, second);
        result.second = second.body;
    }
    return result;
}

// The request head that /echo sent back, without its body.
inline std::string EchoedHead(const ExchangeResult& result) {
    std::size_t end = result.body.find("\r\n\r\n");
    return end == std::string::npos ? result.body : result.body.substr(0, end + 4);
}

inline std::string HostLine() {
    return "Host: 127.0.0.1:" + ServerPort("LINKGRAB_HTTP_PORT") + "\r\n";
}

// The head with its Host line taken out. libcurl writes the Host line right behind the request
// line where Wine's WinHTTP puts it behind the caller's lines and User-Agent; servers do not
// care, so the tests compare the other lines in order and Host on its own.
inline std::string WithoutHost(std::string head) {
    std::size_t host = head.find(HostLine());
    if (host == std::string::npos) return head + " (no " + HostLine() + ")";
    return head.erase(host, HostLine().size());
}

}  // namespace linkgrab
