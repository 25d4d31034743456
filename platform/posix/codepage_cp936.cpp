// MultiByteToWideChar and WideCharToMultiByte for code page 936, converting as Windows does.
//
// The double-byte table is the C library's CP936 converter (iconv) completed with what Windows
// adds to it: every byte pair of the code page's shape (lead 0x81..0xFE, trail 0x40..0x7E or
// 0x80..0xFE) that the converter leaves out goes to the private use area, first the three
// user-defined ranges AAA1..AFFE (U+E000..), F8A1..FEFE (U+E234..) and A140..A7A0 (U+E4C6..),
// then every other such pair in byte order from U+E766; the single byte 0xFF is U+F8F5. The
// way back is the inverse of that table plus Windows' best-fit mappings, and WC_COMPOSITECHECK
// joins a character and a combining mark where Unicode composes them into a character that
// the code page has. Both tables are built once, on first use.
//
// Invalid input is never an error: a lead byte with a byte that cannot follow it is one "?",
// a lead byte at the end of the input or before a zero byte is "?", and a code unit without a
// mapping (a lone surrogate half among them) is the default character, "?" unless the caller
// gives another.
//
// Only code page 936 is converted, with the flags 0 or MB_PRECOMPOSED one way and 0 or
// WC_COMPOSITECHECK the other; anything else gives 0, as do the arguments Windows rejects.
#include <iconv.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

#include "platform/codepage.h"
#include "platform/posix/codepage_cp936_tables.h"

