// The command line of linkgrab-cli: its options, read by hand, and its help text.
#pragma once

#include <string>
#include <vector>

namespace linkgrab {

// Every text here is as the command line gave it, in the terminal's character set.
struct CliOptions {
    std::string url;
    int method = 0;  // as WebRequest numbers them: 0 GET, 1 POST, 2 HEAD, 3 PUT
    bool methodGiven = false;
    std::string body;
    bool bodyGiven = false;
    std::string cookies;
    bool cookiesGiven = false;  // -b "" passes an empty text, which differs from no -b
    std::vector<std::string> headers;
    bool noRedirect = false;
    std::string userName;
    std::string password;
    std::string proxy;
    std::string proxyUserName;
    std::string proxyPassword;
    int timeoutSeconds = 0;
    bool noMerge = false;
    std::string marker;
    bool betweenGiven = false;
    bool showStatus = false;
    bool showReceivedCookies = false;
    bool showCookies = false;
    bool showLocation = false;
    bool showHeaders = false;
    std::string outputFile;  // "-": standard output
    bool outputGiven = false;
    bool raw = false;
};

enum class ParseOutcome { kRun, kHelp, kUsageError };

struct ParsedCommandLine {
    ParseOutcome outcome = ParseOutcome::kUsageError;
    CliOptions options;
    std::string error;  // for kUsageError: what is wrong, one line
};

// Reads the arguments after the program name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The text of --help.
const char* HelpText();

}  // namespace linkgrab
