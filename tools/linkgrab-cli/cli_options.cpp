#include "tools/linkgrab-cli/cli_options.h"

#include <cstddef>
#include <string>
#include <utility>

namespace linkgrab {

namespace {

enum class OptionId {
    kMethod,
    kData,
    kCookie,
    kHeader,
    kNoRedirect,
    kUser,
    kProxyUser,
    kProxy,
    kMaxTime,
    kNoMerge,
    kBetween,
    kShowStatus,
    kShowReceivedCookies,
    kShowCookies,
    kShowLocation,
    kShowHeaders,
    kOutput,
    kRaw,
    kHelp,
};

struct OptionSpec {
    char shortName;  // '\0': long name only
    const char* longName;
    bool takesValue;
    OptionId id;
};

constexpr OptionSpec kOptions[] = {
    {'X', "request", true, OptionId::kMethod},
    {'d', "data", true, OptionId::kData},
    {'b', "cookie", true, OptionId::kCookie},
    {'H', "header", true, OptionId::kHeader},
    {'\0', "no-redirect", false, OptionId::kNoRedirect},
    {'u', "user", true, OptionId::kUser},
    {'U', "proxy-user", true, OptionId::kProxyUser},
    {'x', "proxy", true, OptionId::kProxy},
    {'m', "max-time", true, OptionId::kMaxTime},
    {'\0', "no-merge", false, OptionId::kNoMerge},
    {'\0', "between", true, OptionId::kBetween},
    {'\0', "show-status", false, OptionId::kShowStatus},
    {'\0', "show-received-cookies", false, OptionId::kShowReceivedCookies},
    {'\0', "show-cookies", false, OptionId::kShowCookies},
    {'\0', "show-location", false, OptionId::kShowLocation},
    {'\0', "show-headers", false, OptionId::kShowHeaders},
    {'o', "output", true, OptionId::kOutput},
    {'\0', "raw", false, OptionId::kRaw},
    {'h', "help", false, OptionId::kHelp},
};

// The longest time-out whose milliseconds still fit a 32-bit signed integer.
constexpr long long kMaxTimeoutSeconds = 2147483;

const OptionSpec* FindShort(char name) {
    for (const OptionSpec& spec : kOptions) {
        if (spec.shortName != '\0' && spec.shortName == name) return &spec;
    }
    return nullptr;
}

const OptionSpec* FindLong(const std::string& name) {
    for (const OptionSpec& spec : kOptions) {
        if (name == spec.longName) return &spec;
    }
    return nullptr;
}

// "-X, --request" or "--between": how the help and the messages name an option.
std::string OptionName(const OptionSpec& spec) {
    std::string name = spec.shortName != '\0' ? std::string("-") + spec.shortName + "/" : "";
    return name + "--" + spec.longName;
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool MethodNumber(const std::string& name, int& method) {
    std::string upper;
    for (char c : name) upper += AsciiUpper(c);
    static constexpr const char* kMethods[] = {"GET", "POST", "HEAD", "PUT"};
    for (int i = 0; i < 4; ++i) {
        if (upper == kMethods[i]) {
            method = i;
            return true;
        }
    }
    return false;
}

// A whole number of seconds, digits only.
bool SecondsValue(const std::string& text, int& seconds) {
    if (text.empty()) return false;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
        if (value > kMaxTimeoutSeconds) return false;
    }
    seconds = static_cast<int>(value);
    return true;
}

// "USER:PASS", split at the first colon.
bool CredentialPair(const std::string& text, std::string& user, std::string& password) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    user = text.substr(0, colon);
    password = text.substr(colon + 1);
    return true;
}

// Applies one option; false with error set when its value is not acceptable.
bool Apply(const OptionSpec& spec, const std::string& value, CliOptions& options, bool& help,
           std::string& error) {
    switch (spec.id) {
        case OptionId::kMethod:
            if (!MethodNumber(value, options.method)) {
                error = "unsupported method '" + value + "': use GET, POST, HEAD or PUT";
                return false;
            }
            options.methodGiven = true;
            return true;
        case OptionId::kData:
            options.body = value;
            options.bodyGiven = true;
            return true;
        case OptionId::kCookie:
            options.cookies = value;
            options.cookiesGiven = true;
            return true;
        case OptionId::kHeader:
            options.headers.push_back(value);
            return true;
        case OptionId::kNoRedirect:
            options.noRedirect = true;
            return true;
        case OptionId::kUser:
        case OptionId::kProxyUser: {
            const bool server = spec.id == OptionId::kUser;
            if (!CredentialPair(value, server ? options.userName : options.proxyUserName,
                                server ? options.password : options.proxyPassword)) {
                error = OptionName(spec) + " needs USER:PASS";
                return false;
            }
            return true;
        }
        case OptionId::kProxy:
            options.proxy = value;
            return true;
        case OptionId::kMaxTime:
            if (!SecondsValue(value, options.timeoutSeconds)) {
                error = OptionName(spec) + " needs a whole number of seconds from 0 to " +
                        std::to_string(kMaxTimeoutSeconds) + ", not '" + value + "'";
                return false;
            }
            return true;
        case OptionId::kNoMerge:
            options.noMerge = true;
            return true;
        case OptionId::kBetween:
            options.marker = value;
            options.betweenGiven = true;
            return true;
        case OptionId::kShowStatus:
            options.showStatus = true;
            return true;
        case OptionId::kShowReceivedCookies:
            options.showReceivedCookies = true;
            return true;
        case OptionId::kShowCookies:
            options.showCookies = true;
            return true;
        case OptionId::kShowLocation:
            options.showLocation = true;
            return true;
        case OptionId::kShowHeaders:
            options.showHeaders = true;
            return true;
        case OptionId::kOutput:
            if (value.empty()) {
                error = OptionName(spec) + " needs a file name";
                return false;
            }
            options.outputFile = value;
            options.outputGiven = true;
            return true;
        case OptionId::kRaw:
            options.raw = true;
            return true;
        case OptionId::kHelp:
            help = true;
            return true;
    }
    return true;
}

ParsedCommandLine UsageError(std::string error) {
    ParsedCommandLine parsed;
    parsed.outcome = ParseOutcome::kUsageError;
    parsed.error = std::move(error);
    return parsed;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    ParsedCommandLine parsed;
    CliOptions& options = parsed.options;
    bool help = false;
    bool urlGiven = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            if (urlGiven) return UsageError("more than one address: '" + argument + "'");
            options.url = argument;
            urlGiven = true;
            continue;
        }
        const OptionSpec* spec = nullptr;
        std::string value;
        bool inlineValue = false;
        if (argument[1] == '-') {
            std::string name = argument.substr(2);
            const std::size_t equals = name.find('=');
            if (equals != std::string::npos) {
                value = name.substr(equals + 1);
                name.resize(equals);
                inlineValue = true;
            }
            spec = FindLong(name);
        } else {
            spec = FindShort(argument[1]);
            if (argument.size() > 2) {
                value = argument.substr(2);
                inlineValue = true;
            }
        }
        if (spec == nullptr) return UsageError("unknown option '" + argument + "'");
        if (spec->takesValue && !inlineValue) {
            if (i + 1 >= arguments.size()) {
                return UsageError(OptionName(*spec) + " needs a value");
            }
            value = arguments[++i];
        } else if (!spec->takesValue && inlineValue) {
            return UsageError(OptionName(*spec) + " takes no value");
        }
        std::string error;
        if (!Apply(*spec, value, options, help, error)) return UsageError(error);
    }
    if (help) {
        parsed.outcome = ParseOutcome::kHelp;
        return parsed;
    }
    if (!urlGiven) return UsageError("no address given");
    // As with curl, a body alone makes the request a POST.
    if (options.bodyGiven && !options.methodGiven) options.method = 1;
    parsed.outcome = ParseOutcome::kRun;
    return parsed;
}

