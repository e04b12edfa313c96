// SPDX-License-Identifier: GPL-3.0-or-later
// dvdconvert subcommands.  Each command file registers itself with a
// CommandRegistration at namespace scope; CMake picks up every .cpp file of
// this folder, so a new subcommand (for example convert_command.cpp) needs
// nothing else:
//
//     static const dvdconvert::CommandRegistration convertCommand{
//         "convert", "SOURCE TITLE ... OUT", "converts a chapter range", RunConvert};
//
// Commands reach the engine through LoadEngine() (engine_library.h): the
// program does not link the engine, so that `info` starts fast.
#pragma once

#include <string>
#include <vector>

namespace dvdconvert {

// Exit codes a script can rely on.
enum ExitCode {
    kExitOk = 0,
    kExitFailed = 1,       // the operation itself failed (no picture, a job failed)
    kExitUsage = 2,        // wrong arguments
    kExitNoDisc = 3,       // the source cannot be opened as a DVD
    kExitNoSuchItem = 4,   // title, chapter or stream out of range
    kExitOutput = 5,       // the output file cannot be written
    kExitInterrupted = 130, // stopped by SIGINT or SIGTERM (the file holds what was done)
};

// What each exit code means, in the usage text and the manual page.
struct ExitCodeHelp {
    int code;
    const char *meaning;
};
extern const std::vector<ExitCodeHelp> kExitCodeHelp;

// args: what follows the subcommand name.  Returns an ExitCode.
using CommandFn = int (*)(const std::vector<std::string> &args);

// One option of a command.  The usage text, the manual page and the
// command's parser all read the command's table, so they cannot disagree.
struct OptionHelp {
    const char *name;    // "--size"
    const char *value;   // "WxH"; "" for a switch
    const char *text;    // what it does
};

struct CommandRegistration {
    CommandRegistration(const char *name, const char *arguments, const char *summary, CommandFn run,
                        std::vector<OptionHelp> options = {});
};

struct CommandHelp {
    std::string name;
    const char *arguments;
    const char *summary;
    const std::vector<OptionHelp> *options;
};
// Every registered command, by name.
std::vector<CommandHelp> RegisteredCommands();

// The option of `options` called `name`, or nullptr.
const OptionHelp *FindOption(const std::vector<OptionHelp> &options, const std::string &name);

// The manual page in troff, from the tables above.
void PrintManualPage(const char *version);

// "dvdconvert: <message>" on stderr.
void PrintError(const std::string &message);

// --verbose: engine messages go to stderr.
bool EngineLogShown();
void PrintEngineLog(int level, const char *message, void *context);

// Parses a whole non-negative number; false when `text` is not one.
bool ParseCount(const std::string &text, int &value);

} // namespace dvdconvert
