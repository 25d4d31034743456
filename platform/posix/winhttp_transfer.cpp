// One request's transfer on libcurl. WinHTTP's wire form is built here: the caller's header
// lines in their order, then User-Agent, Host, Authorization (basic, sent at once to the server
// of the first hop), Content-Length (for a body, and always for POST and PUT), Connection and
// the session's cookies; libcurl adds nothing of its own (no Accept, no Expect, no Content-Type).
#include "platform/posix/winhttp_transfer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/posix/winhttp_headers.h"

namespace linkgrab::winhttp {

namespace {

constexpr int kMaxRedirects = 10;
constexpr std::size_t kPauseAt = 64 * 1024;

void InitCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string Base64(const std::string& bytes) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                     (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                     static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    if (i + 1 == bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += "==";
    } else if (i + 2 == bytes.size()) {
        unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                     (static_cast<unsigned char>(bytes[i + 1]) << 8);
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += '=';
    }
    return out;
}

bool StartsWithName(const std::string& line, const char* name) {
    std::size_t length = std::strlen(name);
    return line.size() > length && line[length] == ':' && SameName(line.substr(0, length), name);
}

std::string ValueOf(const std::string& line) {
    std::size_t colon = line.find(':');
    std::size_t begin = line.find_first_not_of(" \t", colon + 1);
    if (begin == std::string::npos) return std::string();
    std::size_t end = line.find_last_not_of(" \t");
    return line.substr(begin, end - begin + 1);
}

std::string PathOf(const std::string& target) {
    std::size_t end = target.find_first_of("?#");
    return target.substr(0, end);
}

DWORD MapCurlError(CURLcode code) {
    switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_URL_MALFORMAT:
            return ERROR_WINHTTP_NAME_NOT_RESOLVED;
        case CURLE_COULDNT_CONNECT:
            return ERROR_WINHTTP_CANNOT_CONNECT;
        case CURLE_OPERATION_TIMEDOUT:
            return ERROR_WINHTTP_TIMEOUT;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
        case CURLE_USE_SSL_FAILED:
            return ERROR_WINHTTP_SECURE_FAILURE;
        case CURLE_GOT_NOTHING:
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_HTTP2:
            return ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
        case CURLE_OUT_OF_MEMORY:
            return kErrorNotEnoughMemory;
        default:
            return ERROR_WINHTTP_CONNECTION_ERROR;
    }
}

}  // namespace

Transfer::Transfer(Request& request) : request_(request) {
    InitCurl();
    multi_.reset(curl_multi_init());
    origin_.secure = request.secure;
    origin_.host = ToUtf8(request.connection->host);
    origin_.port = request.connection->port;
    origin_.target = request.target;
    address_ = origin_;
    verb_ = request.verb;
}

Transfer::~Transfer() {
    StopHop();
}

