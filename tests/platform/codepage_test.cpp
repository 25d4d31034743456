// Code page 936 conversion against what Windows gives, for every byte sequence and every UTF-16
// code unit. tests/data/cp936_reference.bin holds Windows' own results (written under Wine by
// tests/platform/tools/cp936_reference_dump.cpp, which describes the format); the same test
// checks the posix conversion and, in the win32 build, the platform's functions behind the seam.
#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace linkgrab {
namespace {

constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kLastLead = 0xFE;
constexpr std::size_t kMaxReported = 20;

bool IsLead(unsigned byte) {
    return byte >= kFirstLead && byte <= kLastLead;
}

std::string ReferencePath() {
#ifdef LINKGRAB_CP936_REFERENCE
    return LINKGRAB_CP936_REFERENCE;
#else
    std::string path = __FILE__;
    const std::size_t slash = path.find_last_of("/\\");
    path = (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) +
           "/../data/cp936_reference.bin";
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;  // Wine's drive for the host's root
#endif
    return path;
#endif
}

struct Reference {
    std::string error;                     // empty when the file was read
    std::u16string single[256];            // each byte alone
    std::vector<std::u16string> leadPair;  // (lead - 0x81) * 256 + following byte
    std::vector<std::uint16_t> narrow;     // each code unit, as stored
    std::vector<char16_t> seconds;         // code units that may end a composition
    std::map<std::pair<char16_t, char16_t>, std::string> compositions;

    std::u16string Pair(unsigned first, unsigned second) const {
        if (IsLead(first)) return leadPair[(first - kFirstLead) * 256 + second];
        return single[first] + single[second];
    }
    std::string Narrow(char16_t unit) const {
        const std::uint16_t bytes = narrow[unit];
        if (bytes > 0xFF) return {static_cast<char>(bytes >> 8), static_cast<char>(bytes & 0xFF)};
        return std::string(1, static_cast<char>(bytes));
    }
};

class Reader {
  public:
    explicit Reader(std::string data) : data_(std::move(data)) {}
    bool ok() const { return ok_; }
    unsigned U8() { return Take(1) ? static_cast<unsigned char>(data_[at_ - 1]) : 0; }
    unsigned U16() {
        const unsigned low = U8();
        return low | (U8() << 8);
    }
    std::uint32_t U32() {
        const std::uint32_t low = U16();
        return low | (static_cast<std::uint32_t>(U16()) << 16);
    }
    bool Tag(const char* tag, std::size_t length) {
        if (!Take(length) || data_.compare(at_ - length, length, tag) != 0) ok_ = false;
        return ok_;
    }
    std::string Bytes(std::size_t length) {
        return Take(length) ? data_.substr(at_ - length, length) : std::string();
    }

  private:
    bool Take(std::size_t length) {
        if (!ok_ || data_.size() - at_ < length) return ok_ = false;
        at_ += length;
        return true;
    }
    std::string data_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

void Load(Reference& reference) {
    const std::string path = ReferencePath();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        reference.error = "cannot open " + path;
        return;
    }
    std::string data;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        data.append(buffer, n);
    std::fclose(file);

    Reader in(std::move(data));
    in.Tag("CP936REF", 8);
    if (in.U32() != 1) reference.error = "unknown version";
    in.Tag("MB1 ", 4);
    for (std::u16string& units : reference.single)
        for (unsigned n = in.U8(); n > 0 && in.ok(); --n) units.push_back(in.U16());
    in.Tag("MB2 ", 4);
    reference.leadPair.resize((kLastLead - kFirstLead + 1) * 256);
    for (std::u16string& units : reference.leadPair)
        for (unsigned n = in.U8(); n > 0 && in.ok(); --n) units.push_back(in.U16());
    in.Tag("WC1 ", 4);
    reference.narrow.resize(65536);
    for (std::uint16_t& bytes : reference.narrow) bytes = static_cast<std::uint16_t>(in.U16());
    in.Tag("WCC ", 4);
    for (std::uint32_t n = in.U32(); n > 0 && in.ok(); --n) reference.seconds.push_back(in.U16());
    for (std::uint32_t n = in.U32(); n > 0 && in.ok(); --n) {
        const char16_t first = in.U16();
        const char16_t second = in.U16();
        reference.compositions[{first, second}] = in.Bytes(in.U8());
    }
    in.Tag("END ", 4);
    if (!in.ok() && reference.error.empty()) reference.error = path + " is cut short or damaged";
}

const Reference& GetReference() {
    static const Reference* reference = [] {
        static Reference loaded;
        Load(loaded);
        return &loaded;
    }();
    return *reference;
}

std::string Hex(const std::string& bytes) {
    std::string text;
    char piece[4];
    for (unsigned char byte : bytes) {
        std::snprintf(piece, sizeof piece, "%02X ", byte);
        text += piece;
    }
    return text.empty() ? "(none)" : text.substr(0, text.size() - 1);
}

std::string Hex(const std::u16string& units) {
    std::string text;
    char piece[6];
    for (char16_t unit : units) {
        std::snprintf(piece, sizeof piece, "%04X ", static_cast<unsigned>(unit));
        text += piece;
    }
    return text.empty() ? "(none)" : text.substr(0, text.size() - 1);
}

// Mismatches of a table test, reported together at the end.
class Mismatches {
  public:
    void Add(const std::string& what) {
        if (count_++ < kMaxReported) text_ += "\n  " + what;
    }
    bool empty() const { return count_ == 0; }
    std::string Report() const {
        return std::to_string(count_) + " mismatches, the first:" + text_;
    }

