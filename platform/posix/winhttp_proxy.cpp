// Parsing WinHTTP's proxy list and choosing the proxy of a request.
#include "platform/posix/winhttp_proxy.h"

#include <cstdlib>

namespace linkgrab::winhttp {

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool ParseEntry(std::string entry, ProxyList::Entry& out) {
    std::size_t equals = entry.find('=');
    if (equals != std::string::npos) {
        out.scheme = Lower(entry.substr(0, equals));
        entry.erase(0, equals + 1);
        if (out.scheme != "http" && out.scheme != "https") return false;
    }
    std::size_t slashes = entry.find("://");
    if (slashes != std::string::npos) entry.erase(0, slashes + 3);
    std::size_t colon = entry.find(':');
    out.server.port = 80;
    if (colon != std::string::npos) {
        std::string port = entry.substr(colon + 1);
        entry.erase(colon);
        if (!port.empty()) out.server.port = std::atoi(port.c_str());
    }
    while (!entry.empty() && entry.back() == '/') entry.pop_back();
    out.server.host = entry;
    return !entry.empty() && out.server.port > 0 && out.server.port <= 65535;
}

}  // namespace

ProxyList ParseProxyList(const std::string& list) {
    ProxyList proxies;
    std::string entry;
    for (std::size_t i = 0; i <= list.size(); ++i) {
        char c = i < list.size() ? list[i] : ';';
        if (c == ';' || c == ' ' || c == '\t') {
            ProxyList::Entry parsed;
            if (!entry.empty() && ParseEntry(entry, parsed)) proxies.entries.push_back(parsed);
            entry.clear();
        } else {
            entry += c;
        }
    }
    return proxies;
}

const ProxyServer* ProxyFor(const ProxyList& proxies, bool secure) {
    const char* scheme = secure ? "https" : "http";
    for (const ProxyList::Entry& entry : proxies.entries)
        if (entry.scheme == scheme) return &entry.server;
    for (const ProxyList::Entry& entry : proxies.entries)
        if (entry.scheme.empty()) return &entry.server;
    return nullptr;
}

}  // namespace linkgrab::winhttp
