// The Windows SDK's basic types, as the seam uses them on every platform. Wide texts are
// UTF-16 code units (char16_t), whatever size wchar_t has.
#pragma once

#include <cstdint>

#if defined(_WIN32) && defined(__i386__)
#define LINKGRAB_WINAPI __attribute__((stdcall))
#else
#define LINKGRAB_WINAPI
#endif

namespace linkgrab {

using BOOL = int;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using DWORD_PTR = std::uintptr_t;
using UINT = unsigned int;
using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPVOID = void*;

}  // namespace linkgrab
