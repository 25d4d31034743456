#include "tests/web/recording_winhttp.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/pending_events.h"

namespace linkgrab {

RecordingWinHttp* RecordingWinHttp::current = nullptr;

namespace {

char sessionHandle;
char connectionHandle;
char requestHandle;

std::string HandleName(HINTERNET handle) {
    if (handle == nullptr) return "null";
    if (handle == &sessionHandle) return "session";
    if (handle == &connectionHandle) return "connection";
    if (handle == &requestHandle) return "request";
    return "unknown";
}

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(value));
    return text;
}

std::string Escaped(const std::string& bytes) {
    std::string out = "\"";
    for (const char c : bytes) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\0') {
            out += "\\0";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::size_t UnitCount(LPCWSTR text) {
    std::size_t n = 0;
    while (text[n] != 0) ++n;
    return n;
}

std::string WideArgument(LPCWSTR text) {
    if (text == nullptr) return "null";
    return Escaped(Utf16ToUtf8(text, UnitCount(text)));
}

std::string Pointer(const void* p) {
    return p == nullptr ? "null" : "pointer";
}

std::string Join(const std::vector<std::string>& parts) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out += ", ";
        out += parts[i];
    }
    return out;
}

bool Record(const char* function, const std::vector<std::string>& arguments) {
    if (RecordingWinHttp::current == nullptr) return false;
    return RecordingWinHttp::current->Record(function, Join(arguments));
}

std::string Number(long long n) {
    return std::to_string(n);
}

BOOL LINKGRAB_WINAPI CheckPlatform() {
    return Record("WinHttpCheckPlatform", {});
}

bool SameLetters(const char16_t* text, const char16_t* lower, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != lower[i]) return false;
    }
    return true;
}

// Splits http and https addresses as WinHTTP does, with pointers into the address.
bool Crack(LPCWSTR url, std::size_t length, URL_COMPONENTS* parts) {
    std::size_t schemeLength = 0;
    if (length >= 7 && SameLetters(url, u"http://", 7)) {
        schemeLength = 4;
        parts->nScheme = INTERNET_SCHEME_HTTP;
        parts->nPort = INTERNET_DEFAULT_HTTP_PORT;
    } else if (length >= 8 && SameLetters(url, u"https://", 8)) {
        schemeLength = 5;
        parts->nScheme = INTERNET_SCHEME_HTTPS;
        parts->nPort = INTERNET_DEFAULT_HTTPS_PORT;
    } else {
        return false;
    }
    auto* text = const_cast<LPWSTR>(url);
    parts->lpszScheme = text;
    parts->dwSchemeLength = static_cast<DWORD>(schemeLength);

    std::size_t i = schemeLength + 3;
    const std::size_t hostStart = i;
    while (i < length && url[i] != u':' && url[i] != u'/' && url[i] != u'?' && url[i] != u'#') {
        ++i;
    }
    if (i == hostStart) return false;
    parts->lpszHostName = text + hostStart;
    parts->dwHostNameLength = static_cast<DWORD>(i - hostStart);
    if (i < length && url[i] == u':') {
        ++i;
        unsigned port = 0;
        while (i < length && url[i] >= u'0' && url[i] <= u'9') {
            port = port * 10 + static_cast<unsigned>(url[i] - u'0');
            ++i;
        }
        parts->nPort = static_cast<INTERNET_PORT>(port);
    }
    const std::size_t pathStart = i;
    while (i < length && url[i] != u'?' && url[i] != u'#') ++i;
    parts->lpszUrlPath = text + pathStart;
    parts->dwUrlPathLength = static_cast<DWORD>(i - pathStart);
    parts->lpszExtraInfo = text + i;
    parts->dwExtraInfoLength = static_cast<DWORD>(length - i);
    return true;
}

BOOL LINKGRAB_WINAPI CrackUrl(LPCWSTR url, DWORD urlLength, DWORD flags, URL_COMPONENTS* parts) {
    // Which fields arrive set, beyond the size and the lengths that ask for pointers.
    const bool othersZero = parts->lpszScheme == nullptr && parts->nScheme == 0 &&
                            parts->lpszHostName == nullptr && parts->nPort == 0 &&
                            parts->lpszUserName == nullptr && parts->lpszPassword == nullptr &&
                            parts->lpszUrlPath == nullptr && parts->lpszExtraInfo == nullptr;
    const std::string record =
        "{size=" + Number(parts->dwStructSize) + ", scheme=" + Hex(parts->dwSchemeLength) +
        ", host=" + Hex(parts->dwHostNameLength) + ", user=" + Hex(parts->dwUserNameLength) +
        ", password=" + Hex(parts->dwPasswordLength) + ", path=" + Hex(parts->dwUrlPathLength) +
        ", extra=" + Hex(parts->dwExtraInfoLength) + (othersZero ? ", rest 0}" : ", rest set}");
    if (!Record("WinHttpCrackUrl", {WideArgument(url), Number(urlLength), Hex(flags), record})) {
        return 0;
    }
    if (url == nullptr) return 0;
    const std::size_t length = urlLength == 0 ? UnitCount(url) : urlLength;
    if (!Crack(url, length, parts)) return 0;
    RecordingWinHttp* fake = RecordingWinHttp::current;
    if (fake->reportedHost) {
        parts->lpszHostName = fake->reportedHost->data();
        parts->dwHostNameLength = static_cast<DWORD>(fake->reportedHost->size());
    }
    return 1;
}

