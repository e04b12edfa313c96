// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_chain_reader.h"

#include <algorithm>

namespace dvdc {

ChainedReader::ChainedReader(std::unique_ptr<TitleReader> range, std::unique_ptr<TitleReader> after,
                             int64_t afterLimit)
    : range_(std::move(range)), after_(std::move(after)), limit_(afterLimit)
{
}

void ChainedReader::SetStopFlag(const std::atomic<bool> *stop)
{
    range_->SetStopFlag(stop);
    if (after_)
        after_->SetStopFlag(stop);
}

int ChainedReader::Read(uint8_t *buffer, int size)
{
    if (afterStart_.load() < 0) {
        const int n = range_->Read(buffer, size);
        if (n > 0) {
            given_ += n;
            return n;
        }
        rangeEndOffset_ = range_->TimestampOffsetAt(std::max<int64_t>(0, given_ - 1));
        afterStart_ = given_;
    }
    if (!after_ || afterGiven_ >= limit_)
        return 0;
    const int n = after_->Read(buffer, int(std::min<int64_t>(size, limit_ - afterGiven_)));
    if (n > 0) {
        afterGiven_ += n;
        given_ += n;
    }
    return std::max(n, 0);
}

int64_t ChainedReader::TimestampOffsetAt(int64_t position) const
{
    const int64_t start = afterStart_.load();
    if (start < 0 || position < start)
        return range_->TimestampOffsetAt(position);
    // The data after the range runs on the range's clock.
    return rangeEndOffset_.load() + after_->TimestampOffsetAt(position - start);
}

int ChainedReader::ChapterAt(int64_t position) const
{
    const int64_t start = afterStart_.load();
    return start >= 0 && position >= start ? -1 : range_->ChapterAt(position);
}

} // namespace dvdc
