// The two code page conversions of the web request routine: code page 936 text to the
// NUL-terminated UTF-16LE wide text WinHTTP takes, and back.
#pragma once

#include "text/text.h"

namespace linkgrab {

// Code units including the terminating zero, 2 bytes each; empty for an empty text.
ByteString AnsiToWide(const Text& text);

// The UTF-16LE units of wide (an odd last byte dropped) as code page 936, up to the first zero.
Text WideToAnsi(const ByteString& wide);

}  // namespace linkgrab
