// The response side: the body streamed chunk by chunk, and the raw header text of the final
// response through the two-call size protocol, as wide text from code page 936.
#include <gtest/gtest.h>

#include <string>

#include "tests/platform/winhttp_test_support.h"

namespace linkgrab {
namespace {

TEST(WinHttpResponse, StreamsALargeBodyInChunks) {
    constexpr int kSize = 3 * 1000 * 1000;
    ExchangeResult result = Exchange(HttpBase() + "/bytes?n=" + std::to_string(kSize));
    ASSERT_TRUE(result.received);
    ASSERT_FALSE(result.bodyFailed) << result.bodyError;
    ASSERT_EQ(result.body.size(), static_cast<std::size_t>(kSize));
    for (std::size_t i = 0; i < result.body.size(); i += 997)
        ASSERT_EQ(result.body[i], static_cast<char>('0' + i % 10)) << i;
    // Many chunks, none holding more than a small part of the body: it is handed out as it
    // arrives, never gathered first.
    EXPECT_GT(result.chunks.size(), 10u);
    for (DWORD chunk : result.chunks) EXPECT_LE(chunk, 1024u * 1024u);
}

TEST(WinHttpResponse, KeepsZeroBytesAndReadsInPieces) {
    std::string body("a\0b\0\0c", 6);
    std::string raw = "HTTP/1.1 200 OK\r\nContent-Length: 6\r\nConnection: close\r\n\r\n" + body;
    const WinHttpApi& api = WinHttp();
    Handles handles;
    handles.session = api.WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
    ExchangeOptions options;
    ASSERT_TRUE(OpenRequestFor(handles, RawUrl(raw), options));
    ASSERT_TRUE(api.WinHttpSendRequest(handles.request, nullptr, 0, nullptr, 0, 0, 0));
    ASSERT_TRUE(api.WinHttpReceiveResponse(handles.request, nullptr));
    std::string got;
    char piece[4];
    DWORD read = 0;
    do {
        ASSERT_TRUE(api.WinHttpReadData(handles.request, piece, 4, &read));
        got.append(piece, read);
    } while (read > 0);
    EXPECT_EQ(got, body);
    DWORD available = 99;
    EXPECT_TRUE(api.WinHttpQueryDataAvailable(handles.request, &available));
    EXPECT_EQ(available, 0u);
}

TEST(WinHttpResponse, ReadsAChunkedBodyAndOneThatEndsWithTheConnection) {
    ExchangeResult chunked = Exchange(RawUrl(
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n"));
    ASSERT_TRUE(chunked.received);
    EXPECT_EQ(chunked.body, "abcde");
    EXPECT_FALSE(chunked.bodyFailed);

    ExchangeResult untilClose =
        Exchange(RawUrl("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nall of it"));
    ASSERT_TRUE(untilClose.received);
    EXPECT_EQ(untilClose.body, "all of it");
    EXPECT_FALSE(untilClose.bodyFailed);
}

TEST(WinHttpResponse, QueriesTheRawHeadersInTwoCalls) {
    const WinHttpApi& api = WinHttp();
    Handles handles;
    handles.session = api.WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
    ExchangeOptions options;
    ASSERT_TRUE(OpenRequestFor(handles, HttpBase() + "/status?code=404&reason=Gone", options));
    ASSERT_TRUE(api.WinHttpSendRequest(handles.request, nullptr, 0, nullptr, 0, 0, 0));
    ASSERT_TRUE(api.WinHttpReceiveResponse(handles.request, nullptr));
    std::u16string expected =
        u"HTTP/1.1 404 Gone\r\nContent-Type: text/plain\r\nContent-Length: 10\r\n"
        u"Connection: close\r\n\r\n";
    DWORD size = 0, index = 0;
    ClearLastError();
    EXPECT_FALSE(api.WinHttpQueryHeaders(handles.request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr,
                                         nullptr, &size, &index));
    EXPECT_EQ(LastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(size, (expected.size() + 1) * 2);  // bytes, the terminator included

    std::u16string small(4, u'\0');
    DWORD smallSize = 8;
    EXPECT_FALSE(api.WinHttpQueryHeaders(handles.request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr,
                                         small.data(), &smallSize, &index));
    EXPECT_EQ(smallSize, size);

    std::u16string buffer(size / 2, u'\x7777');
    index = 0;
    ASSERT_TRUE(api.WinHttpQueryHeaders(handles.request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr,
                                        buffer.data(), &size, &index));
    EXPECT_EQ(size, expected.size() * 2);  // without the terminator now
    EXPECT_EQ(buffer.substr(0, expected.size()), expected);
    EXPECT_EQ(buffer[expected.size()], u'\0');
}

TEST(WinHttpResponse, GivesTheFinalResponsesHeadersOnly) {
    ExchangeResult result = Exchange(HttpBase() + "/redirect?to=/status%3Fcode%3D201");
    ASSERT_TRUE(result.received);
    EXPECT_EQ(Narrow(result.headers),
              "HTTP/1.1 201 OK\r\nContent-Type: text/plain\r\n"
              "Content-Length: 10\r\nConnection: close\r\n\r\n");
    // Interim 1xx answers are not part of it either.
    ExchangeResult interim = Exchange(
        RawUrl("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"));
    if (kSystemWinHttp) {
        // Wine 8's WinHTTP fails on an interim "100 Continue" it did not ask for; the posix
        // layer passes over it.
        EXPECT_FALSE(interim.received);
        return;
    }
    ASSERT_TRUE(interim.received);
    EXPECT_EQ(Narrow(interim.headers), "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n");
    EXPECT_EQ(interim.body, "ok");
}

TEST(WinHttpResponse, TakesHeaderBytesAsCodePage936) {
    ExchangeResult result = Exchange(RawUrl(
        "HTTP/1.1 200 \xD6\xD0\xCE\xC4\r\nX-A: \xB2\xE2\xCA\xD4\r\nContent-Length: 2\r\n\r\nok"));
    ASSERT_TRUE(result.received);
    EXPECT_EQ(result.headers.substr(0, 15), u"HTTP/1.1 200 \u4E2D\u6587");
    if (kSystemWinHttp) {
        // Wine 8's WinHTTP gives only the status line, without its CR LF, when a header line
        // holds bytes above 0x7F; the posix layer gives every line.
        EXPECT_EQ(result.headers, u"HTTP/1.1 200 \u4E2D\u6587");
        return;
    }
    EXPECT_EQ(result.headers,
              u"HTTP/1.1 200 \u4E2D\u6587\r\nX-A: \u6D4B\u8BD5\r\n"
              u"Content-Length: 2\r\n\r\n");
}

}  // namespace
}  // namespace linkgrab