  private:
    std::size_t count_ = 0;
    std::string text_;
};

// MultiByteToWideChar the way callers use it: the size query first, then a buffer of that
// size. A buffer one unit short must give 0.
struct WideResult {
    int query;
    int converted;
    int shortBuffer;  // result with one unit less room; 0 expected
    std::u16string units;
};

WideResult ToWide(const std::string& bytes, int length) {
    WideResult result{};
    result.query = MultiByteToWideChar(CP_GBK, 0, bytes.data(), length, nullptr, 0);
    if (result.query <= 0) return result;
    std::u16string buffer(static_cast<std::size_t>(result.query) + 1, u'\xEEEE');
    result.converted = MultiByteToWideChar(CP_GBK, 0, bytes.data(), length, buffer.data(),
                                           static_cast<int>(buffer.size()));
    if (result.converted > 0) result.units = buffer.substr(0, result.converted);
    if (result.query > 1)
        result.shortBuffer =
            MultiByteToWideChar(CP_GBK, 0, bytes.data(), length, buffer.data(), result.query - 1);
    return result;
}

struct NarrowResult {
    int query;
    int converted;
    int shortBuffer;
    BOOL usedDefault;
    std::string bytes;
};

NarrowResult ToNarrow(DWORD flags, const std::u16string& units, int length) {
    NarrowResult result{};
    result.query =
        WideCharToMultiByte(CP_GBK, flags, units.data(), length, nullptr, 0, nullptr, nullptr);
    if (result.query <= 0) return result;
    std::string buffer(static_cast<std::size_t>(result.query) + 1, '\xEE');
    result.usedDefault = 7;
    result.converted =
        WideCharToMultiByte(CP_GBK, flags, units.data(), length, buffer.data(),
                            static_cast<int>(buffer.size()), nullptr, &result.usedDefault);
    if (result.converted > 0) result.bytes = buffer.substr(0, result.converted);
    if (result.query > 1)
        result.shortBuffer = WideCharToMultiByte(CP_GBK, flags, units.data(), length, buffer.data(),
                                                 result.query - 1, nullptr, nullptr);
    return result;
}

std::string Bytes(std::initializer_list<unsigned> values) {
    std::string bytes;
    for (unsigned value : values) bytes.push_back(static_cast<char>(value));
    return bytes;
}

class Cp936Table : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(reference().error.empty()) << reference().error; }
    static const Reference& reference() { return GetReference(); }
};

TEST_F(Cp936Table, EverySingleByte) {
    Mismatches mismatches;
    for (unsigned byte = 0; byte < 256; ++byte) {
        const WideResult got = ToWide(Bytes({byte}), 1);
        const std::u16string& want = reference().single[byte];
        if (got.units != want || got.query != static_cast<int>(want.size()))
            mismatches.Add(Hex(Bytes({byte})) + ": " + Hex(got.units) + " (size query " +
                           std::to_string(got.query) + "), Windows " + Hex(want));
    }
    EXPECT_TRUE(mismatches.empty()) << mismatches.Report();
}

