// The WinHTTP table on Windows: the functions of Winhttp.dll, resolved by name when first used.
// When the library or any function is missing, the table answers as a system without WinHTTP.
#include <windows.h>

#include "platform/winhttp.h"

namespace linkgrab {

namespace {

BOOL LINKGRAB_WINAPI NoPlatform() { return 0; }
BOOL LINKGRAB_WINAPI NoCrackUrl(LPCWSTR, DWORD, DWORD, URL_COMPONENTS*) { return 0; }
HINTERNET LINKGRAB_WINAPI NoOpen(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD) { return nullptr; }
HINTERNET LINKGRAB_WINAPI NoConnect(HINTERNET, LPCWSTR, INTERNET_PORT, DWORD) { return nullptr; }
HINTERNET LINKGRAB_WINAPI NoOpenRequest(HINTERNET, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR*,
                                        DWORD) {
    return nullptr;
}
BOOL LINKGRAB_WINAPI NoSetTimeouts(HINTERNET, int, int, int, int) { return 0; }
BOOL LINKGRAB_WINAPI NoSetCredentials(HINTERNET, DWORD, DWORD, LPCWSTR, LPCWSTR, LPVOID) {
    return 0;
}
BOOL LINKGRAB_WINAPI NoSetOption(HINTERNET, DWORD, LPVOID, DWORD) { return 0; }
BOOL LINKGRAB_WINAPI NoAddRequestHeaders(HINTERNET, LPCWSTR, DWORD, DWORD) { return 0; }
BOOL LINKGRAB_WINAPI NoSendRequest(HINTERNET, LPCWSTR, DWORD, LPVOID, DWORD, DWORD, DWORD_PTR) {
    return 0;
}
BOOL LINKGRAB_WINAPI NoReceiveResponse(HINTERNET, LPVOID) { return 0; }
BOOL LINKGRAB_WINAPI NoQueryDataAvailable(HINTERNET, DWORD*) { return 0; }
BOOL LINKGRAB_WINAPI NoReadData(HINTERNET, LPVOID, DWORD, DWORD*) { return 0; }
BOOL LINKGRAB_WINAPI NoQueryHeaders(HINTERNET, DWORD, LPCWSTR, LPVOID, DWORD*, DWORD*) { return 0; }
BOOL LINKGRAB_WINAPI NoCloseHandle(HINTERNET) { return 0; }

constexpr WinHttpApi kMissing = {
    NoPlatform,       NoCrackUrl,          NoOpen,       NoConnect,           NoOpenRequest,
    NoSetTimeouts,    NoSetCredentials,    NoSetOption,  NoAddRequestHeaders, NoSendRequest,
    NoReceiveResponse, NoQueryDataAvailable, NoReadData, NoQueryHeaders,      NoCloseHandle,
};

template <typename Function>
bool Resolve(HMODULE library, const char* name, Function& slot) {
    FARPROC address = GetProcAddress(library, name);
    if (address == nullptr) return false;
    slot = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
    return true;
}

WinHttpApi LoadWinHttp() {
    // Loaded once and kept for the life of the process.
    HMODULE library = LoadLibraryA("Winhttp.dll");
    if (library == nullptr) return kMissing;
    WinHttpApi api{};
    bool complete = Resolve(library, "WinHttpCheckPlatform", api.WinHttpCheckPlatform) &&
                    Resolve(library, "WinHttpCrackUrl", api.WinHttpCrackUrl) &&
                    Resolve(library, "WinHttpOpen", api.WinHttpOpen) &&
                    Resolve(library, "WinHttpConnect", api.WinHttpConnect) &&
                    Resolve(library, "WinHttpOpenRequest", api.WinHttpOpenRequest) &&
                    Resolve(library, "WinHttpSetTimeouts", api.WinHttpSetTimeouts) &&
                    Resolve(library, "WinHttpSetCredentials", api.WinHttpSetCredentials) &&
                    Resolve(library, "WinHttpSetOption", api.WinHttpSetOption) &&
                    Resolve(library, "WinHttpAddRequestHeaders", api.WinHttpAddRequestHeaders) &&
                    Resolve(library, "WinHttpSendRequest", api.WinHttpSendRequest) &&
                    Resolve(library, "WinHttpReceiveResponse", api.WinHttpReceiveResponse) &&
                    Resolve(library, "WinHttpQueryDataAvailable", api.WinHttpQueryDataAvailable) &&
                    Resolve(library, "WinHttpReadData", api.WinHttpReadData) &&
                    Resolve(library, "WinHttpQueryHeaders", api.WinHttpQueryHeaders) &&
                    Resolve(library, "WinHttpCloseHandle", api.WinHttpCloseHandle);
    return complete ? api : kMissing;
}

const WinHttpApi* testTable = nullptr;

}  // namespace

const WinHttpApi& WinHttp() {
    static const WinHttpApi platformTable = LoadWinHttp();
    return testTable != nullptr ? *testTable : platformTable;
}

void SetWinHttpForTesting(const WinHttpApi* api) { testTable = api; }

void SetWinHttpTestCertificateAuthority(const char*) {}

}  // namespace linkgrab
