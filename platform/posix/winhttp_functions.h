// The functions of the posix WinHTTP table, one per entry, defined across the layer's files.
#pragma once

#include "platform/winhttp.h"

namespace linkgrab::winhttp {

BOOL LINKGRAB_WINAPI CheckPlatform();
BOOL LINKGRAB_WINAPI CrackUrl(LPCWSTR url, DWORD urlLength, DWORD flags,
                              URL_COMPONENTS* components);
HINTERNET LINKGRAB_WINAPI Open(LPCWSTR agent, DWORD accessType, LPCWSTR proxy, LPCWSTR bypass,
                               DWORD flags);
HINTERNET LINKGRAB_WINAPI Connect(HINTERNET session, LPCWSTR server, INTERNET_PORT port,
                                  DWORD reserved);
HINTERNET LINKGRAB_WINAPI OpenRequest(HINTERNET connection, LPCWSTR verb, LPCWSTR objectName,
                                      LPCWSTR version, LPCWSTR referrer, LPCWSTR* acceptTypes,
                                      DWORD flags);
BOOL LINKGRAB_WINAPI SetTimeouts(HINTERNET handle, int resolve, int connect, int send, int receive);
BOOL LINKGRAB_WINAPI SetCredentials(HINTERNET request, DWORD targets, DWORD scheme,
                                    LPCWSTR userName, LPCWSTR password, LPVOID parameters);
BOOL LINKGRAB_WINAPI SetOption(HINTERNET handle, DWORD option, LPVOID buffer, DWORD length);
BOOL LINKGRAB_WINAPI AddRequestHeaders(HINTERNET request, LPCWSTR headers, DWORD length,
                                       DWORD modifiers);
BOOL LINKGRAB_WINAPI SendRequest(HINTERNET request, LPCWSTR headers, DWORD headersLength,
                                 LPVOID optional, DWORD optionalLength, DWORD totalLength,
                                 DWORD_PTR context);
BOOL LINKGRAB_WINAPI ReceiveResponse(HINTERNET request, LPVOID reserved);
BOOL LINKGRAB_WINAPI QueryDataAvailable(HINTERNET request, DWORD* available);
BOOL LINKGRAB_WINAPI ReadData(HINTERNET request, LPVOID buffer, DWORD toRead, DWORD* read);
BOOL LINKGRAB_WINAPI QueryHeaders(HINTERNET request, DWORD infoLevel, LPCWSTR name, LPVOID buffer,
                                  DWORD* bufferLength, DWORD* index);
BOOL LINKGRAB_WINAPI CloseHandle(HINTERNET handle);

}  // namespace linkgrab::winhttp