TEST_F(Cp936Table, EveryBytePair) {
    Mismatches mismatches;
    for (unsigned first = 0; first < 256; ++first) {
        for (unsigned second = 0; second < 256; ++second) {
            const std::string bytes = Bytes({first, second});
            const WideResult got = ToWide(bytes, 2);
            const std::u16string want = reference().Pair(first, second);
            if (got.units != want || got.query != static_cast<int>(want.size()) ||
                got.shortBuffer != 0)
                mismatches.Add(Hex(bytes) + ": " + Hex(got.units) + " (size query " +
                               std::to_string(got.query) + ", short buffer " +
                               std::to_string(got.shortBuffer) + "), Windows " + Hex(want));
        }
    }
    EXPECT_TRUE(mismatches.empty()) << mismatches.Report();
}

TEST_F(Cp936Table, EveryLeadBytePairInOneText) {
    // Every lead byte with every byte but 0 after it, one pair after the other: each pair is
    // one character, whatever the bytes before it.
    std::string text;
    std::u16string want;
    for (unsigned lead = kFirstLead; lead <= kLastLead; ++lead) {
        for (unsigned trail = 1; trail < 256; ++trail) {
            text += Bytes({lead, trail});
            want += reference().Pair(lead, trail);
        }
    }
    const WideResult counted = ToWide(text, static_cast<int>(text.size()));
    EXPECT_EQ(counted.query, static_cast<int>(want.size()));
    EXPECT_TRUE(counted.units == want);
    EXPECT_EQ(counted.shortBuffer, 0);

    const WideResult terminated = ToWide(text, -1);
    EXPECT_TRUE(terminated.units == want + u'\0');
}

TEST_F(Cp936Table, LeadByteAtTheEnd) {
    for (unsigned lead = kFirstLead; lead <= kLastLead; ++lead) {
        SCOPED_TRACE(Hex(Bytes({lead})));
        EXPECT_TRUE(ToWide(Bytes({'a', lead}), 2).units == u"a?");
        EXPECT_TRUE(ToWide(Bytes({'a', lead}), -1).units == std::u16string(u"a?\0", 3));
        EXPECT_TRUE(ToWide(Bytes({lead, 0, 'b'}), 3).units == std::u16string(u"?\0b", 3));
    }
}

TEST_F(Cp936Table, EveryCodeUnit) {
    Mismatches mismatches;
    for (unsigned value = 0; value < 65536; ++value) {
        const char16_t unit = static_cast<char16_t>(value);
        const std::string want = reference().Narrow(unit);
        const BOOL wantUsed = want == "?" && unit != u'?';
        for (DWORD flags : {DWORD{0}, WC_COMPOSITECHECK}) {
            const NarrowResult got = ToNarrow(flags, std::u16string(1, unit), 1);
            if (got.bytes != want || got.query != static_cast<int>(want.size()) ||
                got.shortBuffer != 0 || got.usedDefault != wantUsed)
                mismatches.Add(Hex(std::u16string(1, unit)) + " flags " + std::to_string(flags) +
                               ": " + Hex(got.bytes) + " (size query " + std::to_string(got.query) +
                               ", short buffer " + std::to_string(got.shortBuffer) +
                               ", default used " + std::to_string(got.usedDefault) + "), Windows " +
                               Hex(want));
        }
    }
    EXPECT_TRUE(mismatches.empty()) << mismatches.Report();
}

