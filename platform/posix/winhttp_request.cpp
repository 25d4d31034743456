// Sending a WinHTTP request, receiving its response, reading its body and querying its raw
// headers. The response head becomes wide text through code page 936, as Windows does with the
// header bytes of a Chinese system.
#include <cstring>

#include "platform/codepage.h"
#include "platform/posix/winhttp_functions.h"
#include "platform/posix/winhttp_handles.h"
#include "platform/posix/winhttp_headers.h"
#include "platform/posix/winhttp_transfer.h"

namespace linkgrab::winhttp {

namespace {

Transfer* ReceivedTransfer(HINTERNET handle) {
    Request* request = FindRequest(handle);
    if (request == nullptr) return nullptr;
    if (!request->transfer || !request->transfer->received()) {
        SetError(kErrorIncorrectHandleState);
        return nullptr;
    }
    return request->transfer.get();
}

BOOL Result(DWORD error) {
    if (error == 0) return 1;
    SetError(error);
    return 0;
}

}  // namespace

BOOL LINKGRAB_WINAPI SendRequest(HINTERNET request, LPCWSTR headers, DWORD headersLength,
                                 LPVOID optional, DWORD optionalLength, DWORD totalLength,
                                 DWORD_PTR) {
    Request* found = FindRequest(request);
    if (found == nullptr) return 0;
    if (totalLength < optionalLength || (optional == nullptr && optionalLength != 0)) {
        SetError(kErrorInvalidParameter);
        return 0;
    }
    if (totalLength != optionalLength) {
        // A body written later with WinHttpWriteData is not offered by this layer.
        SetError(kErrorInvalidParameter);
        return 0;
    }
    if (headers != nullptr && headersLength != 0) {
        std::u16string block(headers,
                             headersLength == 0xFFFFFFFF ? WideLength(headers) : headersLength);
        DWORD error = ApplyRequestHeaders(found->headers, block,
                                          WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
        if (error != 0) return Result(error);
    }
    std::string body;
    if (optionalLength != 0) body.assign(static_cast<const char*>(optional), optionalLength);
    found->transfer.reset();
    found->transfer = std::make_unique<Transfer>(*found);
    return Result(found->transfer->Send(std::move(body)));
}

BOOL LINKGRAB_WINAPI ReceiveResponse(HINTERNET request, LPVOID reserved) {
    Request* found = FindRequest(request);
    if (found == nullptr) return 0;
    if (reserved != nullptr) return Result(kErrorInvalidParameter);
    if (!found->transfer) return Result(kErrorIncorrectHandleState);
    if (found->transfer->received()) return 1;
    return Result(found->transfer->Receive());
}

BOOL LINKGRAB_WINAPI QueryDataAvailable(HINTERNET request, DWORD* available) {
    Request* found = FindRequest(request);
    if (found == nullptr) return 0;
    if (!found->transfer || !found->transfer->received()) {
        // Before a response there is nothing to read, and WinHTTP says so without failing.
        if (available != nullptr) *available = 0;
        return 1;
    }
    Transfer* transfer = found->transfer.get();
    DWORD count = 0;
    DWORD error = transfer->Available(count);
    if (error != 0) return Result(error);
    if (available != nullptr) *available = count;
    return 1;
}

BOOL LINKGRAB_WINAPI ReadData(HINTERNET request, LPVOID buffer, DWORD toRead, DWORD* read) {
    Transfer* transfer = ReceivedTransfer(request);
    if (transfer == nullptr) return 0;
    if (buffer == nullptr && toRead != 0) return Result(kErrorInvalidParameter);
    DWORD count = 0;
    DWORD error = transfer->Read(static_cast<char*>(buffer), toRead, count);
    if (read != nullptr) *read = count;
    return Result(error);
}

BOOL LINKGRAB_WINAPI QueryHeaders(HINTERNET request, DWORD infoLevel, LPCWSTR name, LPVOID buffer,
                                  DWORD* bufferLength, DWORD* index) {
    Transfer* transfer = ReceivedTransfer(request);
    if (transfer == nullptr) return 0;
    if (bufferLength == nullptr || name != nullptr) return Result(kErrorInvalidParameter);
    if (infoLevel != WINHTTP_QUERY_RAW_HEADERS_CRLF || (index != nullptr && *index != 0))
        return Result(kErrorHeaderNotFound);
    const std::string& raw = transfer->rawHeaders();
    int units = 0;
    if (!raw.empty()) {
        units =
            MultiByteToWideChar(CP_GBK, 0, raw.data(), static_cast<int>(raw.size()), nullptr, 0);
        if (units <= 0) return Result(kErrorInternal);
    }
    DWORD needed = static_cast<DWORD>(units + 1) * sizeof(WCHAR);
    if (buffer == nullptr || *bufferLength < needed) {
        *bufferLength = needed;
        return Result(ERROR_INSUFFICIENT_BUFFER);
    }
    auto* text = static_cast<WCHAR*>(buffer);
    if (units > 0)
        MultiByteToWideChar(CP_GBK, 0, raw.data(), static_cast<int>(raw.size()), text, units);
    text[units] = 0;
    *bufferLength = static_cast<DWORD>(units) * sizeof(WCHAR);
    return 1;
}

}  // namespace linkgrab::winhttp