size_t Transfer::OnHeader(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<Transfer*>(self);
    std::size_t length = size * count;
    std::string line(data, length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    transfer->lastActivity_ = std::chrono::steady_clock::now();
    if (line.compare(0, 5, "HTTP/") == 0 && !transfer->headersDone_) {
        transfer->responseLines_.clear();
        transfer->status_ = 0;
    }
    if (line.empty()) {
        if (!transfer->responseLines_.empty()) {
            const std::string& statusLine = transfer->responseLines_.front();
            std::size_t space = statusLine.find(' ');
            long status = space == std::string::npos ? 0 : std::atol(statusLine.c_str() + space);
            transfer->status_ = status;
            if (status >= 200) transfer->headersDone_ = true;
        }
        return length;
    }
    if (!transfer->headersDone_) transfer->responseLines_.push_back(line);
    return length;
}

size_t Transfer::OnBody(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<Transfer*>(self);
    std::size_t length = size * count;
    transfer->lastActivity_ = std::chrono::steady_clock::now();
    if (transfer->buffer_.size() - transfer->bufferStart_ >= kPauseAt) {
        // libcurl keeps this piece and hands it over again once the transfer is resumed.
        transfer->paused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    transfer->buffer_.append(data, length);
    return length;
}

int Transfer::OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
    auto* transfer = static_cast<Transfer*>(self);
    if (type == CURLINFO_HEADER_OUT) {
        // A tunnel's CONNECT is not the request: that is sent only once the proxy has let it
        // through, and a proxy that asks for credentials first may refuse it.
        const bool tunnel = size >= 8 && std::memcmp(data, "CONNECT ", 8) == 0;
        if (!tunnel) transfer->headerSent_ = true;
        transfer->lastActivity_ = std::chrono::steady_clock::now();
    } else if (type == CURLINFO_DATA_OUT) {
        transfer->bodyBytesSent_ += size;
        transfer->lastActivity_ = std::chrono::steady_clock::now();
    }
    return 0;
}

bool Transfer::BuildHeaders(curl_slist*& list) const {
    const std::vector<HeaderLine>& user = request_.headers;
    std::vector<std::string> lines;
    std::string cookies;
    if (!request_.cookiesDisabled)
        cookies = request_.session->cookies.CookieHeader(address_.host, PathOf(address_.target),
                                                         address_.secure);
    bool cookieMerged = false;
    for (const HeaderLine& header : user) {
        std::string value = header.value;
        if (!cookies.empty() && !cookieMerged && SameName(header.name, "Cookie")) {
            value += value.empty() ? cookies : "; " + cookies;
            cookieMerged = true;
        }
        // libcurl drops "Name:" with nothing behind; "Name;" sends the empty value.
        lines.push_back(value.empty() ? header.name + ";" : header.name + ": " + value);
    }
    auto missing = [&](const char* name) { return FindHeader(user, name) == nullptr; };
    if (request_.session->hasAgent && missing("User-Agent"))
        lines.push_back(request_.session->agent.empty() ? "User-Agent;"
                                                        : "User-Agent: " + request_.session->agent);
    if (missing("Host")) {
        int defaultPort = address_.secure ? 443 : 80;
        lines.push_back("Host: " + address_.host +
                        (address_.port == defaultPort ? "" : ":" + std::to_string(address_.port)));
    }
    // Server credentials go to the server they were set for, never on to another one.
    bool sameServer = address_.host == origin_.host && address_.port == origin_.port &&
                      address_.secure == origin_.secure;
    if (request_.server.set && sameServer && missing("Authorization"))
        lines.push_back("Authorization: Basic " +
                        Base64(request_.server.userName + ":" + request_.server.password));
    // A HEAD goes out without its body (libcurl reads no answer body after a HEAD only when
    // it sends none), so it promises none either.
    bool bodyMode = verb_ != "HEAD" && (!body_.empty() || verb_ == "POST" || verb_ == "PUT");
    if (bodyMode && missing("Content-Length"))
        lines.push_back("Content-Length: " + std::to_string(body_.size()));
    if (missing("Connection")) lines.push_back("Connection: Keep-Alive");
    if (!cookies.empty() && !cookieMerged) lines.push_back("Cookie: " + cookies);
    if (missing("Accept")) lines.push_back("Accept:");
    if (missing("Expect")) lines.push_back("Expect:");
    if (bodyMode && missing("Content-Type")) lines.push_back("Content-Type:");
    if (viaProxy_ && !address_.secure) lines.push_back("Proxy-Connection:");
    for (const std::string& line : lines) {
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (grown == nullptr) return false;
        list = grown;
    }
    return true;
}

DWORD Transfer::StartHop() {
    StopHop();
    if (!multi_) return kErrorNotEnoughMemory;
    easy_.reset(curl_easy_init());
    if (!easy_) return kErrorNotEnoughMemory;
    CURL* easy = easy_.get();
    const ProxyServer* proxy = ProxyFor(request_.session->proxies, address_.secure);
    viaProxy_ = proxy != nullptr;
    curl_slist* list = nullptr;
    bool built = BuildHeaders(list);
    headerList_.reset(list);
    if (!built) return kErrorNotEnoughMemory;

    std::string url = std::string(address_.secure ? "https://" : "http://") + address_.host + ":" +
                      std::to_string(address_.port) + address_.target;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb_.c_str());
    if (verb_ == "HEAD") {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    } else if (!body_.empty() || verb_ == "POST" || verb_ == "PUT") {
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body_.size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body_.data());
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList_.get());
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(easy, CURLOPT_DEBUGFUNCTION, &Transfer::OnDebug);
    curl_easy_setopt(easy, CURLOPT_DEBUGDATA, this);
    const Timeouts& timeouts = request_.timeouts;
    if (timeouts.connect > 0) {
        long connect = timeouts.connect + (timeouts.resolve > 0 ? timeouts.resolve : 0);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connect);
    }
    if (proxy != nullptr) {
        std::string proxyUrl = "http://" + proxy->host + ":" + std::to_string(proxy->port);
        curl_easy_setopt(easy, CURLOPT_PROXY, proxyUrl.c_str());
        curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
        if (proxyCredentialsSent_) {
            curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
            curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, request_.proxy.userName.c_str());
            curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, request_.proxy.password.c_str());
        }
    } else {
        curl_easy_setopt(easy, CURLOPT_PROXY, "");  // direct, whatever the environment says
    }
    const std::string& bundle = TrustedCertificateBundle();
    if (!bundle.empty()) {
        curl_blob blob{const_cast<char*>(bundle.data()), bundle.size(), CURL_BLOB_NOCOPY};
        curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob);
    }
    if (curl_multi_add_handle(multi_.get(), easy) != CURLM_OK) {
        easy_.reset();
        return kErrorInternal;
    }
    return 0;
}

