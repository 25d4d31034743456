// The posix WinHTTP layer's handles: a session holds the proxy, the user agent and the cookie
// jar; a connection names the server; a request carries everything one exchange needs and,
// once sent, its transfer. Shared between the layer's files only.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/winhttp_cookies.h"
#include "platform/posix/winhttp_proxy.h"
#include "platform/winhttp.h"

namespace linkgrab::winhttp {

inline constexpr DWORD kErrorInvalidHandle = 6;
inline constexpr DWORD kErrorNotEnoughMemory = 8;
inline constexpr DWORD kErrorInvalidParameter = 87;
inline constexpr DWORD kErrorInternal = 12004;
inline constexpr DWORD kErrorInvalidOption = 12009;
inline constexpr DWORD kErrorIncorrectHandleType = 12018;
inline constexpr DWORD kErrorIncorrectHandleState = 12019;
inline constexpr DWORD kErrorHeaderNotFound = 12150;
inline constexpr DWORD kErrorInvalidHeader = 12153;
inline constexpr DWORD kErrorHeaderAlreadyExists = 12155;
inline constexpr DWORD kErrorRedirectFailed = 12156;

// Time-outs in milliseconds; 0 or less waits for ever.
struct Timeouts {
    int resolve = 0;
    int connect = 60000;
    int send = 30000;
    int receive = 30000;
};

struct Credentials {
    std::string userName;  // UTF-8
    std::string password;
    bool set = false;
};

// One request header line as it goes on the wire (UTF-8).
struct HeaderLine {
    std::string name;
    std::string value;
};

enum class HandleType { kSession, kConnection, kRequest };

struct Session {
    bool hasAgent = false;
    std::string agent;  // UTF-8
    ProxyList proxies;
    Timeouts timeouts;
    CookieJar cookies;
};

struct Connection {
    std::shared_ptr<Session> session;
    std::u16string host;
    INTERNET_PORT port = 0;
};

class Transfer;

struct Request {
    std::shared_ptr<Session> session;
    std::shared_ptr<Connection> connection;
    std::string verb;    // UTF-8
    std::string target;  // the escaped object name: path, query and fragment
    bool secure = false;
    Timeouts timeouts;
    Credentials server;
    Credentials proxy;
    bool cookiesDisabled = false;
    bool redirectsDisabled = false;
    std::vector<HeaderLine> headers;
    std::unique_ptr<Transfer> transfer;  // from WinHttpSendRequest on
    ~Request();
};

// Every handle the layer gave out and has not closed yet.
struct Handle {
    HandleType type;
    std::shared_ptr<Session> session;
    std::shared_ptr<Connection> connection;
    std::shared_ptr<Request> request;
};

HINTERNET RegisterHandle(Handle handle);
// The live handle, or nullptr with the last error set (invalid handle, wrong type).
Handle* FindHandle(HINTERNET handle);
Request* FindRequest(HINTERNET handle);
bool CloseRegisteredHandle(HINTERNET handle);

void SetError(DWORD error);
DWORD LastError();

std::string ToUtf8(const char16_t* text, std::size_t length);
inline std::string ToUtf8(const std::u16string& text) {
    return ToUtf8(text.data(), text.size());
}
std::size_t WideLength(const char16_t* text);

}  // namespace linkgrab::winhttp
