// SPDX-License-Identifier: GPL-3.0-or-later
// The picture stage, on a thread of its own: picture packets decoded, the
// pictures field filtered when "DeInterlace" is on (convert_fields.h), the
// subpictures showing at each picture blended in, the job's filter chain
// (crop, scale, frame rate) run, and the frames queued for the encoder.
#pragma once

#include "convert_fields.h"
#include "convert_filters.h"
#include "convert_pass.h"

#include <memory>
#include <string>

namespace dvdc {

class PictureStage {
public:
    struct Ports {
        BoundedQueue<PacketPtr> &packets;   // from the reading
        const StreamParams &params;         // handed over with the first packet
        SubtitleTrack &subtitles;           // decoded by the reading
        BoundedQueue<FramePtr> &frames;     // to the encoding; closed when the stage ends
    };

    PictureStage(const JobRequest &request, RunControl &run, Ports ports);
    ~PictureStage();
    PictureStage(const PictureStage &) = delete;
    PictureStage &operator=(const PictureStage &) = delete;

    // The thread's loop: until the queue ends or the run stops; closes the
    // frame queue.
    void Run();

private:
    bool Loop(std::string &error);
    bool OpenDecoder(std::string &error);
    bool Receive(std::string &error);
    bool Hold(int64_t until, std::string &error);
    // `repeat`: the last picture again, held over a gap.
    bool HandleFrame(AVFrame *frame, bool repeat, std::string &error);
    bool DeliverFields(std::string &error);
    bool Deliver(AVFrame *frame, std::string &error);
    FilterGraph::Take Take();

    const JobRequest &request_;
    RunControl &run_;
    Ports ports_;
    AVCodecContext *decoder_ = nullptr;
    std::unique_ptr<FieldFilter> fields_;   // "DeInterlace" on
    FilterGraph graph_;
    int64_t frameTicks_;                 // one source frame, 90 kHz
    int64_t lastPts_ = AV_NOPTS_VALUE;   // of the last picture given to the chain
    FramePtr frame_;                     // being received
    FramePtr last_;                      // the last decoded picture, for holds
};

} // namespace dvdc