void Transfer::StopHop() {
    if (easy_) curl_multi_remove_handle(multi_.get(), easy_.get());
    easy_.reset();
    headerList_.reset();
    headerSent_ = false;
    bodyBytesSent_ = 0;
    responseLines_.clear();
    headersDone_ = false;
    status_ = 0;
    done_ = false;
    result_ = CURLE_OK;
    paused_ = false;
    buffer_.clear();
    bufferStart_ = 0;
}

int Transfer::IdleLimit(Phase phase) const {
    const Timeouts& timeouts = request_.timeouts;
    if (phase == Phase::kReceive) return timeouts.receive;
    if (timeouts.connect <= 0 || timeouts.send <= 0) return 0;
    return timeouts.connect + timeouts.send + (timeouts.resolve > 0 ? timeouts.resolve : 0);
}

DWORD Transfer::Failure(Phase phase) const {
    if (result_ == CURLE_OK)
        return phase == Phase::kReceive && !headersDone_ ? ERROR_WINHTTP_INVALID_SERVER_RESPONSE
                                                         : 0;
    if (phase == Phase::kReceive && result_ == CURLE_UNSUPPORTED_PROTOCOL)
        return ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
    return MapCurlError(result_);
}

template <typename Ready>
DWORD Transfer::Drive(Ready ready, Phase phase) {
    using Clock = std::chrono::steady_clock;
    lastActivity_ = Clock::now();
    int limit = IdleLimit(phase);
    for (;;) {
        if (ready()) return 0;
        if (done_) return Failure(phase);
        int running = 0;
        if (curl_multi_perform(multi_.get(), &running) != CURLM_OK) return kErrorInternal;
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_.get(), &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy_.get()) {
                done_ = true;
                result_ = message->data.result;
            }
        }
        if (ready()) return 0;
        if (done_) return Failure(phase);
        int wait = 200;
        if (limit > 0) {
            auto idle =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastActivity_);
            if (idle.count() >= limit) return ERROR_WINHTTP_TIMEOUT;
            wait = static_cast<int>(std::min<long long>(wait, limit - idle.count()));
        }
        curl_multi_poll(multi_.get(), nullptr, 0, wait, nullptr);
    }
}

