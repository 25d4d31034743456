#include "tools/linkgrab-cli/console_output.h"

#include <cstddef>
#include <memory>
#include <string>

#include "platform/console_text.h"

namespace linkgrab {

namespace {

// The converted text is held one piece at a time.
constexpr std::size_t kPieceBytes = 64 * 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool WriteAll(std::FILE* stream, const void* data, std::size_t size) {
    return size == 0 || std::fwrite(data, 1, size, stream) == size;
}

}  // namespace

bool WriteConsoleText(std::FILE* stream, const Text& text, bool raw) {
    if (raw) return WriteAll(stream, text.data(), text.size());
    std::size_t begin = 0;
    while (begin < text.size()) {
        // Cut behind a whole character: a byte of 0x80 or above takes the next one with it.
        std::size_t end = begin;
        while (end < text.size() && end - begin < kPieceBytes) {
            end += static_cast<unsigned char>(text[end]) >= 0x80 ? 2 : 1;
        }
        if (end > text.size()) end = text.size();
        const std::string piece = AnsiToConsole(text.substr(begin, end - begin));
        if (!WriteAll(stream, piece.data(), piece.size())) return false;
        begin = end;
    }
    return true;
}

bool WriteBytes(std::FILE* stream, const ByteString& bytes) {
    return WriteAll(stream, bytes.data(), bytes.size());
}

bool WriteBytesToFile(const std::string& path, const ByteString& bytes) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (file == nullptr) return false;
    const bool written = WriteBytes(file.get(), bytes);
    // Closing flushes: its result counts as part of the writing.
    const bool closed = std::fclose(file.release()) == 0;
    return written && closed;
}

}  // namespace linkgrab