TEST_F(Cp936Table, EveryCompositionCandidate) {
    // For each code unit that may end a composition: every code unit before it, the pairs
    // separated by a line feed (which composes with nothing), in one text.
    ASSERT_FALSE(reference().seconds.empty());
    std::map<char16_t, std::vector<std::pair<char16_t, std::string>>> bySecond;
    for (const auto& [pair, bytes] : reference().compositions)
        bySecond[pair.second].emplace_back(pair.first, bytes);  // in order of the first unit

    constexpr std::size_t kPairs = 65536;
    std::u16string text(kPairs * 3, u'\n');
    for (std::size_t first = 0; first < kPairs; ++first)
        text[first * 3] = static_cast<char16_t>(first);
    const int textLength = static_cast<int>(text.size());
    std::string want(kPairs * 5, '\0');
    std::string got(kPairs * 5, '\0');
    auto append = [this](char* at, char16_t unit) {
        const std::uint16_t bytes = reference().narrow[unit];
        if (bytes <= 0xFF) {
            *at = static_cast<char>(bytes);
            return at + 1;
        }
        at[0] = static_cast<char>(bytes >> 8);
        at[1] = static_cast<char>(bytes & 0xFF);
        return at + 2;
    };

    Mismatches mismatches;
    for (char16_t second : reference().seconds) {
        static const std::vector<std::pair<char16_t, std::string>> kNone;
        const auto found = bySecond.find(second);
        const auto& composed = found != bySecond.end() ? found->second : kNone;
        std::size_t next = 0;
        char* at = want.data();
        for (std::size_t first = 0; first < kPairs; ++first) {
            text[first * 3 + 1] = second;
            if (next < composed.size() && composed[next].first == first) {
                at = std::copy(composed[next].second.begin(), composed[next].second.end(), at);
                ++next;
            } else {
                at = append(append(at, static_cast<char16_t>(first)), second);
            }
            *at++ = '\n';
        }
        const int wantLength = static_cast<int>(at - want.data());
        const int length =
            WideCharToMultiByte(CP_GBK, WC_COMPOSITECHECK, text.data(), textLength, got.data(),
                                static_cast<int>(got.size()), nullptr, nullptr);
        if (length == wantLength && got.compare(0, length, want, 0, length) == 0) continue;

        for (std::size_t first = 0; first < kPairs; ++first) {  // find the pairs that differ
            const std::u16string pair = text.substr(first * 3, 2);
            const std::string alone = ToNarrow(WC_COMPOSITECHECK, pair, 2).bytes;
            const auto entry = reference().compositions.find({pair[0], pair[1]});
            const std::string expected =
                entry != reference().compositions.end()
                    ? entry->second
                    : reference().Narrow(pair[0]) + reference().Narrow(pair[1]);
            if (alone != expected)
                mismatches.Add(Hex(pair) + ": " + Hex(alone) + ", Windows " + Hex(expected));
        }
        if (mismatches.empty())
            mismatches.Add("second " + Hex(std::u16string(1, second)) +
                           ": the whole text differs, no single pair");
    }
    EXPECT_TRUE(mismatches.empty()) << mismatches.Report();
}

TEST_F(Cp936Table, CompositionsOnlyWithTheFlag) {
    // Without WC_COMPOSITECHECK every recorded composition converts unit by unit.
    ASSERT_FALSE(reference().compositions.empty());
    Mismatches mismatches;
    for (const auto& [pair, composed] : reference().compositions) {
        const std::u16string units{pair.first, pair.second};
        const std::string want = reference().Narrow(pair.first) + reference().Narrow(pair.second);
        const std::string got = ToNarrow(0, units, 2).bytes;
        if (got != want) mismatches.Add(Hex(units) + ": " + Hex(got) + ", Windows " + Hex(want));
    }
    EXPECT_TRUE(mismatches.empty()) << mismatches.Report();
}

TEST_F(Cp936Table, SurrogateHalves) {
    // A pair of halves is no character of the code page: each half is a "?", with either flag.
    for (DWORD flags : {DWORD{0}, WC_COMPOSITECHECK}) {
        Mismatches mismatches;
        for (unsigned high = 0xD800; high < 0xDC00; ++high) {
            const std::u16string pair{static_cast<char16_t>(high), u'\xDE00'};
            if (ToNarrow(flags, pair, 2).bytes != "??") mismatches.Add(Hex(pair));
        }
        for (unsigned low = 0xDC00; low < 0xE000; ++low) {
            const std::u16string pair{u'\xD83D', static_cast<char16_t>(low)};
            if (ToNarrow(flags, pair, 2).bytes != "??") mismatches.Add(Hex(pair));
        }
        EXPECT_TRUE(mismatches.empty()) << "flags " << flags << ": " << mismatches.Report();
        EXPECT_EQ(ToNarrow(flags,
                           u"a\xD800"
                           u"b\xDFFF",
                           4)
                      .bytes,
                  "a?b?");
    }
}

// Readable cases: what the tables above hold, for characters one knows.

struct KnownCharacter {
    const char* name;
    std::string bytes;
    std::u16string units;
};

