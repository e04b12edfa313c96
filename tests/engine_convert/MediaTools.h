// SPDX-License-Identifier: GPL-3.0-or-later
// Test media for the conversion side: sources made with the ffmpeg command,
// an authored test disc, and output checks through ffprobe and ffmpeg.
// Needs nothing of the engine.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ct {

// What a shell command printed on its standard output.
std::string Run(const std::string &command);

std::string MakeTempDir();
void RemoveTree(const std::string &dir);
bool FileExists(const std::string &path);
std::vector<std::string> ListDir(const std::string &dir);

struct SourceSpec {
    double seconds = 2.0;
    bool detailed = false;          // test pattern instead of a flat colour
    std::string colour = "0x2040C0";
    int toneHz = 440;
    bool wide = false;              // 16:9 instead of 4:3
    bool subtitle = false;          // a white subpicture from 0.5 s to 2.5 s
    bool pal = false;
    bool border = false;            // a white frame 40 pixels wide round the picture
    double toneStart = 0;           // silence before the tone starts
};
// An MPEG-2 program stream the way a DVD carries it.  Cached by spec.
std::string MakeSource(const SourceSpec &spec);

// ffprobe's answers for one stream ("v:0", "a:0") and the format.
std::map<std::string, std::string> Probe(const std::string &path, const std::string &stream);
double Duration(const std::string &path);
// Packet timestamps (seconds) of a stream, in file order.
std::vector<double> PacketTimes(const std::string &path, const std::string &stream);
// The picture at `seconds` as rgb24 rows of the output size.
std::vector<uint8_t> FrameAt(const std::string &path, double seconds, int width, int height);
// The dominant tone of the first channel between `from` and `from + seconds`.
double ToneHz(const std::string &path, double from, double seconds = 1.0);
// Root mean square level of the first channel between `from` and `from + 1` s (0..1).
double SoundLevel(const std::string &path, double from);
// When the sound first rises above a sixteenth of full scale, in seconds.
double SoundOnset(const std::string &path);
// When each flash of the picture starts (a frame brighter than mid-grey after a
// darker one), in the file's presentation times.
std::vector<double> FlashStarts(const std::string &path);
// When each tone of the sound starts after at least 50 ms of silence, to a
// millisecond, on the same clock as FlashStarts.
std::vector<double> ToneStarts(const std::string &path);
// Mean of r, g, b over a rectangle of an rgb24 picture.
struct Rgb {
    double r, g, b;
};
Rgb MeanRgb(const std::vector<uint8_t> &rgb, int width, int x, int y, int w, int h);

// A DVD folder authored with dvdauthor, NTSC 4:3, AC3 at 0x80:
//  title 1: 3 s, chapters at 0, 1 and 2 s, picture 0x2040C0, tone 440 Hz;
//  title 2: 2 s, one chapter, picture 0xC02020, tone 1000 Hz, and a white
//           200x40 subpicture (0x20) at (200, 380) from 0.5 s to 2.5 s;
//  title 3: 12 s test pattern, for stopping jobs midway.
// Made once per test program.
std::string TestDisc();

} // namespace ct
