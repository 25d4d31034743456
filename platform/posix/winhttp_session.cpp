// WinHTTP's handles on posix: sessions, connections and requests with their settings (proxy,
// user agent, time-outs, credentials, options), the registry of live handles and the calling
// thread's last error.
#include <mutex>
#include <unordered_map>

#include "platform/posix/utf8.h"
#include "platform/posix/winhttp_functions.h"
#include "platform/posix/winhttp_handles.h"
#include "platform/posix/winhttp_target.h"
#include "platform/posix/winhttp_transfer.h"

namespace linkgrab {

namespace {
thread_local DWORD lastError = 0;
}  // namespace

DWORD GetLastError() {
    return lastError;
}
void SetLastError(DWORD error) {
    lastError = error;
}

namespace winhttp {

namespace {

std::mutex registryMutex;
std::unordered_map<HINTERNET, std::unique_ptr<Handle>>& Registry() {
    static auto* registry = new std::unordered_map<HINTERNET, std::unique_ptr<Handle>>();
    return *registry;
}

bool ValidTimeout(int value) {
    return value >= -1;
}

}  // namespace

Request::~Request() = default;

void SetError(DWORD error) {
    lastError = error;
}
DWORD LastError() {
    return lastError;
}

std::size_t WideLength(const char16_t* text) {
    std::size_t length = 0;
    while (text[length] != 0) ++length;
    return length;
}

std::string ToUtf8(const char16_t* text, std::size_t length) {
    std::string out;
    out.reserve(length);
    AppendUtf16AsUtf8(out, text, length);
    return out;
}

HINTERNET RegisterHandle(Handle handle) {
    auto owned = std::make_unique<Handle>(std::move(handle));
    HINTERNET key = owned.get();
    std::lock_guard<std::mutex> lock(registryMutex);
    Registry().emplace(key, std::move(owned));
    return key;
}

Handle* FindHandle(HINTERNET handle) {
    std::lock_guard<std::mutex> lock(registryMutex);
    auto found = Registry().find(handle);
    if (found == Registry().end()) {
        SetError(kErrorInvalidHandle);
        return nullptr;
    }
    return found->second.get();
}

Request* FindRequest(HINTERNET handle) {
    Handle* found = FindHandle(handle);
    if (found == nullptr) return nullptr;
    if (found->type != HandleType::kRequest) {
        SetError(kErrorIncorrectHandleType);
        return nullptr;
    }
    return found->request.get();
}

bool CloseRegisteredHandle(HINTERNET handle) {
    std::unique_ptr<Handle> closing;
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        auto found = Registry().find(handle);
        if (found == Registry().end()) return false;
        closing = std::move(found->second);
        Registry().erase(found);
    }
    return true;  // the transfer, if any, ends with the last reference to its request
}

BOOL LINKGRAB_WINAPI CheckPlatform() {
    return 1;
}

HINTERNET LINKGRAB_WINAPI Open(LPCWSTR agent, DWORD accessType, LPCWSTR proxy, LPCWSTR,
                               DWORD flags) {
    constexpr DWORD kDefaultProxy = 0;
    constexpr DWORD kAutomaticProxy = 4;
    if (flags != 0 || (accessType != WINHTTP_ACCESS_TYPE_NO_PROXY &&
                       accessType != WINHTTP_ACCESS_TYPE_NAMED_PROXY &&
                       accessType != kDefaultProxy && accessType != kAutomaticProxy)) {
        SetError(kErrorInvalidParameter);
        return nullptr;
    }
    auto session = std::make_shared<Session>();
    if (agent != nullptr) {
        session->hasAgent = true;
        session->agent = ToUtf8(agent, WideLength(agent));
    }
    // Only a named proxy is used; the default and automatic configurations of the system go
    // direct, as no such configuration exists here.
    if (accessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && proxy != nullptr)
        session->proxies = ParseProxyList(ToUtf8(proxy, WideLength(proxy)));
    return RegisterHandle({HandleType::kSession, session, nullptr, nullptr});
}

HINTERNET LINKGRAB_WINAPI Connect(HINTERNET session, LPCWSTR server, INTERNET_PORT port, DWORD) {
    if (server == nullptr) {
        SetError(kErrorInvalidParameter);
        return nullptr;
    }
    Handle* found = FindHandle(session);
    if (found == nullptr) return nullptr;
    if (found->type != HandleType::kSession) {
        SetError(kErrorIncorrectHandleType);
        return nullptr;
    }
    auto connection = std::make_shared<Connection>();
    connection->session = found->session;
    connection->host.assign(server, WideLength(server));
    connection->port = port;
    return RegisterHandle({HandleType::kConnection, found->session, connection, nullptr});
}

HINTERNET LINKGRAB_WINAPI OpenRequest(HINTERNET connection, LPCWSTR verb, LPCWSTR objectName,
                                      LPCWSTR version, LPCWSTR, LPCWSTR*, DWORD flags) {
    Handle* found = FindHandle(connection);
    if (found == nullptr) return nullptr;
    if (found->type != HandleType::kConnection) {
        SetError(kErrorIncorrectHandleType);
        return nullptr;
    }
    // HTTP/1.1 is the only version spoken; asking for another one is refused.
    if (version != nullptr) {
        std::string asked = ToUtf8(version, WideLength(version));
        if (!asked.empty() && asked != "HTTP/1.1") {
            SetError(kErrorInvalidParameter);
            return nullptr;
        }
    }
    auto request = std::make_shared<Request>();
    request->session = found->session;
    request->connection = found->connection;
    request->verb = verb != nullptr && verb[0] != 0 ? ToUtf8(verb, WideLength(verb)) : "GET";
    std::u16string object = objectName != nullptr && objectName[0] != 0
                                ? std::u16string(objectName, WideLength(objectName))
                                : u"/";
    if (object[0] != '/') object.insert(object.begin(), u'/');
    request->target = EscapeObjectName(object);
    request->secure = (flags & WINHTTP_FLAG_SECURE) != 0;
    request->timeouts = found->session->timeouts;
    return RegisterHandle({HandleType::kRequest, found->session, found->connection, request});
}

BOOL LINKGRAB_WINAPI SetTimeouts(HINTERNET handle, int resolve, int connect, int send,
                                 int receive) {
    if (!ValidTimeout(resolve) || !ValidTimeout(connect) || !ValidTimeout(send) ||
        !ValidTimeout(receive)) {
        SetError(kErrorInvalidParameter);
        return 0;
    }
    Handle* found = FindHandle(handle);
    if (found == nullptr) return 0;
    Timeouts timeouts{resolve, connect, send, receive};
    switch (found->type) {
        case HandleType::kSession:
            found->session->timeouts = timeouts;
            return 1;
        case HandleType::kRequest:
            found->request->timeouts = timeouts;
            return 1;
        case HandleType::kConnection:
            break;
    }
    SetError(kErrorIncorrectHandleType);
    return 0;
}

BOOL LINKGRAB_WINAPI SetCredentials(HINTERNET request, DWORD targets, DWORD scheme,
                                    LPCWSTR userName, LPCWSTR password, LPVOID) {
    Request* found = FindRequest(request);
    if (found == nullptr) return 0;
    if (scheme != WINHTTP_AUTH_SCHEME_BASIC || userName == nullptr ||
        (targets != WINHTTP_AUTH_TARGET_SERVER && targets != WINHTTP_AUTH_TARGET_PROXY)) {
        SetError(kErrorInvalidParameter);
        return 0;
    }
    Credentials& credentials = targets == WINHTTP_AUTH_TARGET_SERVER ? found->server : found->proxy;
    credentials.userName = ToUtf8(userName, WideLength(userName));
    credentials.password = password != nullptr ? ToUtf8(password, WideLength(password)) : "";
    credentials.set = true;
    return 1;
}

BOOL LINKGRAB_WINAPI SetOption(HINTERNET handle, DWORD option, LPVOID buffer, DWORD length) {
    Handle* found = FindHandle(handle);
    if (found == nullptr) return 0;
    if (buffer == nullptr || length != sizeof(DWORD)) {
        SetError(kErrorInvalidParameter);
        return 0;
    }
    DWORD value = *static_cast<const DWORD*>(buffer);
    if (option != WINHTTP_OPTION_DISABLE_FEATURE && option != WINHTTP_OPTION_ENABLE_FEATURE) {
        SetError(kErrorInvalidOption);
        return 0;
    }
    if (found->type != HandleType::kRequest) {
        SetError(kErrorIncorrectHandleType);
        return 0;
    }
    Request& request = *found->request;
    if (option == WINHTTP_OPTION_DISABLE_FEATURE) {
        if ((value & ~(WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_REDIRECTS)) != 0) {
            SetError(kErrorInvalidParameter);
            return 0;
        }
        if ((value & WINHTTP_DISABLE_COOKIES) != 0) request.cookiesDisabled = true;
        if ((value & WINHTTP_DISABLE_REDIRECTS) != 0) request.redirectsDisabled = true;
        return 1;
    }
    // Revocation checking is accepted; the certificate chain itself is always verified.
    if (value != WINHTTP_ENABLE_SSL_REVOCATION) {
        SetError(kErrorInvalidParameter);
        return 0;
    }
    return 1;
}

BOOL LINKGRAB_WINAPI CloseHandle(HINTERNET handle) {
    if (!CloseRegisteredHandle(handle)) {
        SetError(kErrorInvalidHandle);
        return 0;
    }
    return 1;
}

}  // namespace winhttp
}  // namespace linkgrab
