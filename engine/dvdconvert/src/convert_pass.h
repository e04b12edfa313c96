// SPDX-License-Identifier: GPL-3.0-or-later
// What the stages of one conversion pass share: the job's request, its run
// control, and the bounded queues that join the stages.
//
//   reading   (the job's thread)  the title's bytes → demuxer → continuous
//             times → picture packets, sound packets; subpictures decoded
//   sound     (a thread)          sound packets → decoded, moved, volume,
//             resampled → the output file's sound buffer
//   pictures  (a thread)          picture packets → decoded, subpictures
//             blended, filtered → frames
//   encoding  (a thread)          frames → the video encoder → the file, or
//             the first pass's statistics
//
// Every stage owns its own codec and filter state; what crosses between them
// goes through the queues, whose locks order the hand-over.  Each queue holds
// a bounded number of items, so memory stays flat whatever the title does.
#pragma once

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

class OutputFile;
class PreviewSlot;

struct JobRequest {
    uint64_t id = 0;
    JobInfo info;
    EncodeSettings settings;
    SourceInfo source;
    VideoTarget target;
    std::string path;
    ConvertCallback callback = nullptr;
    // One reader per pass: opened on the job's own threads by `openers`
    // (opening reads the disc), or already open in `readers`.
    std::vector<ReaderOpener> openers;
    std::vector<std::unique_ptr<TitleReader>> readers;
};

struct PacketDeleter {
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};
struct FrameDeleter {
    void operator()(AVFrame *f) const { av_frame_free(&f); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

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

struct PassContext {
    PassContext(const JobRequest &r, RunControl &rc, ReportQueue &rq, OutputFile *f, PreviewSlot &p,
                std::atomic<int64_t> &encoded, bool first)
        : request(r), run(rc), reports(rq), file(f), preview(p), framesEncoded(encoded), firstOfTwo(first),
          pictures(rc, kPictureQueue), sound(rc, kSoundQueue), frames(rc, kFrameQueue)
    {
    }

    const JobRequest &request;
    RunControl &run;
    ReportQueue &reports;
    OutputFile *file;            // nullptr in a first pass (statistics only: no file, no sound)
    PreviewSlot &preview;
    std::atomic<int64_t> &framesEncoded;
    const bool firstOfTwo;

    BoundedQueue<PacketPtr> pictures;
    BoundedQueue<PacketPtr> sound;
    BoundedQueue<FramePtr> frames;
    SubtitleTrack subtitles;     // written by reading, read by pictures
    StreamParams pictureParams;  // see StreamParams
    StreamParams soundParams;
};

} // namespace dvdc
