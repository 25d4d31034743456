// The terminal's character set at the edges of a command-line program: code page 936 text out
// to the terminal, the terminal's text (command-line arguments) in as code page 936. Texts are
// byte strings (the same std::string that Text is).
//
// posix: under a UTF-8 locale the two convert through code page 936 as Windows maps it; under
// a locale of the GBK family or plain ASCII the bytes pass unchanged; under any other locale
// they convert through iconv. Windows: the console speaks the system code page, 936, and the
// bytes pass unchanged. A character that the other side lacks becomes "?"; nothing fails.
#pragma once

#include <string>

namespace linkgrab {

// Code page 936 bytes as the terminal's character set.
std::string AnsiToConsole(const std::string& ansi);

// Text in the terminal's character set as code page 936 bytes.
std::string ConsoleToAnsi(const std::string& console);

// Standard output and standard error take bytes as they are: no line-end translation.
void SetConsoleStreamsBinary();

}  // namespace linkgrab
