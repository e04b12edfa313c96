// SPDX-License-Identifier: GPL-3.0-or-later
// Damaged program streams for the conversion tests: made with the ffmpeg
// command with a stretch of one stream left out, or patched pack by pack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ct {

std::vector<uint8_t> ReadAll(const std::string &path);
void WriteAll(const std::string &path, const std::vector<uint8_t> &data);

// Moves the time of the first timed packet of stream `id` (0xE0 pictures,
// 0xBD the AC3 sound) at or after byte `from` by `delta` ticks; the patched
// copy's path, empty when there is no such packet.
std::string PatchOneTime(const std::string &source, const std::string &out, uint8_t id, size_t from,
                         int64_t delta);

// Moves every picture and sound time from the pack at byte `from` on by
// `delta` ticks: a clock restart that nothing marks.  How many times moved.
int ShiftAllTimesFrom(std::vector<uint8_t> &data, size_t from, int64_t delta);

// A 10-second NTSC title of 30-frame beats: each beat starts with two white
// frames on a dark picture and a 0.3 s 440 Hz tone at the same instant
// (no B-frames, so both keep the same timestamp).  `gap` leaves out the
// pictures ("video") or the sound ("audio") from 3.5 s to 6.5 s, with the
// rest at its true time; `soundSeconds` ends the sound early.
struct BeatSource {
    std::string gap;   // "", "video" or "audio"
    double soundSeconds = 10;
    double seconds = 10;                          // the title's length
    double gapFrom = 3.5, gapTo = 6.5;            // kGapFrom, kGapTo
};
std::string MakeBeatSource(const std::string &dir, const BeatSource &spec);
constexpr double kBeatSeconds = 30 * 1001 / 30000.0;
constexpr double kGapFrom = 3.5, kGapTo = 6.5;

// Flash times matched to tone times: for every tone start at or after
// `from`, how far the nearest flash start is (seconds); a tone with no flash
// within a second counts as 1.
std::vector<double> ToneToFlashOffsets(const std::vector<double> &tones, const std::vector<double> &flashes,
                                       double from);

// Converts the program stream `input` to MPEG-4 at `path` below the C
// interface, as a job over a title like `spec`, and finishes the file.
struct SourceSpec;
void ConvertInput(const SourceSpec &spec, const std::string &input, const std::string &path);

// The process's peak resident memory so far, in kilobytes.
long PeakRssKb();

} // namespace ct
