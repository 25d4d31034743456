// The piece of a text between a start marker and the end marker behind it.
#include "text/text_between.h"

namespace linkgrab {

// "#引号"
const Text kQuotePlaceholder = "#\xD2\xFD\xBA\xC5";

Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker,
                 long long startPosition, bool ignoreCase) {
    const Text quote = "\"";
    const Text workingStart = ReplaceText(startMarker, kQuotePlaceholder, quote, true);
    const Text workingEnd = ReplaceText(endMarker, kQuotePlaceholder, quote, true);

    const long long found = FindText(text, workingStart, startPosition, ignoreCase);
    if (found == -1) return Text();
    // Positions are at most the text's length, so this sum cannot overflow.
    const long long from = found + TextLength(workingStart);
    // The end marker is looked for only behind the start marker.
    const long long to = FindText(text, workingEnd, from, ignoreCase);
    if (to == -1) return Text();
    return TextMid(text, from, to - from);
}

}  // namespace linkgrab
