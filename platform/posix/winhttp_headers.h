// The request header list of a WinHTTP request and how WinHttpAddRequestHeaders changes it.
#pragma once

#include <string>
#include <vector>

#include "platform/posix/winhttp_handles.h"

namespace linkgrab::winhttp {

// Applies a block of "Name: value" lines (CR LF or LF separated) with WinHTTP's modifiers.
// Returns 0 on success, else the error code; lines before a failing one stay applied.
DWORD ApplyRequestHeaders(std::vector<HeaderLine>& headers, const std::u16string& block,
                          DWORD modifiers);

const HeaderLine* FindHeader(const std::vector<HeaderLine>& headers, const std::string& name);
bool SameName(const std::string& a, const std::string& b);

}  // namespace linkgrab::winhttp
