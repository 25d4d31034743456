// A WinHTTP table for tests that records every call with its arguments, in order, and answers
// from a scripted response. Calls it is told to fail return FALSE or null; nothing aborts.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/winhttp.h"

namespace linkgrab {

class RecordingWinHttp {
  public:
    // Installs the table and a ProcessPendingEvents handler that records its calls too.
    RecordingWinHttp();
    ~RecordingWinHttp();
    RecordingWinHttp(const RecordingWinHttp&) = delete;
    RecordingWinHttp& operator=(const RecordingWinHttp&) = delete;

    // The occurrence-th call (1-based) of the named function fails.
    void Fail(const std::string& function, int occurrence = 1);

    // The script: the body in the pieces that one WinHttpQueryDataAvailable announces each,
    // the raw header text of the final response, and a host name that WinHttpCrackUrl reports
    // in place of the one in the address.
    std::vector<std::string> bodyChunks;
    std::u16string rawHeaders = u"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
    std::optional<std::u16string> reportedHost;
    // When not 0, WinHttpReadData hands out at most this many bytes a call, fewer than
    // WinHttpQueryDataAvailable announced.
    std::size_t readLimit = 0;

    // Every call as "Name(arguments)": wide texts as quoted UTF-8 with \r and \n escaped, null
    // pointers as null, handles by their kind, flags in hexadecimal.
    std::vector<std::string> calls;

    // The recorded calls of one function.
    std::vector<std::string> CallsOf(const std::string& function) const;
    // The function names of the recorded calls, in order.
    std::vector<std::string> Names() const;
    int PendingEventsCount() const;

    // Used by the table's functions.
    static RecordingWinHttp* current;
    bool Record(const std::string& function, const std::string& arguments);
    std::size_t nextChunk = 0;
    std::size_t chunkOffset = 0;  // bytes of the next chunk already read

  private:
    std::map<std::string, int> failAt_;
    std::map<std::string, int> seen_;
};

// Decoding for expectations: UTF-16 code units as UTF-8.
std::string Utf16ToUtf8(const char16_t* units, std::size_t count);

}  // namespace linkgrab
