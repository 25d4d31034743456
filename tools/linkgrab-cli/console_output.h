// Writing linkgrab-cli's results: texts to the terminal in its character set, bytes as they are.
#pragma once

#include <cstdio>

#include "text/text.h"

namespace linkgrab {

// Writes a code page 936 text to the stream, converted to the terminal's character set piece
// by piece (never the whole text at once), or as it is when raw. False when writing failed.
bool WriteConsoleText(std::FILE* stream, const Text& text, bool raw);

// Writes the bytes unchanged. False when writing failed.
bool WriteBytes(std::FILE* stream, const ByteString& bytes);

// Writes the bytes to a new file of that name, replacing one that exists. False when the file
// could not be made or written.
bool WriteBytesToFile(const std::string& path, const ByteString& bytes);

}  // namespace linkgrab
