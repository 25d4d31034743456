// Dumps what MultiByteToWideChar and WideCharToMultiByte give for code page 936 into the
// reference file that tests/platform/codepage_test.cpp checks both builds against.
//
// Regenerate, from the top of the tree:
//   i686-w64-mingw32-g++-posix -std=c++20 -O2 -static -o /tmp/cp936_reference_dump.exe
//       tests/platform/tools/cp936_reference_dump.cpp
//   LC_ALL=zh_CN.UTF-8 WINEDEBUG=-all wine /tmp/cp936_reference_dump.exe
//       tests/data/cp936_reference.bin
// Where the kernel runs no 32-bit programs, build with x86_64-w64-mingw32-g++-posix instead
// and run it with WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 (package wine64); the
// code page tables are the same. It takes a few seconds.
//
// The program checks the regularities the file format relies on and stops with a message
// when the platform breaks one, so a file it writes always describes the platform fully.
//
// File format (all numbers little-endian):
//   "CP936REF" u32 version (1)
//   "MB1 " 256 records, one per byte b: MultiByteToWideChar(936, 0, {b}, 1) as
//          u8 count, count x u16 code units
//   "MB2 " 126 x 256 records, one per lead byte 0x81..0xFE and following byte t, the same for
//          {lead, t} with length 2. Pairs whose first byte is no lead byte convert as the two
//          single bytes one after the other (checked here, not stored).
//   "WC1 " 65536 x u16, one per UTF-16 code unit u: WideCharToMultiByte(936, flags, {u}, 1)
//          for flags 0 and WC_COMPOSITECHECK (checked equal); a single byte b is stored as
//          b, two bytes as (first << 8) | second (the first is then never 0).
//   "WCC " u32 n, n x u16: the code units that may end a composition (every unit after the
//          first in the canonical decomposition of a character), then u32 m and m records
//          u16 first, u16 second, u8 count, count bytes: each pair {first, second}, first
//          any code unit and second from that list, that WC_COMPOSITECHECK converts
//          differently from the two units one after the other.
//   "END "
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr UINT kCodePage = 936;
constexpr DWORD kCompositeCheck = WC_COMPOSITECHECK;

std::string out;

void PutU8(unsigned v) {
    out.push_back(static_cast<char>(v & 0xFF));
}
void PutU16(unsigned v) {
    PutU8(v);
    PutU8(v >> 8);
}
void PutU32(std::uint32_t v) {
    PutU16(v & 0xFFFF);
    PutU16(v >> 16);
}
void PutTag(const char* tag) {
    out.append(tag, 4);
}

[[noreturn]] void Fail(const char* what, unsigned a, unsigned b) {
    std::fprintf(stderr, "cp936_reference_dump: %s (0x%X 0x%X)\n", what, a, b);
    std::exit(1);
}

// Converts bytes, checking that the size query gives the same count and that a buffer one
// unit too small gives 0.
std::vector<WCHAR> ToWide(const char* bytes, int length) {
    WCHAR buffer[16];
    int query = MultiByteToWideChar(kCodePage, 0, bytes, length, nullptr, 0);
    int count = MultiByteToWideChar(kCodePage, 0, bytes, length, buffer, 16);
    if (count <= 0 || count != query) Fail("size query differs", query, count);
    if (MultiByteToWideChar(kCodePage, 0, bytes, length, buffer, count - 1) != 0 && count > 1)
        Fail("short buffer accepted", count, 0);
    return std::vector<WCHAR>(buffer, buffer + count);
}

std::string ToBytes(DWORD flags, const WCHAR* units, int length) {
    char buffer[16];
    int query = WideCharToMultiByte(kCodePage, flags, units, length, nullptr, 0, nullptr, nullptr);
    int count = WideCharToMultiByte(kCodePage, flags, units, length, buffer, 16, nullptr, nullptr);
    if (count <= 0 || count != query) Fail("size query differs", query, count);
    if (count > 1 && WideCharToMultiByte(kCodePage, flags, units, length, buffer, count - 1,
                                         nullptr, nullptr) != 0)
        Fail("short buffer accepted", count, 0);
    return std::string(buffer, count);
}

