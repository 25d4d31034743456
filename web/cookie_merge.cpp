#include "web/cookie_merge.h"

#include <string_view>
#include <unordered_set>

namespace linkgrab {

// The result puts the cookies the response set first, then the sent cookies whose names it did
// not set. Entries ending in "=deleted" are dropped, and a repeated entry is kept once. Both
// arguments are assigned: cookies to the result, receivedCookies to its input without spaces.
Text MergeCookies(Text& cookies, Text& receivedCookies) {
    cookies = RemoveSpaces(cookies);
    receivedCookies = RemoveSpaces(receivedCookies);

    const TextList sentEntries = SplitText(cookies, ";");
    TextList mergedEntries = SplitText(receivedCookies, ";");

    // The names of mergedEntries as it grows: the answer HasCookieName(mergedEntries, name)
    // gives, without walking the list for every sent entry.
    std::unordered_set<Text> mergedNames;
    const long long receivedCount = ListSize(mergedEntries);
    for (long long i = 1; i <= receivedCount; ++i) mergedNames.insert(CookieName(mergedEntries[i]));
    const long long sentCount = ListSize(sentEntries);
    for (long long i = 1; i <= sentCount; ++i) {
        const Text& entry = sentEntries[i];
        if (mergedNames.insert(CookieName(entry)).second) ListAppend(mergedEntries, entry);
    }

    cookies = Text();
    const long long mergedCount = ListSize(mergedEntries);
    for (long long i = 1; i <= mergedCount; ++i) {
        const Text& entry = mergedEntries[i];
        if (!TextEquals(TextRight(entry, 8), "=deleted")) {
            cookies += entry;
            cookies += "; ";
        }
    }
    cookies = TextLeft(cookies, TextLength(cookies) - 2);
    cookies = RemoveDuplicates(cookies, "; ");
    return cookies;
}

Text CookieName(const Text& entry) {
    const long long p = FindText(entry, "=");
    const Text name = p == -1 ? entry : TextLeft(entry, p - 1);
    return TrimSpaces(name);
}

bool HasCookieName(const TextList& list, const Text& name) {
    const long long count = ListSize(list);
    for (long long i = 1; i <= count; ++i) {
        if (TextEquals(CookieName(list[i]), name)) return true;
    }
    return false;
}

Text RemoveDuplicates(const Text& text, const Text& separator) {
    const TextList pieces = SplitText(text, separator);
    // The pieces kept so far: IndexOfText(seen, piece) == -1 is "not in the set", at the cost
    // of one look-up instead of a walk through every piece kept before it.
    std::unordered_set<std::string_view> seen;
    Text output;
    const long long count = ListSize(pieces);
    for (long long i = 1; i <= count; ++i) {
        const Text& piece = pieces[i];
        if (seen.insert(piece).second) {
            output += piece;
            output += separator;
        }
    }
    return TextLeft(output, TextLength(output) - TextLength(separator));
}

long long IndexOfText(const TextList& list, const Text& text) {
    const long long count = ListSize(list);
    for (long long i = 1; i <= count; ++i) {
        if (TextEquals(list[i], text)) return i;
    }
    return -1;
}

}  // namespace linkgrab
