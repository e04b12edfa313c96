// SPDX-License-Identifier: GPL-3.0-or-later
// A chapter range's data followed by a little of what comes after it.
//
// A program stream carries sound behind the pictures it belongs to (the
// pictures are sent early to fill the decoder's buffer), so the sound of a
// range's last half second lies in the sectors after the range.  The job
// reads on into the next chapter for that sound only.
#pragma once

#include "title_reader.h"

#include <atomic>
#include <memory>

namespace dvdc {

class ChainedReader : public TitleReader {
public:
    ChainedReader(std::unique_ptr<TitleReader> range, std::unique_ptr<TitleReader> after, int64_t afterLimit);

    int Read(uint8_t *buffer, int size) override;
    int64_t BytesRead() const override { return range_->BytesRead(); }
    int64_t TotalBytes() const override { return range_->TotalBytes(); }
    int64_t TimestampOffsetAt(int64_t position) const override;
    void SetStopFlag(const std::atomic<bool> *stop) override;
    // The range's own damage: what lies after it belongs to the next job.
    std::vector<DamagedRegion> Damaged() const override { return range_->Damaged(); }

    // Stream position where the data after the range begins; -1 before.
    int64_t AfterStart() const override { return afterStart_.load(); }
    // The range's chapters; what lies after the range is none of them.
    int ChapterAt(int64_t position) const override;

private:
    std::unique_ptr<TitleReader> range_, after_;
    int64_t limit_;
    int64_t given_ = 0;
    int64_t afterGiven_ = 0;
    std::atomic<int64_t> afterStart_{-1};
    std::atomic<int64_t> rangeEndOffset_{0};
};

} // namespace dvdc
