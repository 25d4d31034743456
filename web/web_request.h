// One HTTP or HTTPS exchange through WinHTTP, returning the response body as text.
#pragma once

#include "text/text.h"

namespace linkgrab {

// The request's eighteen parameters. Only url is required. A null out-parameter is written to
// a temporary; a null cookies means "not passed", which differs from an empty text.
struct WebRequestArguments {
    Text url;
    int method = 0;  // 0 GET, 1 POST, 2 HEAD, 3 PUT, anything else GET
    Text requestBody;
    Text* cookies = nullptr;          // in/out
    Text* receivedCookies = nullptr;  // in/out, appended to
    Text extraHeaders;                // lines separated by "\r\n"
    Text* responseHeaders = nullptr;  // out
    bool disableRedirects = false;
    Text userName;
    Text password;
    Text proxy;  // host, optionally ":port"; empty: no proxy
    Text proxyUserName;
    Text proxyPassword;
    int timeoutSeconds = 0;            // 0 or less: 30 seconds
    Text* redirectLocation = nullptr;  // out
    Text* statusText = nullptr;        // out: status or error text
    ByteString* responseBody = nullptr;  // out
    bool mergeCookies = true;
};

Text WebRequest(const WebRequestArguments& arguments);

}  // namespace linkgrab
