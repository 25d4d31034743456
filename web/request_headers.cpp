#include "web/request_headers.h"

namespace linkgrab {

namespace {

struct DefaultHeader {
    const char* searchText;
    bool ignoreCase;
    const char* line;
};

// Tried in this order; a line is added when its search text is nowhere in the block so far.
constexpr DefaultHeader kDefaultHeaders[] = {
    {"User-Agent: ", true,
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"},
    {"Accept: ", true, "Accept: text/html, application/xhtml+xml, */*\r\n"},
    {"Accept-Encoding: ", true, "Accept-Encoding: gbk, GB2312\r\n"},
    {"Accept-Language: ", true, "Accept-Language: zh-cn\r\n"},
    {"Content-Type:", false, "Content-Type: application/x-www-form-urlencoded\r\n"},
    {"Cache-Control: ", true, "Cache-Control: no-cache\r\n"},
};

}  // namespace

Text ComposeRequestHeaders(const Text& extraHeaders, const Text& cookies) {
    Text headerBlock;
    if (TextLength(extraHeaders) > 0) headerBlock = ConcatTexts(extraHeaders, "\r\n");
    for (const DefaultHeader& header : kDefaultHeaders) {
        if (FindText(headerBlock, header.searchText, 1, header.ignoreCase) == -1) {
            headerBlock += header.line;
        }
    }
    if (FindText(headerBlock, "Cookie: ", 1, true) == -1 && TextLength(cookies) > 0) {
        headerBlock += "Cookie: ";
        headerBlock += cookies;
        headerBlock += "\r\n";
    }
    return headerBlock;
}

}  // namespace linkgrab