TEST(Cp936, KnownCharactersBothWays) {
    const KnownCharacter cases[] = {
        {"ASCII", "Az~", u"Az~"},
        {"two ideographs", "\xD6\xD0\xCE\xC4", u"\u4E2D\u6587"},
        {"euro sign, a single byte", "\x80", u"\u20AC"},
        {"full-width space", "\xA1\xA1", u"\u3000"},
        {"middle dot", "\xA1\xA4", u"\u00B7"},
        {"user-defined AAA1", "\xAA\xA1", u"\uE000"},
        {"user-defined AFFE", "\xAF\xFE", u"\uE233"},
        {"user-defined F8A1", "\xF8\xA1", u"\uE234"},
        {"user-defined FEFE", "\xFE\xFE", u"\uE4C5"},
        {"user-defined A140", "\xA1\x40", u"\uE4C6"},
        {"user-defined A7A0", "\xA7\xA0", u"\uE765"},
        {"unassigned A2AB", "\xA2\xAB", u"\uE766"},
        {"unassigned FEA0", "\xFE\xA0", u"\uE864"},
        {"byte FF", "\xFF", u"\uF8F5"},
    };
    for (const KnownCharacter& known : cases) {
        SCOPED_TRACE(known.name);
        EXPECT_TRUE(ToWide(known.bytes, static_cast<int>(known.bytes.size())).units == known.units);
        EXPECT_EQ(ToNarrow(0, known.units, static_cast<int>(known.units.size())).bytes,
                  known.bytes);
    }
}

TEST(Cp936, InvalidBytesBecomeQuestionMarks) {
    const KnownCharacter cases[] = {
        {"lead byte and space: one character",
         "\x81\x20"
         "a",
         u"?a"},
        {"lead byte and DEL", "\x81\x7F", u"?"},
        {"lead byte and FF", "\x81\xFF", u"?"},
        {"lead byte and control byte", "\xB0\x0A", u"?"},
        {"lead byte and FF, then ASCII",
         "\xFE\xFF"
         "A",
         u"?A"},
        {"two lead bytes are one character",
         "\x81\x81"
         "A",
         u"\u4E96A"},
        {"lead byte alone", "\xD6", u"?"},
        {"lead byte before a zero byte", std::string("\xD6\0z", 3), std::u16string(u"?\0z", 3)},
    };
    for (const KnownCharacter& known : cases) {
        SCOPED_TRACE(known.name);
        EXPECT_TRUE(ToWide(known.bytes, static_cast<int>(known.bytes.size())).units == known.units);
    }
}

TEST(Cp936, UnmappableAndBestFitCharacters) {
    struct Case {
        const char* name;
        std::u16string units;
        std::string bytes;
        BOOL usedDefault;
    };
    const Case cases[] = {
        {"Hangul syllable", u"\uAC00", "?", 1},
        {"byte order mark", u"\uFEFF", "?", 1},
        {"question mark itself", u"?", "?", 0},
        {"A with grave, best fit", u"\u00C0", "\xA8\xA4", 0},
        {"superscript two, best fit", u"\u00B2", "2", 0},
        {"compatibility ideograph, best fit", u"\uF900", "\xD8\x4D", 0},
        {"emoji, a surrogate pair", u"\U0001F600", "??", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const NarrowResult got = ToNarrow(0, c.units, static_cast<int>(c.units.size()));
        EXPECT_EQ(got.bytes, c.bytes);
        EXPECT_EQ(got.usedDefault, c.usedDefault);
    }
}

TEST(Cp936, CompositeCheckJoinsACharacterAndItsMark) {
    struct Case {
        const char* name;
        std::u16string units;
        std::string plain;     // flags 0
        std::string composed;  // WC_COMPOSITECHECK
    };
    const Case cases[] = {
        {"e and acute", u"e\u0301", "e?", "\xA8\xA6"},
        {"a, grave, x", u"a\u0300x", "a?x", "\xA8\xA4x"},
        {"equals and long solidus: not equal to", u"=\u0338", "=?", "\xA1\xD9"},
        {"hiragana ka and voiced mark", u"\u304B\u3099", "\xA4\xAB?", "\xA4\xAC"},
        {"u, diaeresis, macron: only the first pair", u"u\u0308\u0304", "u??", "\xA8\xB9?"},
        {"u with diaeresis and macron", u"\u00FC\u0304", "\xA8\xB9?", "\xA8\xB5"},
        {"A and ring: composed character has no mapping", u"A\u030A", "A?", "A?"},
        {"mark alone", u"\u0301", "?", "?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int length = static_cast<int>(c.units.size());
        EXPECT_EQ(ToNarrow(0, c.units, length).bytes, c.plain);
        EXPECT_EQ(ToNarrow(WC_COMPOSITECHECK, c.units, length).bytes, c.composed);
    }
}

TEST(Cp936, SizeQueryWithTerminatedText) {
    // The calling protocol of the program: count with a terminated text and no buffer, then
    // convert into a buffer of exactly that size; the terminator is part of both.
    const char* text =
        "\xD6\xD0"
        "a";
    const int units = MultiByteToWideChar(CP_GBK, 0, text, -1, nullptr, 0);
    ASSERT_EQ(units, 3);
    std::u16string wide(3, u'\xEEEE');
    EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, text, -1, wide.data(), units), 3);
    EXPECT_TRUE(wide == std::u16string(u"\u4E2Da\0", 3));

    const int bytes = WideCharToMultiByte(CP_GBK, WC_COMPOSITECHECK, wide.data(), -1, nullptr, 0,
                                          nullptr, nullptr);
    ASSERT_EQ(bytes, 4);
    std::string narrow(4, '\xEE');
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, WC_COMPOSITECHECK, wide.data(), -1, narrow.data(), bytes,
                                  nullptr, nullptr),
              4);
    EXPECT_EQ(narrow, std::string("\xD6\xD0"
                                  "a\0",
                                  4));
    // A counted text without a terminator gets none.
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, WC_COMPOSITECHECK, wide.data(), 2, nullptr, 0, nullptr,
                                  nullptr),
              3);
}