const char* HelpText() {
    return R"(Usage: linkgrab-cli [OPTION]... URL
Fetches URL (http:// or https://) and writes the page text to standard output.

Request:
  -X, --request METHOD     GET (the default), POST, HEAD or PUT
  -d, --data TEXT          send TEXT as the request body; without -X the method is POST
  -H, --header LINE        add a request header line ("Name: value"); repeatable. The
                           default lines (User-Agent, Accept, Accept-Encoding,
                           Accept-Language, Content-Type, Cache-Control) fill in the rest
  -b, --cookie COOKIES     send these cookies ("a=1; b=2"). With -b, even an empty one, the
                           cookies set by the response are merged with the sent ones
      --no-merge           with -b: do not merge, keep the received cookies apart
      --no-redirect        do not follow redirects
  -u, --user USER:PASS     server user name and password (basic authentication)
  -x, --proxy HOST[:PORT]  send the request through this proxy
  -U, --proxy-user USER:PASS
                           proxy user name and password
  -m, --max-time SECONDS   time-out of each step (resolve, connect, send, every wait for
                           data); 0 or none: 30 seconds

Output, on standard output in this order:
      --show-status            the status text, as "200 OK", on one line
      --show-received-cookies  the cookies the response set (merged with -b), on one line
      --show-cookies           the cookies after the merge (with -b), on one line
      --show-location          the redirect target (the Location header), on one line
      --show-headers           the raw response headers, ending with an empty line
  then the page text, up to its first zero byte, or with
      --between MARKER     only the text between the first MARKER and the next one
  -o, --output FILE        write the raw response body to FILE ("-": standard output);
                           the page text is then not written (--between still is)
      --raw                write texts as the code page 936 bytes they are, unconverted

Texts in arguments are read in the terminal's character set, and texts are written in it
(UTF-8 under a UTF-8 locale); inside, every text is code page 936.

Exit status: 0 when a response arrived, whatever its status code; 1 when the request
failed, with the error text (a code from 700 to 713 and its message) on standard error;
2 for a mistake on the command line; 3 when the output could not be written.
)";
}

}  // namespace linkgrab
