// SPDX-License-Identifier: GPL-3.0-or-later
// The encoding stage, on a thread of its own: filtered frames to the job's
// video encoder and into the output file; in the first of two passes only
// the encoder's statistics are kept.  Every frame also becomes the preview.
#pragma once

#include "convert_pass.h"

#include <fstream>
#include <string>

namespace dvdc {

class EncodeStage {
public:
    // `statsEncoder`: the first pass's encoder (the stage frees it, so that
    // libx264 completes its statistics file), nullptr in a pass that writes
    // the file.  `statsPath`: where codecs without their own file keep them.
    EncodeStage(PassContext &pass, AVCodecContext *statsEncoder, const std::string &statsPath);
    ~EncodeStage();
    EncodeStage(const EncodeStage &) = delete;
    EncodeStage &operator=(const EncodeStage &) = delete;

    void Run();

private:
    bool Loop(std::string &error);
    bool EncodeStats(AVFrame *frame, std::string &error);

    PassContext &pass_;
    AVCodecContext *statsEncoder_;
    std::ofstream stats_;
};

} // namespace dvdc
