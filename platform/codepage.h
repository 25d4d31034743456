// Code page conversion with the signatures of MultiByteToWideChar and WideCharToMultiByte.
// Code page 936 is the one the program uses; on posix it follows Windows' own table byte for
// byte, invalid input becoming "?" as on Windows.
#pragma once

#include "platform/win_types.h"

namespace linkgrab {

inline constexpr UINT CP_GBK = 936;
inline constexpr DWORD WC_COMPOSITECHECK = 0x200;

int MultiByteToWideChar(UINT codePage, DWORD dwFlags, const char* lpMultiByteStr, int cbMultiByte,
                        WCHAR* lpWideCharStr, int cchWideChar);
int WideCharToMultiByte(UINT codePage, DWORD dwFlags, const WCHAR* lpWideCharStr, int cchWideChar,
                        char* lpMultiByteStr, int cbMultiByte, const char* lpDefaultChar,
                        BOOL* lpUsedDefaultChar);

}  // namespace linkgrab
