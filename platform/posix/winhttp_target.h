// Request targets: the object name escaped as WinHTTP sends it, and the address a redirect
// leads to.
#pragma once

#include <string>

namespace linkgrab::winhttp {

// UTF-8, then every byte that may not stand in a request target as %XX.
std::string EscapeObjectName(const std::u16string& objectName);

struct Address {
    bool secure = false;
    std::string host;
    int port = 0;
    std::string target;  // path and query, escaped
};

// The address that a Location value names, resolved against the address it came from.
// False when it names none of http or https or cannot be parsed.
bool ResolveLocation(const Address& base, const std::string& location, Address& resolved);

}  // namespace linkgrab::winhttp