HINTERNET LINKGRAB_WINAPI Open(LPCWSTR agent, DWORD accessType, LPCWSTR proxy, LPCWSTR bypass,
                               DWORD flags) {
    const bool ok = Record("WinHttpOpen", {WideArgument(agent), Number(accessType),
                                           WideArgument(proxy), WideArgument(bypass), Hex(flags)});
    return ok ? &sessionHandle : nullptr;
}

HINTERNET LINKGRAB_WINAPI Connect(HINTERNET session, LPCWSTR server, INTERNET_PORT port,
                                  DWORD reserved) {
    const bool ok = Record("WinHttpConnect", {HandleName(session), WideArgument(server),
                                              Number(port), Number(reserved)});
    return ok ? &connectionHandle : nullptr;
}

HINTERNET LINKGRAB_WINAPI OpenRequest(HINTERNET connection, LPCWSTR verb, LPCWSTR objectName,
                                      LPCWSTR version, LPCWSTR referrer, LPCWSTR* acceptTypes,
                                      DWORD flags) {
    const bool ok =
        Record("WinHttpOpenRequest",
               {HandleName(connection), WideArgument(verb), WideArgument(objectName),
                WideArgument(version), WideArgument(referrer), Pointer(acceptTypes), Hex(flags)});
    return ok ? &requestHandle : nullptr;
}

BOOL LINKGRAB_WINAPI SetTimeouts(HINTERNET handle, int resolve, int connect, int send,
                                 int receive) {
    return Record("WinHttpSetTimeouts", {HandleName(handle), Number(resolve), Number(connect),
                                         Number(send), Number(receive)});
}

BOOL LINKGRAB_WINAPI SetCredentials(HINTERNET request, DWORD targets, DWORD scheme,
                                    LPCWSTR userName, LPCWSTR password, LPVOID parameters) {
    return Record("WinHttpSetCredentials",
                  {HandleName(request), Number(targets), Number(scheme), WideArgument(userName),
                   WideArgument(password), Pointer(parameters)});
}

BOOL LINKGRAB_WINAPI SetOption(HINTERNET handle, DWORD option, LPVOID buffer, DWORD length) {
    std::string value = "null";
    if (buffer != nullptr && length == sizeof(DWORD)) {
        DWORD v = 0;
        std::memcpy(&v, buffer, sizeof v);
        value = Number(v);
    } else if (buffer != nullptr) {
        value = "pointer";
    }
    return Record("WinHttpSetOption", {HandleName(handle), Number(option), value, Number(length)});
}

BOOL LINKGRAB_WINAPI AddRequestHeaders(HINTERNET request, LPCWSTR headers, DWORD length,
                                       DWORD modifiers) {
    return Record("WinHttpAddRequestHeaders",
                  {HandleName(request), WideArgument(headers), Number(length), Hex(modifiers)});
}

BOOL LINKGRAB_WINAPI SendRequest(HINTERNET request, LPCWSTR headers, DWORD headersLength,
                                 LPVOID optional, DWORD optionalLength, DWORD totalLength,
                                 DWORD_PTR context) {
    const std::string body =
        optional == nullptr
            ? "null"
            : Escaped(std::string(static_cast<const char*>(optional), optionalLength));
    return Record("WinHttpSendRequest",
                  {HandleName(request), WideArgument(headers), Number(headersLength), body,
                   Number(optionalLength), Number(totalLength), Number(context)});
}

BOOL LINKGRAB_WINAPI ReceiveResponse(HINTERNET request, LPVOID reserved) {
    return Record("WinHttpReceiveResponse", {HandleName(request), Pointer(reserved)});
}

