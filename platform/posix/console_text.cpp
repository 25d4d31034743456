// The terminal's character set on posix, taken from the user's locale (LC_ALL, LC_CTYPE, LANG)
// without changing the process's own locale.
#include "platform/console_text.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/posix/utf8.h"

namespace linkgrab {

namespace {

enum class ConsoleKind { kUtf8, kPassThrough, kIconv };

struct ConsoleCharset {
    ConsoleKind kind = ConsoleKind::kPassThrough;
    std::string name;  // the codeset as the locale names it, for iconv
};

// "UTF-8", "utf8" and "Utf_8" alike: letters and digits only, in capitals.
std::string Normalised(const std::string& name) {
    std::string out;
    for (char c : name) {
        if (c >= 'a' && c <= 'z') {
            out += static_cast<char>(c - 'a' + 'A');
        } else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            out += c;
        }
    }
    return out;
}

ConsoleCharset DetectCharset() {
    ConsoleCharset charset;
    locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (user == static_cast<locale_t>(0)) return charset;  // unusable locale: as "C"
    const char* codeset = nl_langinfo_l(CODESET, user);
    charset.name = codeset != nullptr ? codeset : "";
    freelocale(user);

    const std::string key = Normalised(charset.name);
    if (key == "UTF8") {
        charset.kind = ConsoleKind::kUtf8;
    } else if (key.empty() || key == "ANSIX341968" || key == "ASCII" || key == "USASCII" ||
               key == "GBK" || key == "GB2312" || key == "GB18030" || key == "CP936" ||
               key == "EUCCN") {
        charset.kind = ConsoleKind::kPassThrough;
    } else {
        charset.kind = ConsoleKind::kIconv;
    }
    return charset;
}

const ConsoleCharset& Charset() {
    static const ConsoleCharset charset = DetectCharset();
    return charset;
}

// Pieces handed to the code page functions stay well inside their int lengths.
constexpr std::size_t kPieceBytes = 1 << 20;

// The end of the piece that starts at begin: at most about kPieceBytes long, never cutting a
// double-byte character (a byte of 0x80 or above and the byte after it).
std::size_t PieceEnd(const std::string& ansi, std::size_t begin) {
    std::size_t at = begin;
    while (at < ansi.size() && at - begin < kPieceBytes) {
        at += static_cast<unsigned char>(ansi[at]) >= 0x80 ? 2 : 1;
    }
    return at < ansi.size() ? at : ansi.size();
}

std::string AnsiToUtf8(const std::string& ansi) {
    std::string out;
    out.reserve(ansi.size());
    std::vector<WCHAR> units;
    for (std::size_t begin = 0; begin < ansi.size();) {
        const std::size_t end = PieceEnd(ansi, begin);
        const char* piece = ansi.data() + begin;
        const int length = static_cast<int>(end - begin);
        bool ascii = true;
        for (int i = 0; i < length && ascii; ++i)
            ascii = static_cast<unsigned char>(piece[i]) < 0x80;
        if (ascii) {
            out.append(piece, static_cast<std::size_t>(length));
        } else {
            const int needed = MultiByteToWideChar(CP_GBK, 0, piece, length, nullptr, 0);
            if (needed > 0) {
                units.assign(static_cast<std::size_t>(needed), 0);
                const int written =
                    MultiByteToWideChar(CP_GBK, 0, piece, length, units.data(), needed);
                if (written > 0)
                    AppendUtf16AsUtf8(out, units.data(), static_cast<std::size_t>(written));
            }
        }
        begin = end;
    }
    return out;
}

// UTF-8 to UTF-16; each byte that does not start a well-formed sequence becomes U+FFFD.
std::vector<WCHAR> Utf8ToUtf16(const std::string& utf8) {
    std::vector<WCHAR> units;
    units.reserve(utf8.size());
    const std::size_t size = utf8.size();
    for (std::size_t i = 0; i < size;) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        std::size_t extra = 0;
        char32_t c = 0;
        char32_t least = 0;
        if (lead < 0x80) {
            c = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1, c = lead & 0x1F, least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2, c = lead & 0x0F, least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3, c = lead & 0x07, least = 0x10000;
        } else {
            units.push_back(0xFFFD);
            ++i;
            continue;
        }
        bool valid = i + extra < size;
        for (std::size_t k = 1; valid && k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        valid = valid && c >= least && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
        if (!valid) {
            units.push_back(0xFFFD);
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            units.push_back(static_cast<WCHAR>(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(static_cast<WCHAR>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<WCHAR>(c));
        }
        i += extra + 1;
    }
    return units;
}

std::string Utf8ToAnsi(const std::string& utf8) {
    const std::vector<WCHAR> units = Utf8ToUtf16(utf8);
    std::string out;
    std::string buffer;
    for (std::size_t begin = 0; begin < units.size();) {
        std::size_t end = begin + kPieceBytes < units.size() ? begin + kPieceBytes : units.size();
        // Keep a surrogate pair together.
        if (end < units.size() && units[end - 1] >= 0xD800 && units[end - 1] <= 0xDBFF) ++end;
        const int count = static_cast<int>(end - begin);
        const int needed = WideCharToMultiByte(CP_GBK, 0, units.data() + begin, count, nullptr, 0,
                                               nullptr, nullptr);
        if (needed > 0) {
            buffer.assign(static_cast<std::size_t>(needed), '\0');
            const int written = WideCharToMultiByte(CP_GBK, 0, units.data() + begin, count,
                                                    buffer.data(), needed, nullptr, nullptr);
            if (written > 0) out.append(buffer.data(), static_cast<std::size_t>(written));
        }
        begin = end;
    }
    return out;
}

class IconvHandle {
  public:
    IconvHandle(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid()) iconv_close(handle_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

  private:
    iconv_t handle_;
};

// Converts through iconv; an input character that the target lacks, or that is malformed,
// becomes "?" and the conversion goes on behind it. Without a converter the bytes pass.
std::string ConvertWithIconv(const std::string& input, const char* to, const char* from,
                             bool inputIsAnsi) {
    IconvHandle converter(to, from);
    if (!converter.valid()) return input;
    std::string out;
    std::string buffer(input.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
        char* outAt = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t result = iconv(converter.get(), &in, &inLeft, &outAt, &outLeft);
        const int error = result == static_cast<std::size_t>(-1) ? errno : 0;
        out.append(buffer.data(), buffer.size() - outLeft);
        if (error == EILSEQ || error == EINVAL) {
            out += '?';
            std::size_t skip = inputIsAnsi && static_cast<unsigned char>(*in) >= 0x80 ? 2 : 1;
            if (skip > inLeft) skip = inLeft;
            in += skip;
            inLeft -= skip;
        } else if (error != 0 && error != E2BIG) {
            break;
        }
    }
    // Any shift state the target needs to end in.
    char* outAt = buffer.data();
    std::size_t outLeft = buffer.size();
    iconv(converter.get(), nullptr, nullptr, &outAt, &outLeft);
    out.append(buffer.data(), buffer.size() - outLeft);
    return out;
}

}  // namespace

std::string AnsiToConsole(const std::string& ansi) {
    const ConsoleCharset& charset = Charset();
    switch (charset.kind) {
        case ConsoleKind::kUtf8:
            return AnsiToUtf8(ansi);
        case ConsoleKind::kIconv:
            return ConvertWithIconv(ansi, charset.name.c_str(), "CP936", true);
        case ConsoleKind::kPassThrough:
            break;
    }
    return ansi;
}

std::string ConsoleToAnsi(const std::string& console) {
    const ConsoleCharset& charset = Charset();
    switch (charset.kind) {
        case ConsoleKind::kUtf8:
            return Utf8ToAnsi(console);
        case ConsoleKind::kIconv:
            return ConvertWithIconv(console, "CP936", charset.name.c_str(), false);
        case ConsoleKind::kPassThrough:
            break;
    }
    return console;
}

void SetConsoleStreamsBinary() {}

}  // namespace linkgrab
