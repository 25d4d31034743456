// The cookie jar of one WinHTTP session: cookies set by responses, sent back on later requests
// of the same session (redirect hops included) whose host, path and scheme they match.
#pragma once

#include <string>
#include <vector>

namespace linkgrab::winhttp {

class CookieJar {
  public:
    // Takes the value of one Set-Cookie line of a response to host/path.
    void Store(const std::string& setCookie, const std::string& host, const std::string& path);
    // "name=value; name=value" of the cookies for a request, empty when none matches.
    std::string CookieHeader(const std::string& host, const std::string& path, bool secure) const;

  private:
    struct Cookie {
        std::string name;
        std::string value;
        std::string domain;  // lower case, without a leading dot
        bool hostOnly = true;
        std::string path;
        bool secure = false;
    };
    std::vector<Cookie> cookies_;
};

}  // namespace linkgrab::winhttp
