// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the sectors of a title's chapter range as one MPEG program stream.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_types.h>

namespace dvdc {

struct Instance;

// How the reading of a range ended before its end: nothing after a damaged
// stretch could be read, or the disc went away (taken out, the drive gone).
enum class ReadEnd { None, Unreadable, DiscGone };

// A stretch of the title that could not be read and was skipped.
struct DamagedRegion {
    int64_t timeMs = 0;    // where it lies in the title (the time read up to it)
    int64_t bytes = 0;     // the title's bytes from its first unreadable block to where reading went on
    // Set on the last region when the reading ended with it; `told` then
    // says so in plain words: where reading stopped and how much is missing.
    ReadEnd end = ReadEnd::None;
    std::string told;
};

// Two threads use a reader at once: Read runs on the feed's thread (see
// convert_feed.h), the queries on the reading stage's and, for Damaged, on
// the host's.  Whatever both sides touch is under the reader's own lock;
// no answer depends on which thread asked before.
class TitleReader {
public:
    virtual ~TitleReader() = default;

    // Copies up to `size` bytes of the stream into `buffer` (any size; packs
    // are 2048 bytes).  Returns the bytes copied, 0 at the end of the range.
    // Unreadable blocks are skipped (and logged); the range ends early only
    // when nothing after them can be read or the disc is gone (Damaged()
    // then says so in its last region).
    virtual int Read(uint8_t *buffer, int size) = 0;

    // Progress of the reading, for percent reports.
    virtual int64_t BytesRead() const = 0;
    virtual int64_t TotalBytes() const = 0;

    // Timestamp continuity across cells whose clock restarts: the offset in
    // 90 kHz ticks to add to the timestamps of a packet found at stream byte
    // position `position` (as the demuxer's AVPacket::pos reports it; the
    // caller gives a packet without one a position of its own choosing).
    virtual int64_t TimestampOffsetAt(int64_t position) const = 0;

    // Once `stop` is set, Read gives up before its next read of the disc
    // (the skip-ahead over unreadable blocks included) and returns 0.
    virtual void SetStopFlag(const std::atomic<bool> *stop) { stop_ = stop; }
    // The unreadable stretches skipped so far.
    virtual std::vector<DamagedRegion> Damaged() const { return {}; }
    // Where the data read after the range begins (see ChainedReader); -1 when none.
    virtual int64_t AfterStart() const { return -1; }
    // The chapter (0-based, of the title) the data at stream byte `position`
    // belongs to: the chapter whose first readable byte came last at or
    // before it.  -1 before any, and for readers that do not know.
    virtual int ChapterAt(int64_t position) const
    {
        (void)position;
        return -1;
    }

protected:
    bool Stopped() const { return stop_ && stop_->load(); }

private:
    const std::atomic<bool> *stop_ = nullptr;
};

// One cell to read: sectors first..last of the title set's VOBs.
struct ReadCell {
    uint32_t first;
    uint32_t last;
    int chapter = -1;   // the title's chapter the cell belongs to (0-based)
};

// The cells with those outside the VOB files (vobBlocks long) dropped and
// those running past their end cut short.
std::vector<ReadCell> ClipReadCells(std::vector<ReadCell> cells, uint32_t vobBlocks);
// The cells of the chapter range in play order, with cells outside the VOB
// files (vobBlocks long) dropped and cells running past their end cut short.
std::vector<ReadCell> CollectReadCells(const ifo_handle_t &vts, int vtsTitle, int firstChapter,
                                       int lastChapter, int angle, uint32_t vobBlocks);

// What opening a reader needs, gathered from the catalogue without touching
// the disc (the IFOs were read when the disc was opened), so the host's
// thread never waits on a drive: the opening itself reads the disc.
struct TitleReadPlan {
    std::string sourcePath;
    int titleSet = 0;
    std::vector<ReadCell> cells;   // not yet cut to the VOB files' size
    int64_t playMs = 0;            // the chapters' play time
    std::string name;              // "the title", "chapter 3", "chapters 3 to 5"
    // The reading ends at the first unreadable block, untold (a little of
    // what follows a range, read only for its sound).
    bool stopAtDamage = false;
};

// Chapters firstChapter..lastChapter (0-based, inclusive) of title (0-based),
// the given angle's cells (0-based angle).  False with `error` set when the
// range does not exist.
bool PlanTitleRead(Instance &instance, int title, int firstChapter, int lastChapter, int angle,
                   TitleReadPlan &plan, std::string &error);
// Opens the disc for the plan; nullptr with `error` set when it cannot be read.
std::unique_ptr<TitleReader> OpenTitleReader(const TitleReadPlan &plan, std::string &error);
// Both at once.
std::unique_ptr<TitleReader> OpenTitleReader(Instance &instance, int title, int firstChapter,
                                             int lastChapter, int angle, std::string &error);

// Tests put a reader of their own between the title reader and libdvdread.
using BlockReadFn = ssize_t (*)(dvd_file_t *file, int sector, size_t count, unsigned char *buffer);
void SetBlockReadForTests(BlockReadFn read);

} // namespace dvdc
