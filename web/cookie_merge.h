// Merging the cookies a request sent with those its response set.
#pragma once

#include "text/text.h"

namespace linkgrab {

// Assigns both arguments (see the .cpp) and returns the merged cookie text.
Text MergeCookies(Text& cookies, Text& receivedCookies);
Text CookieName(const Text& entry);
bool HasCookieName(const TextList& list, const Text& name);
Text RemoveDuplicates(const Text& text, const Text& separator);
long long IndexOfText(const TextList& list, const Text& text);

}  // namespace linkgrab
