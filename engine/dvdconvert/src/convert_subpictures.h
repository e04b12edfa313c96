// SPDX-License-Identifier: GPL-3.0-or-later
// The chosen subpicture stream: decoded on the reading thread ahead of the
// pictures it is shown on, held until the picture thread blends it.
#pragma once

#include "convert_filters.h"

#include <array>
#include <cstdint>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

struct AVCodecContext;
struct AVPacket;
struct AVStream;

namespace dvdc {

// Subpictures waiting for their time.  At most kPending of them: a damaged
// stream cannot fill the memory; the oldest gives way.
class SubtitleTrack {
public:
    static constexpr size_t kPending = 64;

    void Add(std::vector<Subpicture> pics, int64_t start);
    // The subpictures showing at `pts` (times only grow between calls).
    const std::vector<Subpicture> &At(int64_t pts);
    size_t Pending() const;

private:
    mutable std::mutex mutex_;
    std::deque<std::pair<int64_t, std::vector<Subpicture>>> pending_;
    std::vector<Subpicture> current_;
};

class SubpictureDecoder {
public:
    ~SubpictureDecoder();
    // Decodes one packet of `stream` (times on the job's timeline) into
    // `track`.  A decoder that cannot be opened leaves the subpictures out.
    void Decode(const AVPacket &pkt, const AVStream &stream, const std::array<uint32_t, 16> &palette,
                SubtitleTrack &track);

private:
    AVCodecContext *decoder_ = nullptr;
    bool failed_ = false;
};

} // namespace dvdc
