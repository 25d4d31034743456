#include "platform/posix/utf8.h"

namespace linkgrab {

namespace {

void AppendCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsHigh(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLow(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

void AppendUtf16AsUtf8(std::string& out, const char16_t* units, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const char32_t unit = units[i];
        if (IsHigh(unit) && i + 1 < count && IsLow(units[i + 1])) {
            AppendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (IsHigh(unit) || IsLow(unit)) {
            AppendCodePoint(out, 0xFFFD);
        } else {
            AppendCodePoint(out, unit);
        }
    }
}

}  // namespace linkgrab