DWORD Transfer::SendHop() {
    for (;;) {
        DWORD error = StartHop();
        if (error != 0) return error;
        error = Drive(
            [this] {
                return (headerSent_ && bodyBytesSent_ >= body_.size()) || !responseLines_.empty();
            },
            Phase::kSend);
        long connectCode = 0;
        if (error != 0 && done_ && viaProxy_)
            curl_easy_getinfo(easy_.get(), CURLINFO_HTTP_CONNECTCODE, &connectCode);
        // A proxy that asks for credentials before it opens a tunnel gets them once.
        if (connectCode != 407 || !request_.proxy.set || proxyCredentialsSent_) return error;
        proxyCredentialsSent_ = true;
    }
}

DWORD Transfer::Send(std::string body) {
    body_ = std::move(body);
    DWORD error = SendHop();
    if (error != 0) failure_ = error;
    return error;
}

std::string Transfer::Location() const {
    for (const std::string& line : responseLines_)
        if (StartsWithName(line, "Location")) return ValueOf(line);
    return std::string();
}

void Transfer::StoreCookies() {
    if (request_.cookiesDisabled) return;
    for (const std::string& line : responseLines_)
        if (StartsWithName(line, "Set-Cookie"))
            request_.session->cookies.Store(ValueOf(line), address_.host, PathOf(address_.target));
}

DWORD Transfer::Receive() {
    if (failure_ != 0) return failure_;
    for (;;) {
        DWORD error = Drive([this] { return headersDone_; }, Phase::kReceive);
        if (error != 0) {
            failure_ = error;
            return error;
        }
        StoreCookies();
        bool retry = false;
        if (status_ == 407 && viaProxy_ && request_.proxy.set && !proxyCredentialsSent_) {
            // Proxy credentials go out only when the proxy asks for them.
            proxyCredentialsSent_ = true;
            retry = true;
        } else if (!request_.redirectsDisabled &&
                   (status_ == 301 || status_ == 302 || status_ == 307)) {
            std::string location = Location();
            Address next;
            // A redirect from a secure address to a plain one is not followed: the 3xx stays
            // the final response, as with WinHTTP's default redirect policy.
            if (!location.empty() && ResolveLocation(address_, location, next) &&
                (next.secure || !address_.secure)) {
                if (++redirects_ > kMaxRedirects) {
                    failure_ = kErrorRedirectFailed;
                    return failure_;
                }
                if (status_ != 307 && verb_ == "POST") {
                    verb_ = "GET";
                    body_.clear();
                }
                address_ = next;
                retry = true;
            }
        }
        if (!retry) break;
        error = SendHop();
        if (error != 0) {
            failure_ = error;
            return error;
        }
    }
    rawHeaders_.clear();
    for (const std::string& line : responseLines_) rawHeaders_ += line + "\r\n";
    rawHeaders_ += "\r\n";
    received_ = true;
    return 0;
}

DWORD Transfer::WaitForBody() {
    if (failure_ != 0) return failure_;
    if (bufferStart_ < buffer_.size() || done_) {
        return bufferStart_ < buffer_.size() ? 0 : Failure(Phase::kReceive);
    }
    buffer_.clear();
    bufferStart_ = 0;
    if (paused_) {
        paused_ = false;
        curl_easy_pause(easy_.get(), CURLPAUSE_CONT);
    }
    DWORD error = Drive([this] { return bufferStart_ < buffer_.size(); }, Phase::kReceive);
    if (error != 0 && bufferStart_ >= buffer_.size()) {
        failure_ = error;
        return error;
    }
    return 0;
}

DWORD Transfer::Available(DWORD& available) {
    DWORD error = WaitForBody();
    if (error != 0) return error;
    available = static_cast<DWORD>(buffer_.size() - bufferStart_);
    return 0;
}

DWORD Transfer::Read(char* buffer, DWORD size, DWORD& read) {
    read = 0;
    if (size == 0) return 0;
    DWORD error = WaitForBody();
    if (error != 0) return error;
    std::size_t count = std::min<std::size_t>(size, buffer_.size() - bufferStart_);
    if (count > 0) std::memcpy(buffer, buffer_.data() + bufferStart_, count);
    bufferStart_ += count;
    read = static_cast<DWORD>(count);
    return 0;
}

}  // namespace linkgrab::winhttp
