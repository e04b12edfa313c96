// SPDX-License-Identifier: GPL-3.0-or-later
// `dvdconvert --manual-page`: the manual page, written from the same tables
// as the usage text.  The build installs its output as dvdconvert(1).
#include "command.h"

#include <cstdio>
#include <string>

namespace dvdconvert {

namespace {

// One line of running text: the usage text's line breaks and indents become
// blanks; troff's escape character is doubled, a dash that starts a word
// (an option) is a real minus, and no line can start with a request.
std::string Roff(const char *text)
{
    std::string out;
    bool blank = false;
    for (const char *c = text; *c; ++c) {
        if (*c == '\n' || *c == ' ') {
            blank = !out.empty();
            continue;
        }
        if (blank)
            out += ' ';
        blank = false;
        const char prev = out.empty() ? ' ' : out.back();
        if (*c == '\\')
            out += "\\e";
        else if (*c == '-' && (prev == ' ' || prev == '[' || prev == '(' || prev == '-' || prev == '|'))
            out += "\\-";
        else
            out += *c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

void Paragraph(const char *tag, const std::string &text)
{
    std::printf(".TP\n%s\n%s\n", tag, text.c_str());
}

} // namespace

void PrintManualPage(const char *version)
{
    const std::vector<CommandHelp> commands = RegisteredCommands();
    std::printf(".TH DVDCONVERT 1 \"\" \"Pellavan %s\" \"User Commands\"\n", version);
    std::printf(".SH NAME\ndvdconvert \\- the Pellavan engine on the command line: read and convert video DVDs\n");
    std::printf(".SH SYNOPSIS\n");
    for (const CommandHelp &c : commands)
        std::printf(".B dvdconvert\n.RB [ \\-\\-verbose ]\n.B %s\n%s\n.br\n", c.name.c_str(),
                    Roff(c.arguments).c_str());
    std::printf(".B dvdconvert \\-\\-manual\\-page\n");
    std::printf(".SH DESCRIPTION\n"
                "\\fBdvdconvert\\fR runs the conversion engine of \\fBpellavan\\fR(1) without its window:\n"
                "it lists what a video DVD holds, writes preview stills and converts titles and chapters\n"
                "into video files.\n"
                "Without a command it prints its usage, with every option, and exits with status 2.\n"
                ".PP\n"
                "\\fISOURCE\\fR is a DVD folder (or its VIDEO_TS folder), an ISO image or a DVD drive\n"
                "such as \\fI/dev/sr0\\fR.\n"
                "Titles and chapters count from 1.\n");
    std::printf(".SH COMMANDS\n");
    for (const CommandHelp &c : commands)
        Paragraph(("\\fB" + c.name + "\\fR " + Roff(c.arguments)).c_str(), Roff(c.summary));
    std::printf(".SH OPTIONS\n");
    Paragraph("\\fB\\-\\-verbose\\fR", "Before the command: the engine's messages go to standard error.");
    Paragraph("\\fB\\-\\-manual\\-page\\fR", "Prints this manual page.");
    for (const CommandHelp &c : commands) {
        if (c.options->empty())
            continue;
        std::printf(".SS Options of %s\n", c.name.c_str());
        for (const OptionHelp &o : *c.options) {
            std::string tag = "\\fB" + Roff(o.name) + "\\fR";
            if (*o.value)
                tag += " \\fI" + Roff(o.value) + "\\fR";
            Paragraph(tag.c_str(), Roff(o.text));
        }
    }
    std::printf(".SH EXIT STATUS\n");
    for (const ExitCodeHelp &e : kExitCodeHelp)
        Paragraph(std::to_string(e.code).c_str(), Roff(e.meaning));
    std::printf(".SH SEE ALSO\n\\fBpellavan\\fR(1)\n");
}

} // namespace dvdconvert
