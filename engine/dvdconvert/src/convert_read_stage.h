// SPDX-License-Identifier: GPL-3.0-or-later
// The reading stage, on the job's own thread: the title's bytes from the
// feed through the demuxer; every packet's time made continuous (the nav
// packs' clock restarts, then the normaliser for what they do not explain)
// and moved onto the job's timeline; picture packets and sound packets
// queued for their stages, subpictures decoded here.
#pragma once

#include "convert_pass.h"
#include "convert_timeline.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVIOContext;

namespace dvdc {

class ReadingStage {
public:
    // Sound and subpictures read before the first picture wait for it to fix
    // time zero; beyond this many they are dropped.
    static constexpr size_t kEarlyPackets = 4000;
    // A subpicture is multiplexed up to about this long (90 kHz ticks) after
    // the pictures it is shown on, as those travel ahead of their time.
    static constexpr int64_t kSubpictureLead = 90000;
    static constexpr size_t kHeldPictures = 120;   // well over a second of pictures
    // Sound this far (90 kHz ticks) past the last picture means the pictures
    // are missing from the title there: the last picture is held.
    static constexpr int64_t kPictureGap = 2 * 90000;

    struct Ports {
        BoundedQueue<PacketPtr> &pictures;   // to the pictures; closed when the reading ends
        BoundedQueue<PacketPtr> &sound;      // to the sound; likewise
        SubtitleTrack &subtitles;            // decoded here, blended by the pictures
        StreamParams &pictureParams;         // copied before the first packet of each is queued
        StreamParams &soundParams;
        bool wantSound;                      // false in a first pass, which needs only the pictures
    };

    ReadingStage(const JobRequest &request, RunControl &run, ReportQueue &reports, ReadFeed &feed, Ports ports);
    ~ReadingStage();
    ReadingStage(const ReadingStage &) = delete;
    ReadingStage &operator=(const ReadingStage &) = delete;

    bool Open(std::string &error);
    // Reads to the end of the range, or until the run stops; closes the
    // queues in every case.  false with `error` on a failure of its own.
    bool Run(std::string &error);

    // Where each chapter's pictures begin on the job's timeline, in the
    // order read; valid once Run returned.
    const std::vector<ChapterMark> &Marks() const { return marks_; }

private:
    static int ReadPacket(void *opaque, uint8_t *buf, int size);
    void MapStreams();
    void OnTimeline(AVPacket *pkt);
    // Handles a packet once time zero is known; false to stop reading.
    bool Forward(PacketPtr pkt, bool &ok, std::string &error);
    bool HandOn(PacketPtr pkt);
    bool PushPicture(PacketPtr pkt);
    bool ReleasePictures(bool all);
    // Queues a hold of the last picture up to `until`.
    bool HoldPicture(int64_t until);
    bool AfterRange(const AVPacket *pkt);
    void NoteChapter(const AVPacket &pkt);
    void ReportProgress();
    void Rebase(AVPacket *pkt) const;

    const JobRequest &request_;
    RunControl &run_;
    ReportQueue &reports_;
    ReadFeed &feed_;
    Ports ports_;
    AVIOContext *io_ = nullptr;
    AVFormatContext *demux_ = nullptr;
    SubpictureDecoder subpictures_;
    TimestampNormaliser timeline_;
    int videoStream_ = -1, audioStream_ = -1, subStream_ = -1;
    int64_t zero_ = AV_NOPTS_VALUE;
    std::deque<PacketPtr> early_;   // sound and subpictures read before the first picture
    // With a subpicture stream, pictures wait here until the reading has gone
    // kSubpictureLead past them, so every subpicture they show is decoded
    // before the picture thread blends them.
    std::deque<PacketPtr> held_;
    int64_t readThrough_ = AV_NOPTS_VALUE;    // the latest time read in any stream
    int64_t pictureThrough_ = AV_NOPTS_VALUE; // the latest picture time queued (or held)
    int64_t soundThrough_ = AV_NOPTS_VALUE;   // the end of the latest sound packet
    int64_t videoEnd_ = AV_NOPTS_VALUE;       // end of the range's last picture packet
    int64_t lastPos_ = 0;                     // parsed pictures may come without a position
    std::map<int, int64_t> streamPos_;        // each stream's last known position
    int64_t lastTimedPos_ = 0;                // the position the last packet was timed by
    std::vector<ChapterMark> marks_;
    int keyPictures_ = 0;                     // key pictures since the last chapter began
    int lastPercent_ = -1;
};

} // namespace dvdc
