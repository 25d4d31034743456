// WinHttpCrackUrl: an address split into its parts the way WinHTTP splits it. The authority
// ends at the first '/', the port is the run of digits after the first ':' of the host part,
// the extra information starts at the path's first '?'; a '#' stays in the path (Wine's
// WinHTTP splits so).
#include <cstring>

#include "platform/posix/winhttp_functions.h"
#include "platform/posix/winhttp_handles.h"

namespace linkgrab::winhttp {

namespace {

constexpr DWORD kIcuRejectUserPwd = 0x00004000;

struct Part {
    const WCHAR* begin = nullptr;  // nullptr: the address has no such part
    DWORD length = 0;
};

bool SchemeIs(const WCHAR* scheme, DWORD length, const char* name) {
    if (length != std::strlen(name)) return false;
    for (DWORD i = 0; i < length; ++i) {
        WCHAR c = scheme[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<WCHAR>(c - 'A' + 'a');
        if (c != static_cast<unsigned char>(name[i])) return false;
    }
    return true;
}

const WCHAR* Find(const WCHAR* begin, const WCHAR* end, WCHAR c) {
    for (const WCHAR* p = begin; p < end; ++p)
        if (*p == c) return p;
    return nullptr;
}

// Fills one field: a pointer into the address when the caller gave none, else a copy.
bool Fill(const Part& part, LPWSTR& pointer, DWORD& length) {
    if (pointer == nullptr) {
        if (length == 0) return true;
        pointer = const_cast<LPWSTR>(part.begin);
        length = part.length;
        return true;
    }
    if (part.length + 1 > length) {
        length = part.length + 1;
        return false;
    }
    if (part.length > 0) std::memcpy(pointer, part.begin, part.length * sizeof(WCHAR));
    pointer[part.length] = 0;
    length = part.length;
    return true;
}

}  // namespace

BOOL LINKGRAB_WINAPI CrackUrl(LPCWSTR url, DWORD urlLength, DWORD flags,
                              URL_COMPONENTS* components) {
    if (url == nullptr || components == nullptr ||
        components->dwStructSize != sizeof(URL_COMPONENTS) || (flags & ~kIcuRejectUserPwd) != 0) {
        SetError(kErrorInvalidParameter);
        return 0;
    }
    const WCHAR* end = url + (urlLength != 0 ? urlLength : WideLength(url));
    const WCHAR* colon = Find(url, end, ':');
    if (colon == nullptr) {
        SetError(ERROR_WINHTTP_UNRECOGNIZED_SCHEME);
        return 0;
    }
    INTERNET_SCHEME scheme = 0;
    DWORD schemeLength = static_cast<DWORD>(colon - url);
    if (SchemeIs(url, schemeLength, "http")) {
        scheme = INTERNET_SCHEME_HTTP;
    } else if (SchemeIs(url, schemeLength, "https")) {
        scheme = INTERNET_SCHEME_HTTPS;
    } else {
        SetError(ERROR_WINHTTP_UNRECOGNIZED_SCHEME);
        return 0;
    }
    if (end - colon < 4 || colon[1] != '/' || colon[2] != '/') {
        SetError(ERROR_WINHTTP_INVALID_URL);
        return 0;
    }
    const WCHAR* authority = colon + 3;
    const WCHAR* slash = Find(authority, end, '/');
    const WCHAR* authorityEnd = slash != nullptr ? slash : end;

    Part user, password, host, path, extra;
    const WCHAR* hostBegin = authority;
    if (const WCHAR* at = Find(authority, authorityEnd, '@')) {
        const WCHAR* split = Find(authority, at, ':');
        user = {authority, static_cast<DWORD>((split != nullptr ? split : at) - authority)};
        if (split != nullptr) password = {split + 1, static_cast<DWORD>(at - split - 1)};
        hostBegin = at + 1;
        if ((flags & kIcuRejectUserPwd) != 0) {
            SetError(ERROR_WINHTTP_INVALID_URL);
            return 0;
        }
    }
    INTERNET_PORT port =
        scheme == INTERNET_SCHEME_HTTPS ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
    const WCHAR* portColon = Find(hostBegin, authorityEnd, ':');
    host = {hostBegin,
            static_cast<DWORD>((portColon != nullptr ? portColon : authorityEnd) - hostBegin)};
    if (portColon != nullptr && portColon + 1 < authorityEnd) {
        unsigned value = 0;
        for (const WCHAR* p = portColon + 1; p < authorityEnd && *p >= '0' && *p <= '9'; ++p) {
            value = value * 10 + static_cast<unsigned>(*p - '0');
            if (value > 65535) {
                SetError(ERROR_WINHTTP_INVALID_URL);
                return 0;
            }
        }
        port = static_cast<INTERNET_PORT>(value);
    }
    if (slash != nullptr) {
        const WCHAR* extraBegin = Find(slash, end, '?');
        if (extraBegin == nullptr) extraBegin = end;
        path = {slash, static_cast<DWORD>(extraBegin - slash)};
        extra = {extraBegin, static_cast<DWORD>(end - extraBegin)};
    } else {
        path = {end, 0};
        extra = {end, 0};
    }

    bool fits = Fill({url, schemeLength}, components->lpszScheme, components->dwSchemeLength);
    fits = Fill(host, components->lpszHostName, components->dwHostNameLength) && fits;
    fits = Fill(user, components->lpszUserName, components->dwUserNameLength) && fits;
    fits = Fill(password, components->lpszPassword, components->dwPasswordLength) && fits;
    fits = Fill(path, components->lpszUrlPath, components->dwUrlPathLength) && fits;
    fits = Fill(extra, components->lpszExtraInfo, components->dwExtraInfoLength) && fits;
    if (!fits) {
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    components->nScheme = scheme;
    components->nPort = port;
    return 1;
}

}  // namespace linkgrab::winhttp
