// SPDX-License-Identifier: GPL-3.0-or-later
// Converter_ScanTitle: what a title's pictures hold, from about three
// seconds decoded at each of five places spread over it, judged by the
// rules the "DeInterlace" filter follows (picture_fields.h).
#include "dvdconvert_scan.h"

#include "convert_fields.h"
#include "convert_log.h"
#include "convert_pass.h"
#include "disc.h"
#include "instance.h"
#include "log.h"
#include "pack.h"
#include "preview.h"
#include "title_reader.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>

namespace dvdc {

namespace {

constexpr int kPlaces = 5;
constexpr int kPlaceFrames = 90;          // about three seconds
constexpr uint32_t kPlaceBlocks = 2048;   // 4 MB: the most read at one place
constexpr int kReadBlocks = 64;
constexpr int kFewestFrames = 10;         // fewer tell nothing

struct PlaceTally {
    int frames = 0, flaggedProgressive = 0, repeating = 0;
    LookCounts looks;   // of the frames flagged interlaced
};

int KindOf(const PlaceTally &t)
{
    if (t.frames < kFewestFrames)
        return DC_CONTENT_UNKNOWN;
    if (t.flaggedProgressive * 10 >= t.frames * 9)
        return t.repeating * 5 >= t.frames ? DC_CONTENT_SOFT_FILM : DC_CONTENT_PROGRESSIVE;
    if (Telecined(t.looks))
        return DC_CONTENT_HARD_FILM;
    if (t.looks.combed > t.looks.whole)
        return DC_CONTENT_INTERLACED;
    return t.looks.whole > 0 ? DC_CONTENT_PROGRESSIVE : DC_CONTENT_UNKNOWN;
}

bool SameSize(const AVFrame &a, const AVFrame &b) { return a.width == b.width && a.height == b.height; }

// Tallies decoded frames, judging each once the one after it has come.
class PlaceJudge {
public:
    void Add(FramePtr frame)
    {
        ++tally.frames;
        if (!frame->interlaced_frame) {
            ++tally.flaggedProgressive;
            tally.repeating += frame->repeat_pict > 0;
        }
        if (current_)
            Judge(frame.get());
        previous_ = std::move(current_);
        current_ = std::move(frame);
    }
    void End()
    {
        if (current_)
            Judge(nullptr);
    }
    PlaceTally tally;

private:
    void Judge(const AVFrame *next)
    {
        if (!current_->interlaced_frame || !JudgeableFrame(*current_))
            return;
        const AVFrame *prev = previous_ && SameSize(*previous_, *current_) ? previous_.get() : nullptr;
        next = next && SameSize(*next, *current_) ? next : nullptr;
        const LumaPlane p = prev ? LumaOf(*prev) : LumaPlane{}, n = next ? LumaOf(*next) : LumaPlane{};
        tally.looks.Add(
            JudgeFields(prev ? &p : nullptr, LumaOf(*current_), next ? &n : nullptr, current_->top_field_first != 0)
                .look);
    }
    FramePtr previous_, current_;
};

// The pictures of a video elementary stream, fed piece by piece, to `judge`.
class PlaceDecoder {
public:
    PlaceDecoder(AVCodecContext *decoder, PlaceJudge &judge)
        : decoder_(decoder), judge_(judge), parser_(av_parser_init(AV_CODEC_ID_MPEG2VIDEO)), packet_(av_packet_alloc())
    {
        avcodec_flush_buffers(decoder);
    }
    ~PlaceDecoder() { av_parser_close(parser_); }
    PlaceDecoder(const PlaceDecoder &) = delete;
    PlaceDecoder &operator=(const PlaceDecoder &) = delete;

