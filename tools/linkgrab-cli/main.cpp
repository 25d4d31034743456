// linkgrab-cli: the command-line front end of WebRequest.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/console_text.h"
#include "tools/linkgrab-cli/cli_options.h"
#include "tools/linkgrab-cli/fetch_command.h"

int main(int argc, char** argv) {
    linkgrab::SetConsoleStreamsBinary();
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);

    const linkgrab::ParsedCommandLine parsed = linkgrab::ParseCommandLine(arguments);
    switch (parsed.outcome) {
        case linkgrab::ParseOutcome::kHelp:
            std::fputs(linkgrab::HelpText(), stdout);
            return std::fflush(stdout) == 0 ? linkgrab::kExitSuccess : linkgrab::kExitOutputFailed;
        case linkgrab::ParseOutcome::kUsageError:
            std::fprintf(stderr, "linkgrab-cli: %s\nTry 'linkgrab-cli --help'.\n",
                         parsed.error.c_str());
            return linkgrab::kExitUsage;
        case linkgrab::ParseOutcome::kRun:
            break;
    }
    return linkgrab::RunFetch(parsed.options);
}
