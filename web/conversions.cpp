#include "web/conversions.h"

#include <climits>
#include <cstddef>
#include <vector>

#include "platform/codepage.h"

namespace linkgrab {

ByteString AnsiToWide(const Text& text) {
    if (TextLength(text) == 0) return ByteString();
    const int n = MultiByteToWideChar(CP_GBK, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 0) return ByteString();
    // Zero-filled, so the last code unit is the terminator whatever the second call writes.
    std::vector<WCHAR> units(static_cast<std::size_t>(n), 0);
    MultiByteToWideChar(CP_GBK, 0, text.c_str(), -1, units.data(), n);
    units.back() = 0;

    ByteString wide;
    wide.reserve(units.size() * 2);
    for (const WCHAR unit : units) {
        wide.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        wide.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return wide;
}

Text WideToAnsi(const ByteString& wide) {
    std::size_t count = wide.size() / 2;  // an odd last byte is no code unit
    if (count == 0) return Text();
    if (count > static_cast<std::size_t>(INT_MAX)) count = static_cast<std::size_t>(INT_MAX);

    std::vector<WCHAR> units(count);
    for (std::size_t i = 0; i < count; ++i) {
        units[i] = static_cast<WCHAR>(wide[2 * i] | (wide[2 * i + 1] << 8));
    }
    const int n = static_cast<int>(count);
    const int m = WideCharToMultiByte(CP_GBK, WC_COMPOSITECHECK, units.data(), n, nullptr, 0,
                                      nullptr, nullptr);
    if (m <= 0) return Text();
    Text buffer(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_GBK, WC_COMPOSITECHECK, units.data(), n, buffer.data(), m, nullptr,
                        nullptr);
    const std::size_t zero = buffer.find('\0');
    if (zero != Text::npos) buffer.resize(zero);
    return buffer;
}

}  // namespace linkgrab
