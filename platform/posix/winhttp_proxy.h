// WinHTTP's proxy list: entries separated by ';' or blanks, each "[scheme=][scheme://]host[:port]".
// An entry with "http=" serves plain addresses only, one with "https=" secure ones, one without
// a scheme serves both.
#pragma once

#include <string>
#include <vector>

namespace linkgrab::winhttp {

struct ProxyServer {
    std::string host;
    int port = 80;
};

struct ProxyList {
    struct Entry {
        std::string scheme;  // "", "http" or "https"
        ProxyServer server;
    };
    std::vector<Entry> entries;
};

ProxyList ParseProxyList(const std::string& list);
// The proxy for a request, or nullptr when it goes direct.
const ProxyServer* ProxyFor(const ProxyList& proxies, bool secure);

}  // namespace linkgrab::winhttp
