#include "web/response_headers.h"

#include "platform/pending_events.h"
#include "text/text_between.h"
#include "web/cookie_merge.h"

namespace linkgrab {

namespace {

// A line sets a cookie only when its header name is Set-Cookie, not when the words merely
// occur somewhere in it (inside another header's value, say). The name's letter case has been
// normalised before this test.
bool IsCookieLine(const Text& line) {
    return TextEquals(TextLeft(line, 11), "Set-Cookie:");
}

// The cookie of a Set-Cookie line: the name=value pair without its attributes.
Text CookieOfLine(const Text& line) {
    Text value;
    if (FindText(line, ";") != -1) {
        value = TextBetween(line, "Set-Cookie:", ";");
    } else {
        value = ReplaceText(line, "Set-Cookie:", Text(), false);
    }
    return TrimSpaces(value);
}

}  // namespace

void InterpretResponseHeaders(const Text& rawHeaders, Text* cookies, bool mergeCookies,
                              Text& responseHeaders, Text& statusText, Text& receivedCookies,
                              Text& redirectLocation) {
    responseHeaders = rawHeaders;

    // The status line's protocol and version take the first nine bytes.
    const long long lineEnd = FindText(responseHeaders, "\r\n", 10, false);
    statusText = TextMid(responseHeaders, 10, lineEnd - 10);

    responseHeaders = ReplaceText(responseHeaders, "Set-Cookie", "Set-Cookie", false);

    const TextList lines = SplitText(responseHeaders, "\r\n");
    const long long lineCount = ListSize(lines);
    // A text the caller passed in is kept apart from the first cookie added to it.
    const bool callerText = TextLength(receivedCookies) > 0;
    bool cookieAppended = false;
    for (long long i = 1; i <= lineCount; ++i) {
        const Text& line = lines[i];
        if (IsCookieLine(line)) {
            if (callerText && !cookieAppended) receivedCookies += "; ";
            receivedCookies += CookieOfLine(line);
            receivedCookies += "; ";
            cookieAppended = true;
        }
        if (CompareText(TextLeft(line, 10), "Location: ", false) == 0) {
            redirectLocation = TextMid(line, 11, TextLength(line) - 10);
        }
        ProcessPendingEvents();
    }
    // Only a separator this routine appended is cut; the caller's text stays whole.
    if (cookieAppended) {
        receivedCookies = TextLeft(receivedCookies, TextLength(receivedCookies) - 2);
    }

    if (mergeCookies && cookies != nullptr) {
        receivedCookies = MergeCookies(*cookies, receivedCookies);
    }
}

}  // namespace linkgrab
