// SPDX-License-Identifier: GPL-3.0-or-later
// dvdconvert: the engine on the command line.
#include "command.h"

#include "ifo_catalogue.h"   // the engine's own log, used by `info`

#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

#ifndef DVDCONVERT_VERSION
#define DVDCONVERT_VERSION ""
#endif

namespace dvdconvert {

namespace {

struct Command {
    const char *arguments;
    const char *summary;
    CommandFn run;
    std::vector<OptionHelp> options;
};

std::map<std::string, Command> &Commands()
{
    static std::map<std::string, Command> commands;
    return commands;
}

bool g_showLog = false;

// Text broken over lines for the usage text, each following line indented.
void PrintWrapped(const char *text, const char *indent)
{
    std::fprintf(stderr, "%s", indent);
    for (const char *c = text; *c; ++c) {
        std::fputc(*c, stderr);
        if (*c == '\n')
            std::fprintf(stderr, "%s", indent);
    }
    std::fputc('\n', stderr);
}

int Usage()
{
    std::fprintf(stderr, "usage: dvdconvert [--verbose] COMMAND ARGUMENTS\n\ncommands:\n");
    for (const auto &[name, c] : Commands()) {
        std::fprintf(stderr, "  %s %s\n", name.c_str(), c.arguments);
        PrintWrapped(c.summary, "      ");
        for (const OptionHelp &o : c.options) {
            std::fprintf(stderr, "      %s%s%s\n", o.name, *o.value ? " " : "", o.value);
            PrintWrapped(o.text, "          ");
        }
    }
    std::fprintf(stderr, "\nSOURCE: a DVD folder (or its VIDEO_TS folder), an ISO image or a DVD drive.\nexit codes:\n");
    for (const ExitCodeHelp &e : kExitCodeHelp)
        std::fprintf(stderr, "  %3d %s\n", e.code, e.meaning);
    return kExitUsage;
}

} // namespace

const std::vector<ExitCodeHelp> kExitCodeHelp = {
    {kExitOk, "done"},
    {kExitFailed, "failed (no picture, a job failed, the engine library cannot be loaded)"},
    {kExitUsage, "wrong arguments"},
    {kExitNoDisc, "no readable DVD at SOURCE"},
    {kExitNoSuchItem, "no such title, chapter or stream"},
    {kExitOutput, "the output file cannot be written"},
    {kExitInterrupted, "interrupted (the file holds what was converted)"},
};

CommandRegistration::CommandRegistration(const char *name, const char *arguments, const char *summary,
                                         CommandFn run, std::vector<OptionHelp> options)
{
    Commands()[name] = Command{arguments, summary, run, std::move(options)};
}

std::vector<CommandHelp> RegisteredCommands()
{
    std::vector<CommandHelp> all;
    for (const auto &[name, c] : Commands())
        all.push_back({name, c.arguments, c.summary, &c.options});
    return all;
}

const OptionHelp *FindOption(const std::vector<OptionHelp> &options, const std::string &name)
{
    for (const OptionHelp &o : options)
        if (name == o.name)
            return &o;
    return nullptr;
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
    if (std::strcmp(argv[first], "--manual-page") == 0 && argc == first + 1) {
        PrintManualPage(DVDCONVERT_VERSION);
        return kExitOk;
    }
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