    void Feed(const uint8_t *data, int size)
    {
        while (parser_ && packet_ && size > 0) {
            uint8_t *out = nullptr;
            int outSize = 0;
            const int used = av_parser_parse2(parser_, decoder_, &out, &outSize, data, size, AV_NOPTS_VALUE,
                                              AV_NOPTS_VALUE, 0);
            if (used < 0)
                return;
            if (outSize > 0) {
                packet_->data = out;
                packet_->size = outSize;
                if (avcodec_send_packet(decoder_, packet_.get()) >= 0)
                    Receive();
            }
            data += used;
            size -= used;
        }
    }
    // The parser's last picture may be cut short: only the decoder's are let out.
    void End()
    {
        if (avcodec_send_packet(decoder_, nullptr) >= 0)
            Receive();
        judge_.End();
    }

private:
    void Receive()
    {
        for (;;) {
            FramePtr frame(av_frame_alloc());
            if (!frame || avcodec_receive_frame(decoder_, frame.get()) < 0)
                return;
            judge_.Add(std::move(frame));
        }
    }
    AVCodecContext *decoder_;
    PlaceJudge &judge_;
    AVCodecParserContext *parser_;
    PacketPtr packet_;
};

// Decodes from `sector` on, within [sector, last], until enough frames.
PlaceTally ScanPlace(dvd_file_t *file, AVCodecContext *decoder, uint32_t sector, uint32_t last)
{
    PlaceJudge judge;
    PlaceDecoder decode(decoder, judge);
    std::vector<uint8_t> blocks(size_t(kReadBlocks) * kBlockSize);
    const uint32_t end = uint32_t(std::min<uint64_t>(last, uint64_t(sector) + kPlaceBlocks - 1));
    for (uint32_t s = sector; s <= end && judge.tally.frames < kPlaceFrames;) {
        const uint32_t n = std::min<uint32_t>(kReadBlocks, end - s + 1);
        const ssize_t got = DVDReadBlocks(file, int(s), n, blocks.data());
        if (got <= 0) {
            ++s;   // an unreadable block: on to the next
            continue;
        }
        for (ssize_t b = 0; b < got; ++b)
            ForEachPes(blocks.data() + b * kBlockSize, [&](const PesPacket &pes) {
                if (pes.streamId == 0xE0 && !pes.scrambled)
                    decode.Feed(pes.payload, pes.payloadSize);
            });
        s += uint32_t(got);
    }
    decode.End();
    return judge.tally;
}

// Where to look: VOBU starts spread evenly over the title, or its cells'
// starts without an address map.
std::vector<uint32_t> PlaceStarts(const ifo_handle_t &vts, const std::vector<ReadCell> &cells)
{
    std::vector<uint32_t> starts;
    if (const vobu_admap_t *map = vts.vts_vobu_admap;
        map && map->vobu_start_sectors && map->last_byte >= VOBU_ADMAP_SIZE) {
        const size_t count = (map->last_byte + 1 - VOBU_ADMAP_SIZE) / 4;
        if (std::is_sorted(map->vobu_start_sectors, map->vobu_start_sectors + count))
            starts = VobusInCells(cells, map->vobu_start_sectors, count);
    }
    if (starts.empty())
        for (const ReadCell &c : cells)
            starts.push_back(c.first);
    std::vector<uint32_t> places;
    for (size_t p = 0; p < size_t(kPlaces); ++p)
        places.push_back(starts[(2 * p + 1) * starts.size() / (2 * kPlaces)]);
    return places;
}

int ScanTitle(Instance &in, int title, std::string &error)
{
    const TitleCatalogue *found = in.Title(title, error);
    if (!found)
        return -1;
    const TitleCatalogue &t = *found;
    const ifo_handle_t *vts = in.disc->Vts(t.titleSet);
    dvd_file_t *file = vts && !t.chapterTimes.empty()
                           ? DVDOpenFile(in.disc->Reader(), t.titleSet, DVD_READ_TITLE_VOBS)
                           : nullptr;
    const ssize_t size = file ? DVDFileSize(file) : -1;
    const std::vector<ReadCell> cells =
        size > 0 ? CollectReadCells(*vts, t.vtsTitle, 0, int(t.chapterTimes.size()) - 1, 0, uint32_t(size))
                 : std::vector<ReadCell>{};
    const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_MPEG2VIDEO);
    AVCodecContext *decoder = codec && !cells.empty() ? avcodec_alloc_context3(codec) : nullptr;
    int kind = -1;
    if (!decoder || avcodec_open2(decoder, codec, nullptr) < 0) {
        error = cells.empty() ? "the title cannot be read" : "no MPEG-2 video decoder";
    } else {
        kind = DC_CONTENT_UNKNOWN;
        for (uint32_t sector : PlaceStarts(*vts, cells)) {
            const auto cell = std::find_if(cells.begin(), cells.end(),
                                           [&](const ReadCell &c) { return sector >= c.first && sector <= c.last; });
            const int here = cell == cells.end() ? DC_CONTENT_UNKNOWN
                                                 : KindOf(ScanPlace(file, decoder, sector, cell->last));
            Log(2, "title %d at sector %u: content kind %d", title + 1, sector, here);
            if (here != DC_CONTENT_UNKNOWN)
                kind = kind == DC_CONTENT_UNKNOWN || kind == here ? here : DC_CONTENT_MIXED;
        }
    }
    avcodec_free_context(&decoder);
    if (file)
        DVDCloseFile(file);
    return kind;
}

} // namespace

} // namespace dvdc

using namespace dvdc;

extern "C" {

DVDCONVERT_API int32_t Converter_ScanTitle(DCHandle h, int32_t title)
{
    Instance *in = FindInstance(h);
    if (!in) {
        Log(1, "Converter_ScanTitle: no converter with handle %u", static_cast<unsigned>(h));
        return -1;
    }
    RouteLibraryLog();
    std::string error;
    const int kind = ScanTitle(*in, title, error);
    if (kind < 0)
        in->SetLastError("scan of title " + std::to_string(int64_t(title) + 1) + ": " + error);
    return kind;
}

} // extern "C"