namespace linkgrab {
namespace {

constexpr DWORD kMbPrecomposed = 0x1;  // MB_PRECOMPOSED, the default way anyway
constexpr char16_t kDefaultUnit = u'?';
constexpr std::uint16_t kDefaultBytes = '?';
constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kLeadCount = 0xFE - kFirstLead + 1;

bool IsLeadByte(unsigned char byte) {
    return byte >= kFirstLead && byte <= 0xFE;
}
bool IsTrailByte(unsigned byte) {
    return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

// The private use code unit of a pair in one of the user-defined ranges, or 0.
char16_t UserDefinedUnit(unsigned lead, unsigned trail) {
    if (lead >= 0xAA && lead <= 0xAF && trail >= 0xA1 && trail <= 0xFE)
        return static_cast<char16_t>(0xE000 + (lead - 0xAA) * 94 + (trail - 0xA1));
    if (lead >= 0xF8 && lead <= 0xFE && trail >= 0xA1 && trail <= 0xFE)
        return static_cast<char16_t>(0xE234 + (lead - 0xF8) * 94 + (trail - 0xA1));
    if (lead >= 0xA1 && lead <= 0xA7 && trail >= 0x40 && trail <= 0xA0 && trail != 0x7F) {
        const unsigned column = trail < 0x7F ? trail - 0x40 : trail - 0x41;
        return static_cast<char16_t>(0xE4C6 + (lead - 0xA1) * 96 + column);
    }
    return 0;
}

class Converter {
  public:
    Converter() : handle_(iconv_open("UTF-16LE", "CP936")) {}
    ~Converter() {
        if (valid()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // The one BMP code unit that the converter gives for the bytes, or 0.
    char16_t Unit(const unsigned char* bytes, std::size_t length) {
        char in[2];
        std::memcpy(in, bytes, length);
        unsigned char out[8];
        char* inPointer = in;
        char* outPointer = reinterpret_cast<char*>(out);
        std::size_t inLeft = length;
        std::size_t outLeft = sizeof out;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(handle_, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<size_t>(-1) ||
            inLeft != 0 || sizeof out - outLeft != 2)
            return 0;
        const char16_t unit = static_cast<char16_t>(out[0] | (out[1] << 8));
        if (unit >= 0xD800 && unit < 0xE000) return 0;
        return unit;
    }

  private:
    iconv_t handle_;
};

struct Tables {
    char16_t single[256];                 // a byte alone; "?" for a lead byte
    char16_t pair[kLeadCount][256];       // lead byte, following byte
    std::uint16_t narrow[65536];          // byte b as b, two bytes as (lead << 8) | trail
    std::uint64_t composingSecond[1024];  // the code units that end a composition
};

bool Build(Tables& tables) {
    Converter converter;
    if (!converter.valid()) return false;

    for (unsigned byte = 0; byte < 256; ++byte) {
        const unsigned char in = static_cast<unsigned char>(byte);
        char16_t unit = kDefaultUnit;
        if (byte == 0xFF) {
            unit = 0xF8F5;
        } else if (!IsLeadByte(in)) {
            unit = converter.Unit(&in, 1);
            if (unit == 0 && byte != 0) return false;
        }
        tables.single[byte] = unit;
    }

    char16_t nextOther = 0xE766;
    for (unsigned lead = kFirstLead; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0; trail < 256; ++trail) {
            char16_t unit = kDefaultUnit;
            if (IsTrailByte(trail)) {
                unit = UserDefinedUnit(lead, trail);
                if (unit == 0) {
                    const unsigned char in[2] = {static_cast<unsigned char>(lead),
                                                 static_cast<unsigned char>(trail)};
                    unit = converter.Unit(in, 2);
                }
                if (unit == 0) unit = nextOther++;
            }
            tables.pair[lead - kFirstLead][trail] = unit;
        }
    }

    for (std::uint16_t& bytes : tables.narrow) bytes = kDefaultBytes;
    auto setNarrow = [&tables](char16_t unit, std::uint16_t bytes) {
        if (tables.narrow[unit] == kDefaultBytes && unit != kDefaultUnit)
            tables.narrow[unit] = bytes;
    };
    for (unsigned byte = 0; byte < 256; ++byte)
        if (!IsLeadByte(static_cast<unsigned char>(byte)))
            setNarrow(tables.single[byte], static_cast<std::uint16_t>(byte));
    for (unsigned lead = kFirstLead; lead <= 0xFE; ++lead)
        for (unsigned trail = 0; trail < 256; ++trail)
            if (IsTrailByte(trail))
                setNarrow(tables.pair[lead - kFirstLead][trail],
                          static_cast<std::uint16_t>((lead << 8) | trail));
    for (const cp936::BestFit& entry : cp936::kBestFit) setNarrow(entry.unit, entry.bytes);

    for (const cp936::Composition& entry : cp936::kComposition)
        tables.composingSecond[entry.second / 64] |= std::uint64_t{1} << (entry.second % 64);
    return true;
}

const Tables* GetTables() {
    static Tables tables{};
    static const bool ready = Build(tables);
    return ready ? &tables : nullptr;
}

// Whether the code unit has a mapping of its own (Windows' test: anything but the default
// character, or the question mark itself).
bool HasMapping(const Tables& tables, char16_t unit) {
    return tables.narrow[unit] != kDefaultBytes || unit == kDefaultUnit;
}

bool EndsComposition(const Tables& tables, char16_t unit) {
    return (tables.composingSecond[unit / 64] >> (unit % 64)) & 1;
}

// The character that the two code units compose into, or 0.
char16_t Compose(char16_t first, char16_t second) {
    const cp936::Composition* low = std::begin(cp936::kComposition);
    const cp936::Composition* high = std::end(cp936::kComposition);
    while (low < high) {
        const cp936::Composition* middle = low + (high - low) / 2;
        if (middle->second < second || (middle->second == second && middle->first < first))
            low = middle + 1;
        else
            high = middle;
    }
    if (low != std::end(cp936::kComposition) && low->second == second && low->first == first)
        return low->composed;
    return 0;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD dwFlags, const char* lpMultiByteStr, int cbMultiByte,
                        WCHAR* lpWideCharStr, int cchWideChar) {
    if (codePage != CP_GBK) return 0;
    if (!lpMultiByteStr || cbMultiByte == 0 || (!lpWideCharStr && cchWideChar != 0) ||
        cchWideChar < 0)
        return 0;
    if (dwFlags & ~kMbPrecomposed) return 0;
    const Tables* tables = GetTables();
    if (!tables) return 0;

    const auto* in = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
    const std::size_t length =
        cbMultiByte < 0 ? std::strlen(lpMultiByteStr) + 1 : static_cast<std::size_t>(cbMultiByte);
    const bool counting = cchWideChar == 0;
    const std::size_t capacity = static_cast<std::size_t>(cchWideChar);
    std::size_t written = 0;
    for (std::size_t i = 0; i < length; ++written) {
        const unsigned char byte = in[i];
        char16_t unit;
        if (!IsLeadByte(byte)) {
            unit = tables->single[byte];
            i += 1;
        } else if (i + 1 < length && in[i + 1] != 0) {
            unit = tables->pair[byte - kFirstLead][in[i + 1]];
            i += 2;
        } else {
            unit = kDefaultUnit;
            i += 1;
        }
        if (counting) continue;
        if (written == capacity) return 0;  // what fits is written, as Windows does
        lpWideCharStr[written] = unit;
    }
    return written <= INT_MAX ? static_cast<int>(written) : 0;
}

int WideCharToMultiByte(UINT codePage, DWORD dwFlags, const WCHAR* lpWideCharStr, int cchWideChar,
                        char* lpMultiByteStr, int cbMultiByte, const char* lpDefaultChar,
                        BOOL* lpUsedDefaultChar) {
    if (codePage != CP_GBK) return 0;
    if (!lpWideCharStr || cchWideChar == 0 || (!lpMultiByteStr && cbMultiByte != 0) ||
        cbMultiByte < 0)
        return 0;
    if (dwFlags & ~WC_COMPOSITECHECK) return 0;
    const Tables* tables = GetTables();
    if (!tables) return 0;

    const std::size_t length = cchWideChar < 0
                                   ? std::char_traits<char16_t>::length(lpWideCharStr) + 1
                                   : static_cast<std::size_t>(cchWideChar);
    std::uint16_t defaultBytes = kDefaultBytes;
    if (lpDefaultChar) {
        const auto first = static_cast<unsigned char>(lpDefaultChar[0]);
        const auto second = static_cast<unsigned char>(lpDefaultChar[1]);
        defaultBytes = second ? static_cast<std::uint16_t>((first << 8) | second) : first;
    }
    const bool composite = (dwFlags & WC_COMPOSITECHECK) != 0;
    const bool counting = cbMultiByte == 0;
    const std::size_t capacity = static_cast<std::size_t>(cbMultiByte);
    auto* out = reinterpret_cast<unsigned char*>(lpMultiByteStr);
    bool usedDefault = false;
    bool fits = true;
    std::size_t written = 0;
    for (std::size_t i = 0; i < length;) {
        const char16_t unit = lpWideCharStr[i];
        std::uint16_t bytes;
        char16_t composed = 0;
        if (composite && i + 1 < length && EndsComposition(*tables, lpWideCharStr[i + 1]))
            composed = Compose(unit, lpWideCharStr[i + 1]);
        if (composed != 0 && HasMapping(*tables, composed)) {
            bytes = tables->narrow[composed];
            i += 2;
        } else {
            bytes = tables->narrow[unit];
            if (!HasMapping(*tables, unit)) {
                bytes = defaultBytes;
                usedDefault = true;
            }
            i += 1;
        }
        const std::size_t size = bytes > 0xFF ? 2 : 1;
        if (!counting) {
            if (capacity - written < size) {  // never half a character
                fits = false;
                break;
            }
            if (size == 2) out[written] = static_cast<unsigned char>(bytes >> 8);
            out[written + size - 1] = static_cast<unsigned char>(bytes & 0xFF);
        }
        written += size;
    }
    if (lpUsedDefaultChar) *lpUsedDefaultChar = usedDefault ? 1 : 0;
    if (!fits || written > INT_MAX) return 0;
    return static_cast<int>(written);
}

}  // namespace linkgrab
