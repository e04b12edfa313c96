// SPDX-License-Identifier: GPL-3.0-or-later
// Picture and sound processing of a job, built on libavfilter, and the
// burning-in of DVD subpictures.
#pragma once

#include "av_ptr.h"
#include "convert_settings.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct AVFilterGraph;
struct AVFilterContext;
struct AVFrame;
struct AVSubtitle;

namespace dvdc {

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

// Where a picture of display aspect `dar` (after cropping) lands inside a
// width x height frame: centred, even, as large as fits.
Rect FitInto(double dar, int width, int height);

// The display aspect of the source after cropping.
double CroppedAspect(const SourceInfo &source, const EncodeSettings &s);

// The filter chain from the decoded (and, with "DeInterlace", field
// filtered) picture to the encoder's.
std::string VideoChain(const JobInfo &job, const EncodeSettings &s, const SourceInfo &source,
                       const VideoTarget &target);
// A picture filter graph's source arguments for frames like `f`, on the
// 90 kHz clock.
std::string FilterSourceArgs(const AVFrame &f);
// A sound filter graph's source arguments for frames like `f`, on a clock
// of its sample rate.
std::string SoundSourceArgs(const AVFrame &f);
// The sound chain: volume, gaps filled and overlaps dropped, stereo at the
// output rate.
std::string AudioChain(const EncodeSettings &s, int sampleRate);

// A configured graph with one input and one output.
class FilterGraph {
public:
    using Take = std::function<bool(FramePtr frame)>;   // false stops the pulling

    ~FilterGraph();
    bool Init(bool video, const std::string &sourceArgs, const std::string &chain, std::string &error);
    // Sets the graph up for frames of `sourceArgs` unless it is already.  A
    // graph of other frames (a cell with other sound, pictures of another
    // size) is closed at `closeAt` first and what it holds handed to `take`;
    // the new graph, made with the chain `makeChain` gives then, goes on
    // from there.
    bool Follow(bool video, const std::string &sourceArgs, int64_t closeAt,
                const std::function<std::string()> &makeChain, const Take &take, std::string &error);
    // Hands every frame the graph has ready to `take`.
    bool PullAll(const Take &take, std::string &error);
    bool Ready() const { return graph_ != nullptr; }
    int Push(AVFrame *frame);          // takes the frame's data; nullptr = none
    int Close(int64_t pts);            // end of input at pts
    int Pull(AVFrame *frame);          // 0, AVERROR(EAGAIN) or AVERROR_EOF
    int64_t PulledPts(const AVFrame &frame) const;   // a pulled frame's pts, 90 kHz
    void Reset();

private:
    std::string sourceArgs_;   // what the graph was set up for
    AVFilterGraph *graph_ = nullptr;
    AVFilterContext *src_ = nullptr;
    AVFilterContext *sink_ = nullptr;
};

// One subpicture, ready to blend onto 4:2:0 pictures.
struct Subpicture {
    int64_t start = 0;     // 90 kHz, on the job's timeline
    int64_t end = -1;      // -1: until the next one
    int x = 0, y = 0, w = 0, h = 0;
    std::vector<uint8_t> luma, alpha;   // w x h
    std::vector<uint8_t> cb, cr;        // w x h, subsampled when blended
};

// Turns a decoded DVD subpicture into blendable form.
std::vector<Subpicture> ToSubpictures(const AVSubtitle &sub, int64_t start, int64_t end);
// Blends onto a writable yuv420p frame, moved by (dx, dy).
void BlendSubpicture(AVFrame *frame, const Subpicture &sp, int dx, int dy);

// The dvdsub decoder's palette option from the title's 0x00YYCrCb colours;
// empty when the title has no palette.
std::string PaletteOption(const std::array<uint32_t, 16> &palette);

} // namespace dvdc
