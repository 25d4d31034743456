// Escaping request targets and resolving redirect targets.
#include "platform/posix/winhttp_target.h"

#include <curl/curl.h>

#include <memory>

#include "platform/posix/winhttp_handles.h"

namespace linkgrab::winhttp {

namespace {

bool NeedsEscape(unsigned char c) {
    if (c <= 0x20 || c >= 0x7F) return true;
    switch (c) {
        case '"':
        case '<':
        case '>':
        case '\\':
        case '^':
        case '`':
        case '{':
        case '|':
        case '}':
        case '[':
        case ']':
        case '#':
            return true;
        default:
            return false;
    }
}

std::string EscapeBytes(const std::string& bytes, bool keepHash) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) {
        if (NeedsEscape(c) && !(keepHash && c == '#')) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct CurlStringDeleter {
    void operator()(char* text) const { curl_free(text); }
};
using CurlString = std::unique_ptr<char, CurlStringDeleter>;

CurlString GetPart(CURLU* url, CURLUPart part, unsigned flags) {
    char* value = nullptr;
    if (curl_url_get(url, part, &value, flags) != CURLUE_OK) return CurlString();
    return CurlString(value);
}

}  // namespace

std::string EscapeObjectName(const std::u16string& objectName) {
    return EscapeBytes(ToUtf8(objectName), false);
}

bool ResolveLocation(const Address& base, const std::string& location, Address& resolved) {
    std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!url) return false;
    std::string baseUrl = std::string(base.secure ? "https://" : "http://") + base.host + ":" +
                          std::to_string(base.port) + base.target;
    if (curl_url_set(url.get(), CURLUPART_URL, baseUrl.c_str(), CURLU_PATH_AS_IS) != CURLUE_OK)
        return false;
    std::string escaped = EscapeBytes(location, true);
    if (curl_url_set(url.get(), CURLUPART_URL, escaped.c_str(), CURLU_NON_SUPPORT_SCHEME) !=
        CURLUE_OK)
        return false;
    CurlString scheme = GetPart(url.get(), CURLUPART_SCHEME, 0);
    CurlString host = GetPart(url.get(), CURLUPART_HOST, 0);
    CurlString port = GetPart(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
    CurlString path = GetPart(url.get(), CURLUPART_PATH, 0);
    CurlString query = GetPart(url.get(), CURLUPART_QUERY, 0);
    if (!scheme || !host || !port || !path) return false;
    std::string schemeText = scheme.get();
    if (schemeText != "http" && schemeText != "https") return false;
    resolved.secure = schemeText == "https";
    resolved.host = host.get();
    resolved.port = std::atoi(port.get());
    resolved.target = path.get();
    if (query) resolved.target += std::string("?") + query.get();
    return !resolved.host.empty();
}

}  // namespace linkgrab::winhttp
