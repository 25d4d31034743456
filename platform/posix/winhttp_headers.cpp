// WinHttpAddRequestHeaders on the request's header list. With ADD|REPLACE a line whose name
// equals an earlier one in any letter case replaces it: the old line goes, the new one (with
// its own spelling) joins the end; an empty value only removes. Empty lines and lines without
// a colon are skipped; a name that is empty or holds blanks is an invalid header.
#include "platform/posix/winhttp_headers.h"

#include <algorithm>

#include "platform/posix/winhttp_functions.h"

namespace linkgrab::winhttp {

namespace {

constexpr DWORD kAdd = WINHTTP_ADDREQ_FLAG_ADD;
constexpr DWORD kReplace = WINHTTP_ADDREQ_FLAG_REPLACE;
constexpr DWORD kAddIfNew = 0x10000000;
constexpr DWORD kCoalesceComma = 0x40000000;
constexpr DWORD kCoalesceSemicolon = 0x01000000;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

DWORD ApplyLine(std::vector<HeaderLine>& headers, const std::string& line, DWORD modifiers) {
    std::size_t colon = line.find(':');
    if (colon == std::string::npos) return 0;
    HeaderLine header{line.substr(0, colon), line.substr(colon + 1)};
    if (header.name.empty() || header.name.find_first_of(" \t") != std::string::npos)
        return kErrorInvalidHeader;
    header.value.erase(0, header.value.find_first_not_of(' '));
    auto existing = std::find_if(headers.begin(), headers.end(), [&](const HeaderLine& h) {
        return SameName(h.name, header.name);
    });
    bool exists = existing != headers.end();
    if ((modifiers & kAddIfNew) != 0) {
        if (exists) return kErrorHeaderAlreadyExists;
        headers.push_back(header);
    } else if ((modifiers & kReplace) != 0) {
        if (!exists && (modifiers & kAdd) == 0) return kErrorHeaderNotFound;
        if (exists) headers.erase(existing);
        if (!exists || !header.value.empty()) headers.push_back(header);
    } else if (exists && (modifiers & (kCoalesceComma | kCoalesceSemicolon)) != 0) {
        existing->value += (modifiers & kCoalesceSemicolon) != 0 ? "; " : ", ";
        existing->value += header.value;
    } else {
        headers.push_back(header);
    }
    return 0;
}

}  // namespace

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

const HeaderLine* FindHeader(const std::vector<HeaderLine>& headers, const std::string& name) {
    for (const HeaderLine& header : headers)
        if (SameName(header.name, name)) return &header;
    return nullptr;
}

DWORD ApplyRequestHeaders(std::vector<HeaderLine>& headers, const std::u16string& block,
                          DWORD modifiers) {
    std::string text = ToUtf8(block);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty()) {
            DWORD error = ApplyLine(headers, line, modifiers);
            if (error != 0) return error;
        }
        start = end + 1;
    }
    return 0;
}

BOOL LINKGRAB_WINAPI AddRequestHeaders(HINTERNET request, LPCWSTR headers, DWORD length,
                                       DWORD modifiers) {
    Request* found = FindRequest(request);
    if (found == nullptr) return 0;
    if (headers == nullptr || length == 0) {
        SetError(kErrorInvalidParameter);
        return 0;
    }
    std::u16string block(headers, length == 0xFFFFFFFF ? WideLength(headers) : length);
    DWORD error = ApplyRequestHeaders(found->headers, block, modifiers);
    if (error != 0) {
        SetError(error);
        return 0;
    }
    return 1;
}

}  // namespace linkgrab::winhttp
