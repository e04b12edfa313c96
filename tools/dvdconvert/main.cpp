// dvdconvert: the engine on the command line.
#include "command.h"

#include "ifo_catalogue.h"   // the engine's own log, used by `info`

#include <cstdio>
#include <cstring>
#include <map>

namespace dvdconvert {

namespace {

struct Command {
    const char *arguments;
    const char *summary;
    CommandFn run;
};

std::map<std::string, Command> &Commands()
{
    static std::map<std::string, Command> commands;
    return commands;
}

bool g_showLog = false;

int Usage()
{
    std::fprintf(stderr, "usage: dvdconvert [--verbose] COMMAND ARGUMENTS\n\ncommands:\n");
    for (const auto &[name, c] : Commands())
        std::fprintf(stderr, "  %s %s\n      %s\n", name.c_str(), c.arguments, c.summary);
    std::fprintf(stderr,
                 "\nSOURCE: a DVD folder (or its VIDEO_TS folder), an ISO image or a DVD drive.\n"
                 "exit codes: 0 done, 1 failed, 2 wrong arguments, 3 no readable DVD,\n"
                 "            4 no such title or stream, 5 output not written,\n"
                 "            130 interrupted (the file holds what was converted)\n");
    return kExitUsage;
}

} // namespace

CommandRegistration::CommandRegistration(const char *name, const char *arguments, const char *summary,
                                         CommandFn run)
{
    Commands()[name] = Command{arguments, summary, run};
}

void PrintError(const std::string &message) { std::fprintf(stderr, "dvdconvert: %s\n", message.c_str()); }

bool EngineLogShown() { return g_showLog; }

void PrintEngineLog(int, const char *message, void *)
{
    std::fprintf(stderr, "dvdconvert: engine: %s\n", message);
}

bool ParseCount(const std::string &text, int &value)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoi(text);
    return true;
}

} // namespace dvdconvert

int main(int argc, char **argv)
{
    using namespace dvdconvert;
    int first = 1;
    bool verbose = false;
    if (argc > first && std::strcmp(argv[first], "--verbose") == 0) {
        verbose = true;
        ++first;
    }
    if (argc <= first)
        return Usage();
    auto it = Commands().find(argv[first]);
    if (it == Commands().end()) {
        PrintError(std::string("unknown command: ") + argv[first]);
        return Usage();
    }
    g_showLog = verbose;
    if (verbose)
        DVDConvert_SetLogHandler(PrintEngineLog, nullptr);
    std::vector<std::string> args(argv + first + 1, argv + argc);
    return it->second.run(args);
}
