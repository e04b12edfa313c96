// dvdconvert subcommands.  Each command file registers itself with a
// CommandRegistration at namespace scope; CMake picks up every .cpp file of
// this folder, so a new subcommand (for example convert_command.cpp) needs
// nothing else:
//
//     static const dvdconvert::CommandRegistration convertCommand{
//         "convert", "SOURCE TITLE ... OUT", "converts a chapter range", RunConvert};
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
};

// args: what follows the subcommand name.  Returns an ExitCode.
using CommandFn = int (*)(const std::vector<std::string> &args);

struct CommandRegistration {
    CommandRegistration(const char *name, const char *arguments, const char *summary, CommandFn run);
};

// "dvdconvert: <message>" on stderr.
void PrintError(const std::string &message);

// Engine messages of level 0 and 1 go to stderr when this is set (--verbose
// shows all of them).
void ShowEngineLog(bool all);

// Parses a whole non-negative number; false when `text` is not one.
bool ParseCount(const std::string &text, int &value);

} // namespace dvdconvert
