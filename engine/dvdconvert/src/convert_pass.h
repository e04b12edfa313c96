// SPDX-License-Identifier: GPL-3.0-or-later
// One conversion pass: four stages, each on its own thread with its own
// codec and filter state, joined by bounded queues.
//
//   reading   (the job's thread)  the title's bytes → demuxer → continuous
//             times → picture packets, sound packets; subpictures decoded
//   sound     (a thread)          sound packets → decoded, moved, volume,
//             resampled → sound frames at the file's rate
//   pictures  (a thread)          picture packets → decoded, subpictures
//             blended, filtered → frames
//   encoding  (a thread)          frames and sound frames → the encoders →
//             the output file, which it alone writes during the pass; or, in
//             the first of two passes, the video encoder's statistics
//
// What crosses between stages goes through the queues, whose lock (the run
// control's) orders the hand-over.  Each queue holds a bounded number of
// items, so memory stays flat whatever the title does.
#pragma once

#include "av_ptr.h"
#include "convert_chapters.h"
#include "convert_feed.h"
#include "convert_queue.h"
#include "convert_reports.h"
#include "convert_settings.h"
#include "convert_subpictures.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace dvdc {

struct JobRequest {
    uint64_t id = 0;
    JobInfo info;
    EncodeSettings settings;
    SourceInfo source;
    VideoTarget target;
    std::string path;
    std::string name;   // the job's own file's name, as the host gave it ("" none)
    ConvertCallback callback = nullptr;
    // One reader per pass: opened on the job's own threads by `openers`
    // (opening reads the disc), or already open in `readers`.
    std::vector<ReaderOpener> openers;
    std::vector<std::unique_ptr<TitleReader>> readers;
};

// A packet on the picture queue that carries no data: the pictures are
// missing from the title up to its time while the sound goes on, so the last
// picture is held until then (the sound before it can then be written out).
inline bool IsHoldPicture(const AVPacket &pkt) { return pkt.size == 0 && pkt.pts != AV_NOPTS_VALUE; }

// A stream's decoding parameters, copied by the reading thread before the
// stream's first packet is queued (the demuxer reallocates its streams
// whenever a new one turns up, so no other thread may look into them).  The
// queue's lock hands them over with that packet.
struct StreamParams {
    StreamParams() = default;
    StreamParams(const StreamParams &) = delete;
    StreamParams &operator=(const StreamParams &) = delete;
    ~StreamParams() { avcodec_parameters_free(&params); }
    bool CopyFrom(const AVCodecParameters *from, AVRational base)
    {
        params = avcodec_parameters_alloc();
        timeBase = base;
        return params && avcodec_parameters_copy(params, from) >= 0;
    }
    // A decoder for the stream (`sliceThreads` > 0 gives it slice threads;
    // `flags2` goes to the codec as it opens), or nullptr with `error`
    // naming `what` ("picture", "audio").
    AVCodecContext *OpenDecoder(const char *what, int sliceThreads, int flags2, std::string &error) const;

    AVCodecParameters *params = nullptr;
    AVRational timeBase{1, 90000};
};

constexpr size_t kPictureQueue = 48;   // compressed pictures between reading and decoding
constexpr size_t kSoundQueue = 256;    // sound packets (about 2 KB each) between reading and sound
constexpr size_t kFrameQueue = 6;      // filtered pictures between decoding and encoding
constexpr size_t kSoundFrameQueue = 64;   // resampled sound (about 1/40 s each) between sound and encoding

// What a pass's stages share, owned by the job for the pass.  Each stage is
// handed only the parts it uses.
struct PassContext {
    explicit PassContext(RunControl &run)
        : pictures(run, kPictureQueue), sound(run, kSoundQueue), frames(run, kFrameQueue),
          soundFrames(run, kSoundFrameQueue)
    {
    }

    BoundedQueue<PacketPtr> pictures;   // reading → pictures
    BoundedQueue<PacketPtr> sound;      // reading → sound
    BoundedQueue<FramePtr> frames;      // pictures → encoding
    BoundedQueue<FramePtr> soundFrames; // sound → encoding
    SubtitleTrack subtitles;            // reading → pictures (its own lock)
    StreamParams pictureParams;         // see StreamParams
    StreamParams soundParams;
};

} // namespace dvdc