bool IsLead(unsigned b) {
    return b >= 0x81 && b <= 0xFE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: cp936_reference_dump OUTPUT\n");
        return 2;
    }
    if (GetACP() != kCodePage) std::fprintf(stderr, "note: ANSI code page is %u\n", GetACP());

    out.append("CP936REF", 8);
    PutU32(1);

    // Single bytes.
    std::vector<std::vector<WCHAR>> single(256);
    unsigned mapped = 0;
    PutTag("MB1 ");
    for (unsigned b = 0; b < 256; ++b) {
        char byte = static_cast<char>(b);
        single[b] = ToWide(&byte, 1);
        if (single[b].size() != 1) Fail("single byte gives several units", b, 0);
        PutU8(1);
        PutU16(single[b][0]);
        if (!IsLead(b) && (single[b][0] != '?' || b == '?')) ++mapped;
    }

    // Byte pairs.
    PutTag("MB2 ");
    unsigned questionPairs = 0;
    for (unsigned lead = 0; lead < 256; ++lead) {
        for (unsigned trail = 0; trail < 256; ++trail) {
            char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            std::vector<WCHAR> wide = ToWide(pair, 2);
            if (!IsLead(lead)) {
                std::vector<WCHAR> both = single[lead];
                both.push_back(single[trail][0]);
                if (wide != both)
                    Fail("pair without lead byte is not two single bytes", lead, trail);
                continue;
            }
            PutU8(static_cast<unsigned>(wide.size()));
            for (WCHAR unit : wide) PutU16(unit);
            if (wide.size() == 1 && wide[0] != '?') ++mapped;
            if (wide.size() == 1 && wide[0] == '?') ++questionPairs;
        }
    }

    // Single code units, both flags.
    PutTag("WC1 ");
    std::vector<std::string> narrow(65536);
    unsigned unmappable = 0;
    for (unsigned u = 0; u < 65536; ++u) {
        WCHAR unit = static_cast<WCHAR>(u);
        narrow[u] = ToBytes(0, &unit, 1);
        if (ToBytes(kCompositeCheck, &unit, 1) != narrow[u])
            Fail("WC_COMPOSITECHECK changes a single unit", u, 0);
        const std::string& s = narrow[u];
        if (s.size() == 1) {
            PutU16(static_cast<unsigned char>(s[0]));
        } else if (s.size() == 2 && s[0] != 0) {
            PutU16((static_cast<unsigned char>(s[0]) << 8) | static_cast<unsigned char>(s[1]));
        } else {
            Fail("unit gives neither one nor two bytes", u, static_cast<unsigned>(s.size()));
        }
        if (s == "?" && u != '?') ++unmappable;
    }

    // Compositions: a pair can compose only when its second unit stands after the first one
    // in the canonical decomposition of some character.
    std::set<unsigned> seconds;
    for (unsigned u = 0; u < 65536; ++u) {
        if (u >= 0xD800 && u < 0xE000) continue;
        WCHAR unit = static_cast<WCHAR>(u);
        WCHAR decomposed[32];
        int n = NormalizeString(NormalizationD, &unit, 1, decomposed, 32);
        for (int i = 1; i < n; ++i) seconds.insert(decomposed[i]);
    }
    PutTag("WCC ");
    PutU32(static_cast<std::uint32_t>(seconds.size()));
    for (unsigned s : seconds) PutU16(s);
    std::string pairs;
    unsigned pairCount = 0;
    for (unsigned second : seconds) {
        for (unsigned first = 0; first < 65536; ++first) {
            WCHAR units[2] = {static_cast<WCHAR>(first), static_cast<WCHAR>(second)};
            std::string got = ToBytes(kCompositeCheck, units, 2);
            if (got == narrow[first] + narrow[second]) continue;
            if (ToBytes(0, units, 2) != narrow[first] + narrow[second])
                Fail("flags 0 pair is not two single units", first, second);
            ++pairCount;
            std::string record;
            record.push_back(static_cast<char>(first & 0xFF));
            record.push_back(static_cast<char>(first >> 8));
            record.push_back(static_cast<char>(second & 0xFF));
            record.push_back(static_cast<char>(second >> 8));
            record.push_back(static_cast<char>(got.size()));
            record += got;
            pairs += record;
        }
    }
    PutU32(pairCount);
    out += pairs;
    PutTag("END ");

    FILE* file = std::fopen(argv[1], "wb");
    if (!file || std::fwrite(out.data(), 1, out.size(), file) != out.size() ||
        std::fclose(file) != 0) {
        std::fprintf(stderr, "cp936_reference_dump: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf(
        "mapped byte sequences %u, invalid pairs giving one '?' %u, unmappable units %u, "
        "composition candidates %u, composing pairs %u, %u bytes written\n",
        mapped, questionPairs, unmappable, static_cast<unsigned>(seconds.size()), pairCount,
        static_cast<unsigned>(out.size()));
    return 0;
}
