// SPDX-License-Identifier: GPL-3.0-or-later
// Telling from the pictures what a disc's frames hold: film frames whole,
// film frames split across two frames by pulldown, or interlaced video.
//
// Each frame is judged by weaving the field shown first with the other
// field of its own frame and of each neighbour, and measuring how much the
// woven rows stand out from the rows round them ("combing").  Picture
// detail and noise stand out alike in every weave, movement only where the
// fields belong to different moments; so the weaves are compared with one
// another rather than with a fixed level, which no noise level can fool.
// Plain C++ on luma planes: the conversion's field filter and the title
// scan share these rules.
#pragma once

#include <cstdint>

namespace dvdc {

struct LumaPlane {
    const uint8_t *data = nullptr;
    int stride = 0, width = 0, height = 0;
};

enum class FieldLook : uint8_t {
    Still,     // too little movement to tell
    Whole,     // its own two fields belong together: a progressive picture
    Matched,   // a neighbour's field completes it: pulldown split a film frame
    Combed,    // no two fields belong together: interlaced video
};

struct FieldJudgement {
    FieldLook look = FieldLook::Still;
    int partner = 0;   // where the second field comes from: -1 previous frame, 0 its own, +1 next
};

// `previous` and `next` may be null; all planes the same size.  `topFirst`:
// the top field is the one shown first, and the one kept.
FieldJudgement JudgeFields(const LumaPlane *previous, const LumaPlane &current, const LumaPlane *next,
                           bool topFirst);

// Mean absolute difference of two pictures' luma (sampled), 0..255.
double PictureDistance(const LumaPlane &a, const LumaPlane &b);

// How the frames round one were judged (itself included).
struct LookCounts {
    int whole = 0, matched = 0, combed = 0, still = 0;
    void Add(FieldLook look);
};

// Whether a frame judged `look` is deinterlaced, among frames judged
// `around`: combing inside film or video is real, a lone combed-looking
// frame among progressive ones is taken for detail, and a still frame
// inside video is left to the deinterlacer, which keeps what does not move.
bool Deinterlaces(FieldLook look, const LookCounts &around);

// Whether frames judged `around` are film after pulldown, whose repeated
// frames may be dropped.
bool Telecined(const LookCounts &around);

} // namespace dvdc
