// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileFacts.h"

#include "MediaTools.h"

#include <cstdlib>
#include <regex>
#include <sstream>

namespace ct {

namespace {

std::string Line(std::string out)
{
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

} // namespace

std::vector<Chapter> Chapters(const std::string &path)
{
    std::vector<Chapter> list;
    std::istringstream out(Run("ffprobe -v error -show_entries chapter=start_time:chapter_tags=title -of csv=p=0 '" +
                               path + "'"));
    std::string line;
    while (std::getline(out, line)) {
        const size_t comma = line.find(',');
        if (comma == std::string::npos)
            continue;
        list.push_back({std::atof(line.substr(0, comma).c_str()), line.substr(comma + 1)});
    }
    return list;
}

double LastChapterEnd(const std::string &path)
{
    const std::string ends = Run("ffprobe -v error -show_entries chapter=end_time -of csv=p=0 '" + path + "'");
    const size_t line = ends.find_last_of('\n', ends.size() - 2);
    return std::atof(ends.c_str() + (line == std::string::npos ? 0 : line + 1));
}

std::string Tag(const std::string &path, const std::string &stream, const std::string &key)
{
    const std::string what = stream.empty() ? "format_tags=" + key : "stream_tags=" + key;
    const std::string select = stream.empty() ? "" : " -select_streams " + stream;
    return Line(Run("ffprobe -v error" + select + " -show_entries " + what + " -of default=nw=1:nk=1 '" + path + "'"));
}

double StartTime(const std::string &path, const std::string &stream)
{
    return std::atof(Run("ffprobe -v error -select_streams " + stream +
                         " -show_entries stream=start_time -of default=nw=1:nk=1 '" + path + "'")
                         .c_str());
}

std::vector<std::string> TrackKinds(const std::string &path)
{
    std::vector<std::string> kinds;
    std::istringstream out(Run("ffprobe -v error -show_entries stream=codec_type -of csv=p=0 '" + path + "'"));
    std::string line;
    while (std::getline(out, line))
        if (!line.empty())
            kinds.push_back(line);
    return kinds;
}

namespace {

double Clock(const std::smatch &m, int first)
{
    return std::stoi(m[first]) * 3600.0 + std::stoi(m[first + 1]) * 60.0 + std::stoi(m[first + 2]) +
           std::stoi(m[first + 3]) / 1000.0;
}

// An ASF file's markers, from MediaInfo's field-by-field trace of the header.
std::vector<Chapter> AsfMarkers(const std::string &path)
{
    std::vector<Chapter> list;
    std::istringstream out(Run("mediainfo --Details=1 '" + path + "'"));
    static const std::regex time(R"(Presentation Time:\s+(\d+) )"), name(R"(Marker Description:\s+(.*)$)"),
        preroll(R"(^\s*\S+\s+Preroll:\s+(\d+) )"), count(R"(Markers Count:\s+(\d+) )");
    double prerollSeconds = 0;
    size_t markers = 0;   // the markers object comes after the file properties
    bool inMarkers = false;
    std::string line;
    std::smatch m;
    while (std::getline(out, line) && !(inMarkers && list.size() == markers && !list.empty() &&
                                        !list.back().title.empty())) {
        if (std::regex_search(line, m, preroll)) {
            prerollSeconds = std::atof(m[1].str().c_str()) / 1000.0;
        } else if (std::regex_search(line, m, count)) {
            markers = size_t(std::atol(m[1].str().c_str()));
            inMarkers = markers > 0;
        } else if (inMarkers && std::regex_search(line, m, time)) {
            list.push_back({std::atof(m[1].str().c_str()) / 1e7 - prerollSeconds, ""});
        } else if (inMarkers && std::regex_search(line, m, name) && !list.empty()) {
            list.back().title = m[1];
        }
    }
    return list;
}

} // namespace

std::vector<Chapter> MediaInfoChapters(const std::string &path)
{
    if (Run("mediainfo --Inform='General;%Format%' '" + path + "'").rfind("Windows Media", 0) == 0)
        return AsfMarkers(path);
    // An MP4's menus: the chapter track's and the chapter list's, the same
    // entries twice; the first is taken.
    std::vector<Chapter> list;
    std::istringstream out(Run("mediainfo '" + path + "'"));
    static const std::regex entry(R"(^(\d+):(\d\d):(\d\d)\.(\d\d\d)\s+:\s(?:[a-z]{2}:)?(.*)$)");
    std::string line;
    std::smatch m;
    bool inMenu = false;
    while (std::getline(out, line)) {
        if (line.rfind("Menu", 0) == 0) {
            if (!list.empty())
                break;
            inMenu = true;
        } else if (inMenu && std::regex_search(line, m, entry)) {
            list.push_back({Clock(m, 1), m[5]});
        }
    }
    return list;
}

std::string MediaInfoLanguage(const std::string &path)
{
    return Line(Run("mediainfo --Inform='Audio;%Language%' '" + path + "'"));
}

} // namespace ct
