#include "web/web_request.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/pending_events.h"
#include "platform/winhttp.h"
#include "web/conversions.h"
#include "web/error_texts.h"
#include "web/request_headers.h"
#include "web/response_body.h"
#include "web/response_headers.h"

namespace linkgrab {

namespace {

// The code units of a wide text, as a WinHTTP argument takes them.
class WideText {
  public:
    explicit WideText(const ByteString& wide) : units_(wide.size() / 2, u'\0') {
        for (std::size_t i = 0; i < units_.size(); ++i) {
            units_[i] = static_cast<WCHAR>(wide[2 * i] | (wide[2 * i + 1] << 8));
        }
    }
    // Null for an empty wide text, which has no first code unit.
    LPCWSTR Pointer() const { return units_.empty() ? nullptr : units_.c_str(); }
    // The code units before the terminator.
    DWORD Length() const { return units_.empty() ? 0 : static_cast<DWORD>(units_.size() - 1); }

  private:
    std::u16string units_;  // the terminator included, as AnsiToWide makes it
};

WideText Wide(const Text& text) {
    return WideText(AnsiToWide(text));
}

// One zero code unit: the empty wide text that is passed where no null pointer may go.
const ByteString kEmptyWide = {0, 0};

// The three handles of one call, closed request first, then connection, then session, on
// every path out of the call. A handle never opened is null; closing it does no harm.
struct Handles {
    explicit Handles(const WinHttpApi& api) : api(api) {}
    ~Handles() {
        api.WinHttpCloseHandle(request);
        api.WinHttpCloseHandle(connection);
        api.WinHttpCloseHandle(session);
    }
    Handles(const Handles&) = delete;
    Handles& operator=(const Handles&) = delete;

