// SPDX-License-Identifier: GPL-3.0-or-later
// The encoding stage, on a thread of its own: the pass's only writer of the
// output file.  Filtered frames go to the job's video encoder, sound frames
// into the file's sound buffer, both into the file; in the first of two
// passes only the video encoder's statistics are kept.  Every frame also
// becomes the preview.
#pragma once

#include "convert_pass.h"

#include <atomic>
#include <fstream>
#include <string>

namespace dvdc {

class OutputFile;
class PreviewSlot;

class EncodeStage {
public:
    struct Ports {
        BoundedQueue<FramePtr> &frames;   // from the pictures
        BoundedQueue<FramePtr> &sound;    // from the sound
        PreviewSlot &preview;
        std::atomic<int64_t> &encoded;    // frames encoded, for the speed
    };

    // Writes into `file`.  `padSound`: the job has no sound, silence
    // follows the pictures.
    EncodeStage(RunControl &run, Ports ports, OutputFile &file, bool padSound);
    // The first of two passes: the pictures to `statsEncoder` (the stage
    // frees it, so that libx264 completes its statistics file), the
    // statistics to `statsPath` unless `codecKeepsStats`.
    EncodeStage(RunControl &run, Ports ports, AVCodecContext *statsEncoder, const std::string &statsPath,
                bool codecKeepsStats);
    ~EncodeStage();
    EncodeStage(const EncodeStage &) = delete;
    EncodeStage &operator=(const EncodeStage &) = delete;

    void Run();

private:
    bool Loop(std::string &error);
    bool EncodePicture(AVFrame *frame, std::string &error);
    bool EncodeStats(AVFrame *frame, std::string &error);
    bool EndStats(bool ok, std::string &error);

    RunControl &run_;
    Ports ports_;
    OutputFile *file_ = nullptr;
    bool padSound_ = false;
    AVCodecContext *statsEncoder_ = nullptr;
    bool codecKeepsStats_ = false;
    std::ofstream stats_;
};

} // namespace dvdc
