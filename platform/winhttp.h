// WinHTTP as a table of functions with WinHTTP's own signatures. On Windows the table holds the
// functions of Winhttp.dll, resolved by name; elsewhere it holds a layer of the same shape.
// Tests put a table of their own in its place.
#pragma once

#include "platform/win_types.h"

namespace linkgrab {

using HINTERNET = void*;
using INTERNET_PORT = WORD;
using INTERNET_SCHEME = int;

inline constexpr INTERNET_SCHEME INTERNET_SCHEME_HTTP = 1;
inline constexpr INTERNET_SCHEME INTERNET_SCHEME_HTTPS = 2;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = 443;

inline constexpr DWORD WINHTTP_ACCESS_TYPE_NO_PROXY = 1;
inline constexpr DWORD WINHTTP_ACCESS_TYPE_NAMED_PROXY = 3;
inline constexpr DWORD WINHTTP_FLAG_SECURE = 0x00800000;
inline constexpr DWORD WINHTTP_AUTH_TARGET_SERVER = 0;
inline constexpr DWORD WINHTTP_AUTH_TARGET_PROXY = 1;
inline constexpr DWORD WINHTTP_AUTH_SCHEME_BASIC = 1;
inline constexpr DWORD WINHTTP_OPTION_DISABLE_FEATURE = 63;
inline constexpr DWORD WINHTTP_OPTION_ENABLE_FEATURE = 79;
inline constexpr DWORD WINHTTP_DISABLE_COOKIES = 1;
inline constexpr DWORD WINHTTP_DISABLE_REDIRECTS = 2;
inline constexpr DWORD WINHTTP_ENABLE_SSL_REVOCATION = 1;
inline constexpr DWORD WINHTTP_ADDREQ_FLAG_ADD = 0x20000000;
inline constexpr DWORD WINHTTP_ADDREQ_FLAG_REPLACE = 0x80000000;
inline constexpr DWORD WINHTTP_QUERY_RAW_HEADERS_CRLF = 22;

// Error codes the layer reports through GetLastError. Where the system's headers are included
// too, their macros of the same names and values stand in for these.
#ifndef ERROR_INSUFFICIENT_BUFFER
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
#endif
#ifndef ERROR_WINHTTP_TIMEOUT
inline constexpr DWORD ERROR_WINHTTP_TIMEOUT = 12002;
#endif
#ifndef ERROR_WINHTTP_INVALID_URL
inline constexpr DWORD ERROR_WINHTTP_INVALID_URL = 12005;
#endif
#ifndef ERROR_WINHTTP_UNRECOGNIZED_SCHEME
inline constexpr DWORD ERROR_WINHTTP_UNRECOGNIZED_SCHEME = 12006;
#endif
#ifndef ERROR_WINHTTP_NAME_NOT_RESOLVED
inline constexpr DWORD ERROR_WINHTTP_NAME_NOT_RESOLVED = 12007;
#endif
#ifndef ERROR_WINHTTP_CANNOT_CONNECT
inline constexpr DWORD ERROR_WINHTTP_CANNOT_CONNECT = 12029;
#endif
#ifndef ERROR_WINHTTP_CONNECTION_ERROR
inline constexpr DWORD ERROR_WINHTTP_CONNECTION_ERROR = 12030;
#endif
#ifndef ERROR_WINHTTP_INVALID_SERVER_RESPONSE
inline constexpr DWORD ERROR_WINHTTP_INVALID_SERVER_RESPONSE = 12152;
#endif
#ifndef ERROR_WINHTTP_SECURE_FAILURE
inline constexpr DWORD ERROR_WINHTTP_SECURE_FAILURE = 12175;
#endif

struct URL_COMPONENTS {
    DWORD dwStructSize;
    LPWSTR lpszScheme;
    DWORD dwSchemeLength;
    INTERNET_SCHEME nScheme;
    LPWSTR lpszHostName;
    DWORD dwHostNameLength;
    INTERNET_PORT nPort;
    LPWSTR lpszUserName;
    DWORD dwUserNameLength;
    LPWSTR lpszPassword;
    DWORD dwPasswordLength;
    LPWSTR lpszUrlPath;
    DWORD dwUrlPathLength;
    LPWSTR lpszExtraInfo;
    DWORD dwExtraInfoLength;
};

#if defined(_WIN32) && defined(__i386__)
static_assert(sizeof(URL_COMPONENTS) == 60, "URL_COMPONENTS must have WinHTTP's 32-bit layout");
#endif

struct WinHttpApi {
    BOOL(LINKGRAB_WINAPI* WinHttpCheckPlatform)();
    BOOL(LINKGRAB_WINAPI* WinHttpCrackUrl)
    (LPCWSTR pwszUrl, DWORD dwUrlLength, DWORD dwFlags, URL_COMPONENTS* lpUrlComponents);
    HINTERNET(LINKGRAB_WINAPI* WinHttpOpen)
    (LPCWSTR pszAgentW, DWORD dwAccessType, LPCWSTR pszProxyW, LPCWSTR pszProxyBypassW,
     DWORD dwFlags);
    HINTERNET(LINKGRAB_WINAPI* WinHttpConnect)
    (HINTERNET hSession, LPCWSTR pswzServerName, INTERNET_PORT nServerPort, DWORD dwReserved);
    HINTERNET(LINKGRAB_WINAPI* WinHttpOpenRequest)
    (HINTERNET hConnect, LPCWSTR pwszVerb, LPCWSTR pwszObjectName, LPCWSTR pwszVersion,
     LPCWSTR pwszReferrer, LPCWSTR* ppwszAcceptTypes, DWORD dwFlags);
    BOOL(LINKGRAB_WINAPI* WinHttpSetTimeouts)
    (HINTERNET hInternet, int nResolveTimeout, int nConnectTimeout, int nSendTimeout,
     int nReceiveTimeout);
    BOOL(LINKGRAB_WINAPI* WinHttpSetCredentials)
    (HINTERNET hRequest, DWORD AuthTargets, DWORD AuthScheme, LPCWSTR pwszUserName,
     LPCWSTR pwszPassword, LPVOID pAuthParams);
    BOOL(LINKGRAB_WINAPI* WinHttpSetOption)
    (HINTERNET hInternet, DWORD dwOption, LPVOID lpBuffer, DWORD dwBufferLength);
    BOOL(LINKGRAB_WINAPI* WinHttpAddRequestHeaders)
    (HINTERNET hRequest, LPCWSTR lpszHeaders, DWORD dwHeadersLength, DWORD dwModifiers);
    BOOL(LINKGRAB_WINAPI* WinHttpSendRequest)
    (HINTERNET hRequest, LPCWSTR lpszHeaders, DWORD dwHeadersLength, LPVOID lpOptional,
     DWORD dwOptionalLength, DWORD dwTotalLength, DWORD_PTR dwContext);
    BOOL(LINKGRAB_WINAPI* WinHttpReceiveResponse)(HINTERNET hRequest, LPVOID lpReserved);
    BOOL(LINKGRAB_WINAPI* WinHttpQueryDataAvailable)
    (HINTERNET hRequest, DWORD* lpdwNumberOfBytesAvailable);
    BOOL(LINKGRAB_WINAPI* WinHttpReadData)
    (HINTERNET hRequest, LPVOID lpBuffer, DWORD dwNumberOfBytesToRead,
     DWORD* lpdwNumberOfBytesRead);
    BOOL(LINKGRAB_WINAPI* WinHttpQueryHeaders)
    (HINTERNET hRequest, DWORD dwInfoLevel, LPCWSTR pwszName, LPVOID lpBuffer,
     DWORD* lpdwBufferLength, DWORD* lpdwIndex);
    BOOL(LINKGRAB_WINAPI* WinHttpCloseHandle)(HINTERNET hInternet);
};

#if !defined(_WIN32)
// The calling thread's last error as the posix table's functions leave it, in the place of the
// system's GetLastError/SetLastError.
DWORD GetLastError();
void SetLastError(DWORD error);
#endif

// The table in use. Every entry is callable: where the platform lacks WinHTTP or one of its
// functions, WinHttpCheckPlatform answers false and the others fail.
const WinHttpApi& WinHttp();

// Puts a table in place of the platform's for the calls that follow; nullptr restores it.
// For tests only.
void SetWinHttpForTesting(const WinHttpApi* api);

// Trusts the certificate authority in this PEM file as well as the system's, for tests only;
// nullptr goes back to the system's alone.
// The posix layer takes it; on Windows the trusted roots come from the system store alone, and
// the call does nothing.
void SetWinHttpTestCertificateAuthority(const char* pemFile);

}  // namespace linkgrab
