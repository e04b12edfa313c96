// SPDX-License-Identifier: GPL-3.0-or-later
// The sound stage, on a thread of its own: the chosen sound stream's packets
// decoded, moved by the job's Ahead/Delay offset, through the volume and
// resampling chain, and queued for the encoding stage at the file's rate.
#pragma once

#include "convert_filters.h"
#include "convert_pass.h"

#include <string>

namespace dvdc {

class SoundStage {
public:
    struct Ports {
        BoundedQueue<PacketPtr> &packets;   // from the reading
        const StreamParams &params;         // handed over with the first packet
        BoundedQueue<FramePtr> &frames;     // to the encoding; closed when the stage ends
    };

    SoundStage(const EncodeSettings &settings, int sampleRate, RunControl &run, Ports ports)
        : settings_(settings), sampleRate_(sampleRate), run_(run), ports_(ports)
    {
    }
    ~SoundStage();
    SoundStage(const SoundStage &) = delete;
    SoundStage &operator=(const SoundStage &) = delete;

    // The thread's loop: until the queue ends or the run stops.
    void Run();

private:
    bool Loop(std::string &error);
    bool Decode(const AVPacket *pkt, std::string &error);
    bool Filter(AVFrame *frame, std::string &error);
    bool Queue(FramePtr frame);

    const EncodeSettings &settings_;
    const int sampleRate_;
    RunControl &run_;
    Ports ports_;
    AVCodecContext *decoder_ = nullptr;
    FilterGraph graph_;
    int64_t samplesOut_ = 0;                  // what the chain gave out in this job
    int64_t nextPts_ = AV_NOPTS_VALUE;        // where the next sound frame follows on
};

} // namespace dvdc
