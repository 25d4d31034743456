// The posix layer's UTF-16 to UTF-8 encoder (the Windows build has no such piece).
#ifndef _WIN32
#include "platform/posix/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace linkgrab {
namespace {

TEST(Utf16AsUtf8, EveryLengthOfCharacterAndBrokenSurrogates) {
    struct Case {
        std::u16string units;
        std::string utf8;
    };
    const Case cases[] = {
        {u"", ""},
        {std::u16string(u"a\0b", 3), std::string("a\0b", 3)},  // a zero unit is a character too
        {u"\u00e9\u07ff", "\xc3\xa9\xdf\xbf"},                 // two bytes, up to U+07FF
        {u"\u4e2d\uffff", "\xe4\xb8\xad\xef\xbf\xbf"},         // three bytes, up to U+FFFF
        {u"\U0001F600", "\xf0\x9f\x98\x80"},                   // a pair: four bytes
        {u"\U0010FFFF", "\xf4\x8f\xbf\xbf"},
        {std::u16string{0xD83D}, "\xef\xbf\xbd"},         // a high surrogate at the end
        {std::u16string{0xDE00, u'x'}, "\xef\xbf\xbdx"},  // a low one on its own
        {std::u16string{0xD83D, 0xD83D, 0xDE00}, "\xef\xbf\xbd\xf0\x9f\x98\x80"},
    };
    for (const Case& c : cases) {
        std::string out = "kept:";
        AppendUtf16AsUtf8(out, c.units.data(), c.units.size());
        EXPECT_EQ(out, "kept:" + c.utf8);
    }
}

}  // namespace
}  // namespace linkgrab
#endif
