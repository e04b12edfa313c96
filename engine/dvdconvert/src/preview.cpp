// SPDX-License-Identifier: GPL-3.0-or-later
// Converter_BeginPreview / GetPreview2 / EndPreview.  Stepping moves one
// VOBU (about half a second) along the address map without decoding; only
// the still itself decodes, and only the one VOBU it starts at.
#include "preview.h"

#include "ifo_catalogue.h"
#include "instance.h"
#include "log.h"
#include "pack.h"
#include "picture.h"

#include <dvdread/nav_read.h>

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

namespace dvdc {

void PreviewStateDeleter::operator()(PreviewState *p) const { delete p; }

PreviewState::~PreviewState()
{
    if (file)
        DVDCloseFile(file);
    avcodec_free_context(&decoder);
    sws_freeContext(scaler);
}

std::vector<uint32_t> VobusInCells(const std::vector<ReadCell> &cells, const uint32_t *starts, size_t count)
{
    std::vector<uint32_t> out;
    for (const ReadCell &cell : cells) {
        const uint32_t *from = std::lower_bound(starts, starts + count, cell.first);
        const uint32_t *to = std::upper_bound(from, starts + count, cell.last);
        out.insert(out.end(), from, to);
    }
    return out;
}

namespace {

constexpr int kReadBlocks = 64;
constexpr uint32_t kMaxStillBlocks = 2048;   // 4 MB: no I-frame by then means none is coming

bool SortedAscending(const uint32_t *v, size_t n)
{
    for (size_t i = 1; i < n; ++i)
        if (v[i] < v[i - 1])
            return false;
    return true;
}

// The VOBU that follows the one starting at `sector`, found through its nav
// pack; 0 when there is none in the title.
uint32_t NextVobuByNav(PreviewState &p, uint32_t sector)
{
    auto cell = std::find_if(p.cells.begin(), p.cells.end(),
                             [&](const ReadCell &c) { return sector >= c.first && sector <= c.last; });
    if (cell == p.cells.end())
        return 0;
    uint8_t block[kBlockSize];
    uint32_t next = 0;
    if (DVDReadBlocks(p.file, static_cast<int>(sector), 1, block) == 1 && IsNavPack(block)) {
        dsi_t dsi;
        navRead_DSI(&dsi, block + kDsiOffset);
        uint32_t step = dsi.vobu_sri.next_vobu & 0x3fffffff;
        if (dsi.vobu_sri.next_vobu != SRI_END_OF_CELL && step > 0 && uint64_t(sector) + step <= cell->last)
            next = sector + step;
    }
    if (next)
        return next;
    ++cell;
    return cell == p.cells.end() ? 0 : cell->first;
}

// Decodes the first picture from `sector` on (within its cell).
AVFrame *DecodeStill(PreviewState &p, uint32_t sector)
{
    auto cell = std::find_if(p.cells.begin(), p.cells.end(),
                             [&](const ReadCell &c) { return sector >= c.first && sector <= c.last; });
    if (cell == p.cells.end())
        return nullptr;
    avcodec_flush_buffers(p.decoder);
    AVCodecParserContext *parser = av_parser_init(AV_CODEC_ID_MPEG2VIDEO);
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    std::vector<uint8_t> blocks(size_t(kReadBlocks) * kBlockSize);
    bool got = false;

    auto receive = [&] {
        while (!got) {
            int r = avcodec_receive_frame(p.decoder, frame);
            if (r < 0)
                return;
            got = true;
        }
    };
    auto feed = [&](const uint8_t *data, int size) {
        while ((size > 0 || !data) && !got) {
            uint8_t *out = nullptr;
            int outSize = 0;
            int used = av_parser_parse2(parser, p.decoder, &out, &outSize, data, size, AV_NOPTS_VALUE,
                                        AV_NOPTS_VALUE, 0);
            if (used < 0)
                return;
            if (outSize > 0) {
                packet->data = out;
                packet->size = outSize;
                if (avcodec_send_packet(p.decoder, packet) == 0)
                    receive();
            }
            if (!data)
                return;
            data += used;
            size -= used;
        }
    };

    uint32_t end = std::min<uint64_t>(cell->last, uint64_t(sector) + kMaxStillBlocks - 1);
    for (uint32_t s = sector; s <= end && !got;) {
        uint32_t n = std::min<uint32_t>(kReadBlocks, end - s + 1);
        ssize_t read = DVDReadBlocks(p.file, static_cast<int>(s), n, blocks.data());
        if (read <= 0) {
            ++s;   // an unreadable block: try the next one
            continue;
        }
        for (ssize_t b = 0; b < read && !got; ++b)
            ForEachPes(blocks.data() + b * kBlockSize, [&](const PesPacket &pes) {
                if (pes.streamId == 0xE0 && !pes.scrambled)
                    feed(pes.payload, pes.payloadSize);
            });
        s += static_cast<uint32_t>(read);
    }
    if (!got) {
        feed(nullptr, 0);   // the parser holds the last picture back until told the stream ended
        if (!got && avcodec_send_packet(p.decoder, nullptr) == 0)
            receive();
    }
    av_parser_close(parser);
    av_packet_free(&packet);
    if (!got)
        av_frame_free(&frame);
    return frame;
}

std::unique_ptr<PreviewState, PreviewStateDeleter> StartPreview(Instance &in, int title, std::string &error)
{
    const TitleCatalogue *found = in.Title(title, error);
    if (!found)
        return nullptr;
    const TitleCatalogue &t = *found;
    const ifo_handle_t *vts = in.disc->Vts(t.titleSet);
    if (!vts || t.chapterTimes.empty()) {
        error = "the title cannot be read";
        return nullptr;
    }
    std::unique_ptr<PreviewState, PreviewStateDeleter> p(new PreviewState);
    p->title = title;
    p->width = t.video.width;
    p->height = t.video.height;
    p->file = DVDOpenFile(in.disc->Reader(), t.titleSet, DVD_READ_TITLE_VOBS);
    ssize_t blocks = p->file ? DVDFileSize(p->file) : -1;
    if (blocks <= 0) {
        error = "the title's VOB files cannot be opened";
        return nullptr;
    }
    p->cells = CollectReadCells(*vts, t.vtsTitle, 0, static_cast<int>(t.chapterTimes.size()) - 1, 0,
                                static_cast<uint32_t>(blocks));
    if (p->cells.empty()) {
        error = "the title holds nothing to read";
        return nullptr;
    }
    const vobu_admap_t *map = vts->vts_vobu_admap;
    if (map && map->vobu_start_sectors && map->last_byte >= VOBU_ADMAP_SIZE) {
        size_t count = (map->last_byte + 1 - VOBU_ADMAP_SIZE) / 4;
        if (SortedAscending(map->vobu_start_sectors, count))
            p->vobus = VobusInCells(p->cells, map->vobu_start_sectors, count);
    }
    p->fromAddressMap = !p->vobus.empty();
    if (!p->fromAddressMap) {
        Log(1, "title %d: no usable VOBU address map, stepping along the nav packs", title + 1);
        p->vobus.push_back(p->cells.front().first);
    }
    const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_MPEG2VIDEO);
    p->decoder = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!p->decoder || avcodec_open2(p->decoder, codec, nullptr) < 0) {
        error = "no MPEG-2 video decoder";
        return nullptr;
    }
    return p;
}

} // namespace

} // namespace dvdc