BOOL LINKGRAB_WINAPI QueryDataAvailable(HINTERNET request, DWORD* available) {
    if (!Record("WinHttpQueryDataAvailable", {HandleName(request)})) return 0;
    RecordingWinHttp* fake = RecordingWinHttp::current;
    *available =
        fake->nextChunk < fake->bodyChunks.size()
            ? static_cast<DWORD>(fake->bodyChunks[fake->nextChunk].size() - fake->chunkOffset)
            : 0;
    return 1;
}

BOOL LINKGRAB_WINAPI ReadData(HINTERNET request, LPVOID buffer, DWORD toRead, DWORD* read) {
    if (!Record("WinHttpReadData", {HandleName(request), Number(toRead)})) return 0;
    RecordingWinHttp* fake = RecordingWinHttp::current;
    *read = 0;
    if (fake->nextChunk >= fake->bodyChunks.size()) return 1;
    const std::string& chunk = fake->bodyChunks[fake->nextChunk];
    std::size_t n = std::min<std::size_t>(chunk.size() - fake->chunkOffset, toRead);
    if (fake->readLimit != 0) n = std::min(n, fake->readLimit);
    std::memcpy(buffer, chunk.data() + fake->chunkOffset, n);
    *read = static_cast<DWORD>(n);
    fake->chunkOffset += n;
    if (fake->chunkOffset == chunk.size()) {
        ++fake->nextChunk;
        fake->chunkOffset = 0;
    }
    return 1;
}

// Answers as WinHTTP does: a buffer too small (or none) gets the byte count needed, the
// terminator included, and FALSE; a large enough one gets the text, its terminator, and the
// byte count without the terminator.
BOOL LINKGRAB_WINAPI QueryHeaders(HINTERNET request, DWORD infoLevel, LPCWSTR name, LPVOID buffer,
                                  DWORD* length, DWORD* index) {
    const std::string bufferText =
        buffer == nullptr ? "null" : "buffer[" + Number(length ? *length : 0) + "]";
    if (!Record("WinHttpQueryHeaders", {HandleName(request), Number(infoLevel), WideArgument(name),
                                        bufferText, length ? "size=" + Number(*length) : "null",
                                        index ? "index=" + Number(*index) : "null"})) {
        return 0;
    }
    const std::u16string& text = RecordingWinHttp::current->rawHeaders;
    const DWORD needed = static_cast<DWORD>((text.size() + 1) * 2);
    if (buffer == nullptr || *length < needed) {
        *length = needed;
        return 0;
    }
    std::memcpy(buffer, text.c_str(), needed);
    *length = needed - 2;
    return 1;
}

BOOL LINKGRAB_WINAPI CloseHandle(HINTERNET handle) {
    Record("WinHttpCloseHandle", {HandleName(handle)});
    return handle != nullptr;
}

const WinHttpApi kRecordingTable = {
    CheckPlatform,   CrackUrl,           Open,      Connect,           OpenRequest,
    SetTimeouts,     SetCredentials,     SetOption, AddRequestHeaders, SendRequest,
    ReceiveResponse, QueryDataAvailable, ReadData,  QueryHeaders,      CloseHandle,
};

void RecordPendingEvents() {
    if (RecordingWinHttp::current != nullptr) {
        RecordingWinHttp::current->Record("ProcessPendingEvents", "");
    }
}

}  // namespace

RecordingWinHttp::RecordingWinHttp() {
    current = this;
    SetWinHttpForTesting(&kRecordingTable);
    SetPendingEventsHandler(RecordPendingEvents);
}

RecordingWinHttp::~RecordingWinHttp() {
    SetPendingEventsHandler(nullptr);
    SetWinHttpForTesting(nullptr);
    current = nullptr;
}

void RecordingWinHttp::Fail(const std::string& function, int occurrence) {
    failAt_[function] = occurrence;
}

bool RecordingWinHttp::Record(const std::string& function, const std::string& arguments) {
    calls.push_back(function + "(" + arguments + ")");
    const int occurrence = ++seen_[function];
    const auto failing = failAt_.find(function);
    return failing == failAt_.end() || failing->second != occurrence;
}

std::vector<std::string> RecordingWinHttp::CallsOf(const std::string& function) const {
    std::vector<std::string> out;
    for (const std::string& call : calls) {
        if (call.compare(0, function.size() + 1, function + "(") == 0) out.push_back(call);
    }
    return out;
}

std::vector<std::string> RecordingWinHttp::Names() const {
    std::vector<std::string> out;
    for (const std::string& call : calls) out.push_back(call.substr(0, call.find('(')));
    return out;
}

int RecordingWinHttp::PendingEventsCount() const {
    return static_cast<int>(CallsOf("ProcessPendingEvents").size());
}

std::string Utf16ToUtf8(const char16_t* units, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace linkgrab
