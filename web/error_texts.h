// The request's error texts, as code page 936 bytes.
#pragma once

#include "text/text.h"

namespace linkgrab {

// The text of code 700 to 713 (no 706); empty for any other code.
Text ErrorText(int code);

}  // namespace linkgrab
