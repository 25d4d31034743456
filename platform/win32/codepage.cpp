// MultiByteToWideChar and WideCharToMultiByte of the seam: the platform's own functions. The
// seam's wide characters are char16_t, the platform's wchar_t; both are UTF-16 code units here.
#include "platform/codepage.h"  // before windows.h, whose macros would rename its constants

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace linkgrab {

static_assert(sizeof(wchar_t) == sizeof(WCHAR), "wide characters are UTF-16 code units");

int MultiByteToWideChar(UINT codePage, DWORD dwFlags, const char* lpMultiByteStr, int cbMultiByte,
                        WCHAR* lpWideCharStr, int cchWideChar) {
    return ::MultiByteToWideChar(codePage, dwFlags, lpMultiByteStr, cbMultiByte,
                                 reinterpret_cast<wchar_t*>(lpWideCharStr), cchWideChar);
}

int WideCharToMultiByte(UINT codePage, DWORD dwFlags, const WCHAR* lpWideCharStr, int cchWideChar,
                        char* lpMultiByteStr, int cbMultiByte, const char* lpDefaultChar,
                        BOOL* lpUsedDefaultChar) {
    return ::WideCharToMultiByte(codePage, dwFlags, reinterpret_cast<const wchar_t*>(lpWideCharStr),
                                 cchWideChar, lpMultiByteStr, cbMultiByte, lpDefaultChar,
                                 lpUsedDefaultChar);
}

}  // namespace linkgrab
