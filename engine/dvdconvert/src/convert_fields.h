// SPDX-License-Identifier: GPL-3.0-or-later
// "DeInterlace" on: every decoded frame treated for what it holds (see
// picture_fields.h).  Progressive frames pass untouched; frames that
// pulldown split are put together again from the right fields, and the
// frame that pulldown repeated is dropped, its time shared out among the
// film frames round it; interlaced video goes to a motion-adaptive
// deinterlacer.  Frames flagged progressive by the stream pass as they are.
//
// The decision follows the pictures frame by frame, weighed over the frames
// round each, so it changes where the content does: inside a cell, at an
// edit, where pulldown starts or breaks off.  Time is never lost or added:
// frames keep their times, except inside a run of five evenly spaced
// pulldown frames, whose span the four film frames then share.
#pragma once

#include "convert_filters.h"
#include "convert_pass.h"
#include "picture_fields.h"

#include <deque>
#include <string>

namespace dvdc {

// Whether frames of this kind can be judged (8-bit planar YUV), and their
// luma plane.
bool JudgeableFrame(const AVFrame &frame);
LumaPlane LumaOf(const AVFrame &frame);

// Used by one thread, the picture stage's.
class FieldFilter {
public:
    // Takes a decoded frame, its pts set (90 kHz, rising).  `repeat`: no new
    // picture but the last one again, at a later time.
    bool Push(FramePtr frame, bool repeat, std::string &error);
    // The end of the pictures: everything held is let out.
    bool Finish(int64_t endPts, std::string &error);
    // The next frame ready, in order; false when there is none yet.
    bool Pop(FramePtr &out);

private:
    struct Held {
        FramePtr frame;
        FieldJudgement judged;
        bool judgedYet = false;
    };
    struct Finished {
        FramePtr frame;
        bool telecined = false;
        double change = -1;   // from the frame finished before it; -1 unknown
    };

    void JudgeAt(size_t i, bool last);
    bool FinishAt(size_t i, std::string &error);
    bool FinishAll(std::string &error);
    bool Decimate(bool all, std::string &error);
    int RepeatIn(int n) const;
    bool Deinterlace(FramePtr frame, std::string &error);
    bool PullDeinterlaced(std::string &error);

    std::deque<Held> window_;        // frames being judged, and some before them
    size_t next_ = 0;                // the first of window_ not finished
    std::deque<Finished> cycle_;     // finished, awaiting the decision on repeats
    FramePtr previous_;              // the frame finished last
    FilterGraph deinterlacer_;
    std::string format_;             // of the frames in window_ and the deinterlacer
    std::deque<FramePtr> out_;
    // What was done, for the log.
    int64_t passed_ = 0, woven_ = 0, deinterlaced_ = 0, dropped_ = 0;
};

} // namespace dvdc
