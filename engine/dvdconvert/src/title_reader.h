// Reads the sectors of a title's chapter range as one MPEG program stream.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <dvdread/ifo_types.h>

namespace dvdc {

struct Instance;

class TitleReader {
public:
    virtual ~TitleReader() = default;

    // Copies up to `size` bytes of the stream into `buffer` (any size; packs
    // are 2048 bytes).  Returns the bytes copied, 0 at the end of the range.
    // Unreadable blocks are skipped (and logged), never reported as an end.
    virtual int Read(uint8_t *buffer, int size) = 0;

    // Progress of the reading, for percent reports.
    virtual int64_t BytesRead() const = 0;
    virtual int64_t TotalBytes() const = 0;

    // Timestamp continuity across cells whose clock restarts: the offset in
    // 90 kHz ticks to add to the timestamps of a packet found at stream byte
    // position `position` (as the demuxer's AVPacket::pos reports it; its
    // parser leaves pos at -1 on frames it joined from several packets: use
    // the last pos seen before them).
    virtual int64_t TimestampOffsetAt(int64_t position) const = 0;
};

// One cell to read: sectors first..last of the title set's VOBs.
struct ReadCell {
    uint32_t first;
    uint32_t last;
};

// The cells of the chapter range in play order, with cells outside the VOB
// files (vobBlocks long) dropped and cells running past their end cut short.
std::vector<ReadCell> CollectReadCells(const ifo_handle_t &vts, int vtsTitle, int firstChapter,
                                       int lastChapter, int angle, uint32_t vobBlocks);

// Chapters firstChapter..lastChapter (0-based, inclusive) of title (0-based),
// the given angle's cells (0-based angle).  nullptr with `error` set when the
// range cannot be read.
std::unique_ptr<TitleReader> OpenTitleReader(Instance &instance, int title, int firstChapter,
                                             int lastChapter, int angle, std::string &error);

} // namespace dvdc
