#include "tools/linkgrab-cli/fetch_command.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/console_text.h"
#include "text/text.h"
#include "text/text_between.h"
#include "tools/linkgrab-cli/console_output.h"
#include "web/error_texts.h"
#include "web/web_request.h"

namespace linkgrab {

namespace {

// The request failed when its status text is one of the error texts, or when no status was
// stored at all (the response headers could not be read).
bool RequestFailed(const Text& statusText) {
    if (statusText.empty()) return true;
    for (int code = 700; code <= 713; ++code) {
        const Text error = ErrorText(code);
        if (!error.empty() && TextEquals(statusText, error)) return true;
    }
    return false;
}

Text JoinedHeaders(const std::vector<std::string>& headers) {
    Text joined;
    for (std::size_t i = 0; i < headers.size(); ++i) {
        if (i > 0) joined += "\r\n";
        joined += ConsoleToAnsi(headers[i]);
    }
    return joined;
}

bool WriteLine(const Text& text, bool raw) {
    return WriteConsoleText(stdout, text, raw) && WriteConsoleText(stdout, "\n", true);
}

int OutputFailed(const char* what) {
    std::fprintf(stderr, "linkgrab-cli: cannot write %s\n", what);
    return kExitOutputFailed;
}

}  // namespace

int RunFetch(const CliOptions& options) {
    Text cookies = ConsoleToAnsi(options.cookies);
    Text receivedCookies;
    Text responseHeaders;
    Text redirectLocation;
    Text statusText;
    ByteString responseBody;

    WebRequestArguments arguments;
    arguments.url = ConsoleToAnsi(options.url);
    arguments.method = options.method;
    arguments.requestBody = ConsoleToAnsi(options.body);
    if (options.cookiesGiven) arguments.cookies = &cookies;
    arguments.receivedCookies = &receivedCookies;
    arguments.extraHeaders = JoinedHeaders(options.headers);
    arguments.responseHeaders = &responseHeaders;
    arguments.disableRedirects = options.noRedirect;
    arguments.userName = ConsoleToAnsi(options.userName);
    arguments.password = ConsoleToAnsi(options.password);
    arguments.proxy = ConsoleToAnsi(options.proxy);
    arguments.proxyUserName = ConsoleToAnsi(options.proxyUserName);
    arguments.proxyPassword = ConsoleToAnsi(options.proxyPassword);
    arguments.timeoutSeconds = options.timeoutSeconds;
    arguments.redirectLocation = &redirectLocation;
    arguments.statusText = &statusText;
    // The body is asked for only when it is written out.
    if (options.outputGiven) arguments.responseBody = &responseBody;
    arguments.mergeCookies = !options.noMerge;

    const Text pageText = WebRequest(arguments);

    if (RequestFailed(statusText)) {
        if (statusText.empty()) {
            std::fputs("linkgrab-cli: no response headers were received\n", stderr);
        } else {
            WriteConsoleText(stderr, statusText, options.raw);
            std::fputc('\n', stderr);
        }
        return kExitRequestFailed;
    }

    bool written = true;
    if (options.showStatus) written = written && WriteLine(statusText, options.raw);
    if (options.showReceivedCookies) written = written && WriteLine(receivedCookies, options.raw);
    if (options.showCookies) written = written && WriteLine(cookies, options.raw);
    if (options.showLocation) written = written && WriteLine(redirectLocation, options.raw);
    if (options.showHeaders)
        written = written && WriteConsoleText(stdout, responseHeaders, options.raw);
    if (options.betweenGiven) {
        const Text marker = ConsoleToAnsi(options.marker);
        written =
            written && WriteConsoleText(stdout, TextBetween(pageText, marker, marker), options.raw);
    } else if (!options.outputGiven) {
        written = written && WriteConsoleText(stdout, pageText, options.raw);
    }
    if (options.outputGiven && options.outputFile == "-") {
        written = written && WriteBytes(stdout, responseBody);
    }
    if (std::fflush(stdout) != 0 || !written) return OutputFailed("to standard output");

    if (options.outputGiven && options.outputFile != "-" &&
        !WriteBytesToFile(options.outputFile, responseBody)) {
        std::fprintf(stderr, "linkgrab-cli: cannot write the body to '%s'\n",
                     options.outputFile.c_str());
        return kExitOutputFailed;
    }
    return kExitSuccess;
}

}  // namespace linkgrab
