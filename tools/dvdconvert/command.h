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

// args: what follows the subcommand name.  Returns an ExitCode.
using CommandFn = int (*)(const std::vector<std::string> &args);

struct CommandRegistration {
    CommandRegistration(const char *name, const char *arguments, const char *summary, CommandFn run);
};

// "dvdconvert: <message>" on stderr.
void PrintError(const std::string &message);

// --verbose: engine messages go to stderr.
bool EngineLogShown();
void PrintEngineLog(int level, const char *message, void *context);

// Parses a whole non-negative number; false when `text` is not one.
bool ParseCount(const std::string &text, int &value);

} // namespace dvdconvert
