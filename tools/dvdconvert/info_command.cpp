// SPDX-License-Identifier: GPL-3.0-or-later
// dvdconvert info SOURCE [--scan]: the catalogue as JSON, in the names of
// the engine's records.  It runs the engine's own catalogue code (linked
// in, without FFmpeg), so its values are those the engine's queries return.
// --scan loads the engine to decode a little of every title and adds what
// its pictures hold.
#include "command.h"

#include "disc.h"
#include "engine_library.h"
#include "ifo_catalogue.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

namespace dvdconvert {

namespace {

// Just enough JSON for numbers, texts, objects and arrays, indented.
class Json {
public:
    void Open(char bracket) { Item(); m_out += bracket; m_first = true; ++m_depth; }
    void Close(char bracket)
    {
        --m_depth;
        if (!m_first)
            NewLine();
        m_out += bracket;
        m_first = false;
    }
    void Key(const char *name)
    {
        Item();
        Text(name);
        m_out += ": ";
        m_keyed = true;
    }
    void Number(long long v) { Item(); m_out += std::to_string(v); }
    void String(const std::string &v) { Item(); Text(v); }
    std::string &Out() { return m_out; }

private:
    void NewLine() { m_out += '\n'; m_out.append(size_t(m_depth) * 2, ' '); }
    void Item()
    {
        if (m_keyed) {
            m_keyed = false;
            return;
        }
        if (m_depth > 0) {
            if (!m_first)
                m_out += ',';
            NewLine();
        }
        m_first = false;
    }
    void Text(const std::string &v)
    {
        m_out += '"';
        for (unsigned char c : v) {
            if (c == '"' || c == '\\') {
                m_out += '\\';
                m_out += char(c);
            } else if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                m_out += escaped;
            } else {
                m_out += char(c);
            }
        }
        m_out += '"';
    }
    std::string m_out;
    int m_depth = 0;
    bool m_first = true;
    bool m_keyed = false;
};

std::string Text(const char (&field)[32]) { return std::string(field, strnlen(field, sizeof field)); }

void Field(Json &j, const char *name, long long value)
{
    j.Key(name);
    j.Number(value);
}

// The names --scan prints, by DC_CONTENT_ value.
const char *const kContentNames[] = {"unknown",     "progressive", "film (soft telecine)",
                                     "film (hard telecine)", "interlaced", "mixed"};

void TitleJson(Json &j, const dvdc::TitleCatalogue &t, int content)
{
    j.Open('{');
    if (content >= 0 && size_t(content) < std::size(kContentNames)) {
        j.Key("content");
        j.String(kContentNames[content]);
    }
    Field(j, "chapterCount", long(t.chapterTimes.size()));
    Field(j, "angleCount", t.angleCount);
    Field(j, "audioCount", long(t.audios.size()));
    Field(j, "subtitleCount", long(t.subs.size()));
    Field(j, "playTime", t.playTime);
    j.Key("chapterTimes");
    j.Open('[');
    for (int32_t ms : t.chapterTimes)
        j.Number(ms);
    j.Close(']');
    j.Key("video");
    j.Open('{');
    Field(j, "width", t.video.width);
    Field(j, "height", t.video.height);
    Field(j, "videoStandard", t.video.videoStandard);
    Field(j, "frameRateNum", t.video.frameRateNum);
    Field(j, "frameRateDen", t.video.frameRateDen);
    Field(j, "aspectCode", t.video.aspectCode);
    j.Close('}');
    j.Key("audios");
    j.Open('[');
    for (const TAudioInfo &a : t.audios) {
        j.Open('{');
        Field(j, "sampleRate", a.sampleRate);
        Field(j, "channels", a.channels);
        j.Key("language");
        j.String(Text(a.language));
        Field(j, "formatCode", a.formatCode);
        Field(j, "streamId", a.streamId);
        Field(j, "listed", a.listed);
        j.Close('}');
    }
    j.Close(']');
    j.Key("subtitles");
    j.Open('[');
    for (const TSubInfo &s : t.subs) {
        j.Open('{');
        j.Key("language");
        j.String(Text(s.language));
        Field(j, "streamId", s.streamId);
        Field(j, "listed", s.listed);
        j.Close('}');
    }
    j.Close(']');
    j.Close('}');
}

// What each title holds, through the engine; empty when it cannot tell.
std::vector<int> ScanTitles(const std::string &source, size_t count)
{
    std::vector<int> kinds;
    const EngineLibrary *e = LoadEngine();
    if (!e)
        return kinds;
    const DCHandle h = e->CreateConverter();
    if (e->Converter_OpenDVD(h, source.c_str(), 1)) {
        for (size_t t = 0; t < count; ++t) {
            kinds.push_back(e->Converter_ScanTitle(h, int32_t(t)));
            if (kinds.back() < 0)
                PrintError(e->Converter_GetLastError(h));
        }
    } else {
        PrintError("cannot scan " + source + ": " + e->Converter_GetLastError(h));
    }
    e->CloseConverter(h);
    return kinds;
}

int RunInfo(const std::vector<std::string> &args)
{
    const bool scan = args.size() == 2 && args[1] == "--scan";
    if (args.size() != 1 && !scan) {
        PrintError("info needs exactly one SOURCE, and --scan at most");
        return kExitUsage;
    }
    std::unique_ptr<dvdc::Disc> disc;
    std::vector<dvdc::TitleCatalogue> titles;
    std::string error;
    if (!dvdc::OpenDiscCatalogue(args[0], disc, titles, error)) {
        PrintError("cannot open " + args[0] + ": " + error);
        return kExitNoDisc;
    }
    std::vector<int> contents;
    if (scan) {
        disc.reset();   // the engine opens the disc itself
        contents = ScanTitles(args[0], titles.size());
        if (contents.size() != titles.size())
            return kExitFailed;
    }
    Json j;
    j.Open('{');
    Field(j, "titleCount", long(titles.size()));
    j.Key("titles");
    j.Open('[');
    for (size_t t = 0; t < titles.size(); ++t)
        TitleJson(j, titles[t], scan ? contents[t] : -1);
    j.Close(']');
    j.Close('}');
    j.Out() += '\n';
    std::fwrite(j.Out().data(), 1, j.Out().size(), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitOutput;
}

const CommandRegistration infoCommand{
    "info", "SOURCE", "prints the disc's titles, chapters and streams as JSON", RunInfo,
    {{"--scan", "",
      "also tells what each title's pictures hold (\"content\": progressive, film (soft telecine), film (hard "
      "telecine), interlaced or mixed), from a few seconds decoded at several places: whether to deinterlace"}}};

} // namespace

} // namespace dvdconvert
