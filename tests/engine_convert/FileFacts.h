// SPDX-License-Identifier: GPL-3.0-or-later
// What an output file says of itself — its chapters, tags and tracks — as
// two independent readers see it: ffprobe (FFmpeg) and MediaInfo.
#pragma once

#include <string>
#include <vector>

namespace ct {

struct Chapter {
    double start = 0;   // seconds
    std::string title;
};

// ffprobe's reading.
std::vector<Chapter> Chapters(const std::string &path);
double LastChapterEnd(const std::string &path);   // seconds
// A stream's tag ("a:0", "language"), or a format tag when `stream` is "".
std::string Tag(const std::string &path, const std::string &stream, const std::string &key);
// When a stream's first packet is shown, in seconds (an ASF file's pictures
// start a little late, behind the sound encoder's priming).
double StartTime(const std::string &path, const std::string &stream);
// The kinds of the file's tracks in order: "video", "audio", "data", ...
std::vector<std::string> TrackKinds(const std::string &path);

// MediaInfo's reading: the chapters of an MP4 (its menu) or of an ASF file
// (its markers, read from the header's own fields, less the preroll), and the
// first sound track's language as MediaInfo names it ("fr").
std::vector<Chapter> MediaInfoChapters(const std::string &path);
std::string MediaInfoLanguage(const std::string &path);

} // namespace ct
