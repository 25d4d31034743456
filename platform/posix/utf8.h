// UTF-16 to UTF-8, for the posix services that hand texts to UTF-8 libraries and terminals.
#pragma once

#include <cstddef>
#include <string>

namespace linkgrab {

// Appends the UTF-8 form of `count` UTF-16 code units. A surrogate pair becomes one four-byte
// character; a lone surrogate becomes U+FFFD.
void AppendUtf16AsUtf8(std::string& out, const char16_t* units, std::size_t count);

}  // namespace linkgrab