    const WinHttpApi& api;
    HINTERNET session = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
};

// The caller's out-parameters, or the temporaries that stand in for the omitted ones.
struct Outputs {
    Text* cookies;  // null: not passed
    Text& receivedCookies;
    Text& responseHeaders;
    Text& redirectLocation;
    Text& statusText;
    ByteString& responseBody;
    bool responseBodyAsked;  // false: the body is not copied out at all
};

// What the exchange returns when it was left through an early exit, which processes no
// window messages; otherwise it returns the number of levels it was in when it was left.
constexpr int kEarlyExit = -1;

Text VerbText(int method) {
    switch (method) {
        case 1:
            return "POST";
        case 2:
            return "HEAD";
        case 3:
            return "PUT";
        default:
            return "GET";
    }
}

// Milliseconds for all four time-outs. 0 seconds or less: 30 s. A value beyond what a 32-bit
// integer holds becomes the largest one.
int TimeoutMilliseconds(int timeoutSeconds) {
    const double t = timeoutSeconds > 0 ? static_cast<double>(timeoutSeconds) * 1000.0 : 30000.0;
    if (t >= static_cast<double>(INT32_MAX)) return INT32_MAX;
    return static_cast<int>(t);  // truncated toward zero
}

bool SetFeatureOption(const WinHttpApi& api, HINTERNET request, DWORD option, DWORD value) {
    return api.WinHttpSetOption(request, option, &value, sizeof(value)) != 0;
}

int EarlyExit(Outputs& out, int code) {
    out.statusText = ErrorText(code);
    return kEarlyExit;
}

int Failure(Outputs& out, int code, int level) {
    out.statusText = ErrorText(code);
    return level;
}

// The levels of the exchange, each entered only when the one before succeeded.
int Exchange(const WebRequestArguments& arguments, Handles& handles, Outputs& out, Text& pageText) {
    const WinHttpApi& api = handles.api;

    // Level 0: platform.
    if (!api.WinHttpCheckPlatform()) return Failure(out, 700, 0);

    // Level 1: address.
    const WideText url = Wide(arguments.url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(URL_COMPONENTS);
    parts.dwSchemeLength = 0xFFFFFFFF;
    parts.dwHostNameLength = 0xFFFFFFFF;
    parts.dwUrlPathLength = 0xFFFFFFFF;
    parts.dwExtraInfoLength = 0xFFFFFFFF;
    parts.dwUserNameLength = 0;
    parts.dwPasswordLength = 0;
    if (!api.WinHttpCrackUrl(url.Pointer(), url.Length(), 0, &parts)) {
        return Failure(out, 701, 1);
    }
    const Text host =
        WideToAnsi(BytesAt(parts.lpszHostName, std::size_t{2} * parts.dwHostNameLength));
    const WideText objectName(
        parts.dwUrlPathLength < 1
            ? AnsiToWide("/")
            : ConcatBytes(
                  ConcatBytes(
                      BytesAt(parts.lpszUrlPath, std::size_t{2} * parts.dwUrlPathLength),
                      BytesAt(parts.lpszExtraInfo, std::size_t{2} * parts.dwExtraInfoLength)),
                  kEmptyWide));
    const INTERNET_PORT port = parts.nPort;
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

    DWORD accessType = WINHTTP_ACCESS_TYPE_NO_PROXY;
    ByteString proxyName = kEmptyWide;
    if (TextLength(arguments.proxy) > 0) {
        accessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
        proxyName = AnsiToWide(secure ? arguments.proxy : ConcatTexts("http=", arguments.proxy));
    }

    // Level 2: session. The user agent travels in the request headers.
    const WideText proxyArgument(proxyName);
    handles.session = api.WinHttpOpen(nullptr, accessType, proxyArgument.Pointer(), nullptr, 0);
    if (handles.session == nullptr) return Failure(out, 702, 2);

    // Level 3: connection.
    handles.connection = api.WinHttpConnect(handles.session, Wide(host).Pointer(), port, 0);
    if (handles.connection == nullptr) return Failure(out, 703, 3);

    // Level 4: request.
    const WideText verb = Wide(VerbText(arguments.method));
    handles.request =
        api.WinHttpOpenRequest(handles.connection, verb.Pointer(), objectName.Pointer(), nullptr,
                               nullptr, nullptr, secure ? WINHTTP_FLAG_SECURE : 0);
    if (handles.request == nullptr) return Failure(out, 704, 4);
    HINTERNET request = handles.request;

    // Level 5: time-outs and options.
    const int t = TimeoutMilliseconds(arguments.timeoutSeconds);
    if (!api.WinHttpSetTimeouts(request, t, t, t, t)) return Failure(out, 705, 5);
    if (TextLength(arguments.userName) > 0 && TextLength(arguments.password) > 0) {
        if (!api.WinHttpSetCredentials(
                request, WINHTTP_AUTH_TARGET_SERVER, WINHTTP_AUTH_SCHEME_BASIC,
                Wide(arguments.userName).Pointer(), Wide(arguments.password).Pointer(), nullptr)) {
            return EarlyExit(out, 707);
        }
    }
    if (TextLength(arguments.proxyUserName) > 0 && TextLength(arguments.proxyPassword) > 0) {
        if (!api.WinHttpSetCredentials(request, WINHTTP_AUTH_TARGET_PROXY,
                                       WINHTTP_AUTH_SCHEME_BASIC,
                                       Wide(arguments.proxyUserName).Pointer(),
                                       Wide(arguments.proxyPassword).Pointer(), nullptr)) {
            return EarlyExit(out, 707);
        }
    }
    // Without cookies from the caller WinHTTP must not handle cookies by itself; with them its
    // own handling stays on.
    const bool cookieOption = out.cookies == nullptr
                                  ? SetFeatureOption(api, request, WINHTTP_OPTION_DISABLE_FEATURE,
                                                     WINHTTP_DISABLE_COOKIES)
                                  : SetFeatureOption(api, request, WINHTTP_OPTION_ENABLE_FEATURE,
                                                     WINHTTP_ENABLE_SSL_REVOCATION);
    if (!cookieOption) return EarlyExit(out, 708);
    if (arguments.disableRedirects &&
        !SetFeatureOption(api, request, WINHTTP_OPTION_DISABLE_FEATURE,
                          WINHTTP_DISABLE_REDIRECTS)) {
        return EarlyExit(out, 709);
    }
    const Text headerBlock =
        ComposeRequestHeaders(arguments.extraHeaders, out.cookies ? *out.cookies : Text());

    // Level 6: request headers.
    const WideText headers = Wide(headerBlock);
    if (!api.WinHttpAddRequestHeaders(request, headers.Pointer(), headers.Length(),
                                      WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE)) {
        return Failure(out, 710, 6);
    }

    // Level 7: send. A body longer than WinHTTP can count cannot be sent whole.
    ByteString requestBody = TextToBytes(arguments.requestBody);
    if (requestBody.size() > 0xFFFFFFFFu) return Failure(out, 711, 7);
    const DWORD bodyLength = static_cast<DWORD>(requestBody.size());
    if (!api.WinHttpSendRequest(request, nullptr, 0,
                                requestBody.empty() ? nullptr : requestBody.data(), bodyLength,
                                bodyLength, 0)) {
        return Failure(out, 711, 7);
    }

    // Level 8: response.
    if (!api.WinHttpReceiveResponse(request, nullptr)) return Failure(out, 712, 8);
    ResponseBody body;  // each chunk is read straight into its place
    for (;;) {
        DWORD available = 0;
        if (!api.WinHttpQueryDataAvailable(request, &available)) break;
        if (available < 1) break;
        DWORD read = 0;
        if (!api.WinHttpReadData(request, body.Room(available), available, &read)) {
            out.statusText = ErrorText(713);
            break;
        }
        body.Keep(read);
    }
    // The first query only learns the size the raw headers need; its result is of no use.
    DWORD size = 0;
    DWORD index = 0;
    api.WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr, nullptr, &size,
                            &index);

    // Level 9: headers.
    ByteString buffer = BlankBytes(size);
    index = 0;
    if (!api.WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr,
                                 buffer.empty() ? nullptr : buffer.data(), &size, &index)) {
        return 9;
    }
    InterpretResponseHeaders(WideToAnsi(buffer), out.cookies, arguments.mergeCookies,
                             out.responseHeaders, out.statusText, out.receivedCookies,
                             out.redirectLocation);
    if (out.responseBodyAsked) out.responseBody = body.Bytes();
    pageText = body.TextBeforeZero();
    // The page charset stage runs here, on body and pageText.
    return 9;
}

}  // namespace

Text WebRequest(const WebRequestArguments& arguments) {
    // The page charset stage's RegexObject is constructed here, before any WinHTTP call; being
    // declared first, it is destroyed last, after the handles are closed and the result copied.

    Text receivedCookies;
    Text responseHeaders;
    Text redirectLocation;
    Text statusText;
    ByteString responseBody;
    Outputs out{
        arguments.cookies,
        arguments.receivedCookies ? *arguments.receivedCookies : receivedCookies,
        arguments.responseHeaders ? *arguments.responseHeaders : responseHeaders,
        arguments.redirectLocation ? *arguments.redirectLocation : redirectLocation,
        arguments.statusText ? *arguments.statusText : statusText,
        arguments.responseBody ? *arguments.responseBody : responseBody,
        arguments.responseBody != nullptr,
    };

    Handles handles(WinHttp());
    Text pageText;
    const int levels = Exchange(arguments, handles, out, pageText);
    if (levels == kEarlyExit) return Text();
    // Each level processes the window's waiting messages once as it is left.
    for (int level = 0; level < levels; ++level) ProcessPendingEvents();
    return pageText;
}

}  // namespace linkgrab
