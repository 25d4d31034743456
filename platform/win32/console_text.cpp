// The terminal's character set on Windows: the console and the command line already speak the
// system code page, 936, so texts pass unchanged.
#include "platform/console_text.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace linkgrab {

std::string AnsiToConsole(const std::string& ansi) {
    return ansi;
}

std::string ConsoleToAnsi(const std::string& console) {
    return console;
}

void SetConsoleStreamsBinary() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace linkgrab
