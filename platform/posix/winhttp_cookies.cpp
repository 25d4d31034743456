// The session cookie jar: Set-Cookie lines taken in, Cookie values given out by host, path and
// scheme. Cookies live as long as their session; an expiry in the past removes one.
#include "platform/posix/winhttp_cookies.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace linkgrab::winhttp {

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Trim(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::string();
    std::size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

bool DomainMatches(const std::string& host, const std::string& domain) {
    if (host == domain) return true;
    return host.size() > domain.size() &&
           host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
           host[host.size() - domain.size() - 1] == '.';
}

bool PathMatches(const std::string& requestPath, const std::string& cookiePath) {
    if (requestPath.compare(0, cookiePath.size(), cookiePath) != 0) return false;
    return requestPath.size() == cookiePath.size() || cookiePath.back() == '/' ||
           requestPath[cookiePath.size()] == '/';
}

std::string DefaultPath(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (path.empty() || path[0] != '/' || slash == 0 || slash == std::string::npos) return "/";
    return path.substr(0, slash);
}

}  // namespace

void CookieJar::Store(const std::string& setCookie, const std::string& host,
                      const std::string& path) {
    std::size_t semicolon = setCookie.find(';');
    std::string pair = setCookie.substr(0, semicolon);
    std::size_t equals = pair.find('=');
    if (equals == std::string::npos) return;
    Cookie cookie;
    cookie.name = Trim(pair.substr(0, equals));
    cookie.value = Trim(pair.substr(equals + 1));
    if (cookie.name.empty()) return;
    cookie.domain = Lower(host);
    cookie.path = DefaultPath(path);
    bool expired = false;
    bool maxAgeSeen = false;
    while (semicolon != std::string::npos) {
        std::size_t next = setCookie.find(';', semicolon + 1);
        std::string attribute = setCookie.substr(semicolon + 1, next - semicolon - 1);
        semicolon = next;
        std::size_t sign = attribute.find('=');
        std::string name = Lower(Trim(attribute.substr(0, sign)));
        std::string value =
            sign == std::string::npos ? std::string() : Trim(attribute.substr(sign + 1));
        if (name == "path" && !value.empty() && value[0] == '/') {
            cookie.path = value;
        } else if (name == "domain" && !value.empty()) {
            std::string domain = Lower(value[0] == '.' ? value.substr(1) : value);
            if (!DomainMatches(cookie.domain, domain)) return;
            cookie.domain = domain;
            cookie.hostOnly = false;
        } else if (name == "secure") {
            cookie.secure = true;
        } else if (name == "max-age" && !value.empty()) {
            maxAgeSeen = true;
            expired = std::atol(value.c_str()) <= 0;
        } else if (name == "expires" && !maxAgeSeen) {
            time_t when = curl_getdate(value.c_str(), nullptr);
            expired = when != -1 && when < std::time(nullptr);
        }
    }
    auto same = [&](const Cookie& c) {
        return c.name == cookie.name && c.domain == cookie.domain && c.path == cookie.path;
    };
    auto existing = std::find_if(cookies_.begin(), cookies_.end(), same);
    if (expired) {
        if (existing != cookies_.end()) cookies_.erase(existing);
    } else if (existing != cookies_.end()) {
        *existing = cookie;
    } else {
        cookies_.push_back(cookie);
    }
}

std::string CookieJar::CookieHeader(const std::string& host, const std::string& path,
                                    bool secure) const {
    std::string lowerHost = Lower(host);
    std::vector<const Cookie*> matching;
    for (const Cookie& cookie : cookies_) {
        bool hostMatches =
            cookie.hostOnly ? lowerHost == cookie.domain : DomainMatches(lowerHost, cookie.domain);
        if (hostMatches && PathMatches(path, cookie.path) && (secure || !cookie.secure))
            matching.push_back(&cookie);
    }
    std::stable_sort(matching.begin(), matching.end(), [](const Cookie* a, const Cookie* b) {
        return a->path.size() > b->path.size();
    });
    std::string header;
    for (const Cookie* cookie : matching) {
        if (!header.empty()) header += "; ";
        header += cookie->name + "=" + cookie->value;
    }
    return header;
}

}  // namespace linkgrab::winhttp