TEST(Cp936, ShortBufferGivesZeroAndWritesWhatFits) {
    std::u16string wide(4, u'\xEEEE');
    EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "ab", 2, wide.data(), 1), 0);
    EXPECT_EQ(wide[0], u'a');
    EXPECT_EQ(wide[1], u'\xEEEE');

    std::string narrow(4, '\xEE');
    // "a" fits, the two bytes of U+4E2D do not: no half character is written.
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"a\u4E2D", 2, narrow.data(), 2, nullptr, nullptr), 0);
    EXPECT_EQ(narrow, "a\xEE\xEE\xEE");
    narrow.assign(4, '\xEE');
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"\u4E2Da", 2, narrow.data(), 1, nullptr, nullptr), 0);
    EXPECT_EQ(narrow, "\xEE\xEE\xEE\xEE");
}

TEST(Cp936, DefaultCharacterOfTheCaller) {
    std::string narrow(8, '\0');
    BOOL used = 7;
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"\uAC00a", 2, narrow.data(), 8, "*", &used), 2);
    EXPECT_EQ(narrow.substr(0, 2), "*a");
    EXPECT_EQ(used, 1);

    used = 7;
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, WC_COMPOSITECHECK, u"\uAC00a", 2, narrow.data(), 8,
                                  "\xA1\xF6", &used),
              3);
    EXPECT_EQ(narrow.substr(0, 3),
              "\xA1\xF6"
              "a");
    EXPECT_EQ(used, 1);

    used = 7;
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"a\u4E2D", 2, nullptr, 0, "*", &used), 3);
    EXPECT_EQ(used, 0);
}

TEST(Cp936, BadArgumentsGiveZero) {
    std::u16string wide(4, u'\0');
    std::string narrow(4, '\0');
    EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "ab", 0, wide.data(), 4), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, nullptr, 2, wide.data(), 4), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "ab", 2, nullptr, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "ab", 2, wide.data(), -1), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"ab", 0, narrow.data(), 4, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, nullptr, 2, narrow.data(), 4, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"ab", 2, nullptr, 4, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"ab", 2, narrow.data(), -1, nullptr, nullptr), 0);
}

TEST(Cp936, OtherCodePagesAreNotConverted) {
#ifdef _WIN32
    GTEST_SKIP() << "the platform converts every code page it has; only code page 936 is ours";
#else
    std::u16string wide(4, u'\0');
    std::string narrow(4, '\0');
    for (UINT codePage : {0u, 1252u, 65001u}) {
        SCOPED_TRACE(codePage);
        EXPECT_EQ(MultiByteToWideChar(codePage, 0, "ab", 2, wide.data(), 4), 0);
        EXPECT_EQ(WideCharToMultiByte(codePage, 0, u"ab", 2, narrow.data(), 4, nullptr, nullptr),
                  0);
    }
#endif
}

}  // namespace
}  // namespace linkgrab