using namespace dvdc;

extern "C" {

DVDCONVERT_API void Converter_BeginPreview(DCHandle h, int32_t title, int32_t)
{
    Instance *in = FindInstance(h);
    if (!in) {
        Log(1, "Converter_BeginPreview: no converter with handle %u", static_cast<unsigned>(h));
        return;
    }
    in->preview.reset();
    std::string error;
    in->preview = StartPreview(*in, title, error);
    if (!in->preview)
        in->SetLastError("preview of title " + std::to_string(int64_t(title) + 1) + ": " + error);
}

DVDCONVERT_API DCPicture *Converter_GetPreview2(DCHandle h, void *, int32_t flag)
{
    Instance *in = FindInstance(h);
    PreviewState *p = in ? in->preview.get() : nullptr;
    if (!p) {
        Log(1, "Converter_GetPreview2: no preview has begun");
        return nullptr;
    }
    if (flag == 0) {
        if (p->current + 1 < p->vobus.size()) {
            ++p->current;
        } else if (!p->fromAddressMap) {
            if (uint32_t next = NextVobuByNav(*p, p->vobus.back())) {
                p->vobus.push_back(next);
                ++p->current;
            }
        }
        return nullptr;   // at the title's last VOBU stepping stays there
    }
    AVFrame *frame = DecodeStill(*p, p->vobus[p->current]);
    if (!frame) {
        in->SetLastError("no picture found at this point of the title");
        return nullptr;
    }
    int32_t w = p->width > 0 ? p->width : frame->width, hgt = p->height > 0 ? p->height : frame->height;
    DCPicture *picture = FrameToPicture(*frame, w, hgt, p->scaler);
    av_frame_free(&frame);
    return picture;
}

DVDCONVERT_API void Converter_EndPreview(DCHandle h)
{
    if (Instance *in = FindInstance(h))
        in->preview.reset();
}

} // extern "C"
