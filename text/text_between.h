// The piece of a text between the first start marker and the next end marker.
#pragma once

#include "text/text.h"

namespace linkgrab {

// "#引号" in a marker stands for one double quote.
extern const Text kQuotePlaceholder;

Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker,
                 long long startPosition = 0, bool ignoreCase = false);

}  // namespace linkgrab
