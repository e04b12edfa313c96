// SPDX-License-Identifier: GPL-3.0-or-later
// The sound stage, on a thread of its own: the chosen sound stream's packets
// decoded, moved by the job's Ahead/Delay offset, through the volume and
// resampling chain, into the output file's sound buffer.
#pragma once

#include "convert_filters.h"
#include "convert_pass.h"

#include <string>

namespace dvdc {

class SoundStage {
public:
    explicit SoundStage(PassContext &pass) : pass_(pass) {}
    ~SoundStage();
    SoundStage(const SoundStage &) = delete;
    SoundStage &operator=(const SoundStage &) = delete;

    // The thread's loop: until the queue ends or the run stops.
    void Run();

private:
    bool Loop(std::string &error);
    bool OpenDecoder(std::string &error);
    bool Decode(const AVPacket *pkt, std::string &error);
    bool Filter(AVFrame *frame, std::string &error);
    bool Drain(std::string &error);

    PassContext &pass_;
    AVCodecContext *decoder_ = nullptr;
    FilterGraph graph_;
    std::string graphFormat_;
    int64_t samplesOut_ = 0;                  // what the chain gave out in this job
    int64_t nextPts_ = AV_NOPTS_VALUE;        // where the next sound frame follows on
};

} // namespace dvdc
