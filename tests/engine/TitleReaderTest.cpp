// SPDX-License-Identifier: GPL-3.0-or-later
// The title reader on the authored discs, checked through FFmpeg's program
// stream demuxer the way the conversion reads it.
#include "EngineTestSupport.h"
#include "disc.h"
#include "instance.h"
#include "title_reader.h"

#include <gtest/gtest.h>

#include <set>

extern "C" {
#include <libavformat/avformat.h>
}

using namespace enginetest;

namespace {

struct DemuxResult {
    int videoFrames = 0;
    std::set<int> streamIds;
    bool dtsIncreasing = true;
    int64_t bytes = 0;
};

int ReadPacket(void *opaque, uint8_t *buffer, int size)
{
    int n = static_cast<dvdc::TitleReader *>(opaque)->Read(buffer, size);
    return n > 0 ? n : AVERROR_EOF;
}

DemuxResult Demux(dvdc::TitleReader &reader)
{
    DemuxResult r;
    constexpr int kBuffer = 32768;
    auto *buffer = static_cast<uint8_t *>(av_malloc(kBuffer));
    AVIOContext *io = avio_alloc_context(buffer, kBuffer, 0, &reader, ReadPacket, nullptr, nullptr);
    AVFormatContext *fmt = avformat_alloc_context();
    fmt->pb = io;
    EXPECT_EQ(avformat_open_input(&fmt, nullptr, av_find_input_format("mpeg"), nullptr), 0);
    avformat_find_stream_info(fmt, nullptr);
    AVPacket *packet = av_packet_alloc();
    int64_t lastDts = INT64_MIN;
    int64_t lastPos = 0;
    while (av_read_frame(fmt, packet) >= 0) {
        AVStream *st = fmt->streams[packet->stream_index];
        r.streamIds.insert(st->id);
        // As the conversion does: a frame the parser joined (pos -1) takes
        // the position read before it.
        if (packet->pos >= 0)
            lastPos = packet->pos;
        int64_t offset = reader.TimestampOffsetAt(lastPos);
        if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            ++r.videoFrames;
            if (packet->dts != AV_NOPTS_VALUE) {
                int64_t dts = packet->dts + offset;
                if (dts <= lastDts)
                    r.dtsIncreasing = false;
                lastDts = dts;
            }
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avformat_close_input(&fmt);
    av_freep(&io->buffer);
    avio_context_free(&io);
    r.bytes = reader.BytesRead();
    return r;
}

class TitleReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        h = OpenConverter(Disc("ntsc.iso"));
        ASSERT_NE(h, 0u);
        instance = dvdc::FindInstance(h);
    }
    void TearDown() override { CloseConverter(h); }
    std::unique_ptr<dvdc::TitleReader> Open(int title, int first, int last, int angle = 0)
    {
        error.clear();
        return dvdc::OpenTitleReader(*instance, title, first, last, angle, error);
    }
    DCHandle h = 0;
    dvdc::Instance *instance = nullptr;
    std::string error;
};

} // namespace

// The demuxer's id for a catalogue stream id.
int DemuxerId(int streamId) { return streamId >= 0xC0 ? 0x100 + streamId : streamId; }

// Chapters are separate clips whose clocks each start again: every frame
// arrives once, every stream the catalogue lists is in the stream, and the
// running offset keeps the decode times increasing across the restarts.
TEST(TitleReader, EveryTitleReadsItsFramesAndListedStreams)
{
    for (auto [name, layout] : {std::pair{"ntsc.iso", &kNtscDisc}, std::pair{"pal", &kPalDisc}}) {
        DCHandle h = OpenConverter(Disc(name));
        ASSERT_NE(h, 0u);
        for (int t = 0; t < int(layout->size()); ++t) {
            SCOPED_TRACE(std::string(name) + " title " + std::to_string(t));
            const AuthoredTitle &want = (*layout)[size_t(t)];
            std::string error;
            int last = int(want.chapterFrames.size()) - 1;
            auto reader = dvdc::OpenTitleReader(*dvdc::FindInstance(h), t, 0, last, 0, error);
            ASSERT_TRUE(reader) << error;
            DemuxResult r = Demux(*reader);
            int frames = 0;
            for (int f : want.chapterFrames)
                frames += f;
            EXPECT_EQ(r.videoFrames, frames);
            EXPECT_TRUE(r.dtsIncreasing);
            EXPECT_EQ(r.bytes, reader->TotalBytes());
            EXPECT_TRUE(r.streamIds.count(0x1E0));
            for (int a = 0; a < Converter_GetAudioCount(h, t); ++a) {
                TAudioInfo info{};
                Converter_GetAudioInfo(h, t, a, &info);
                EXPECT_TRUE(r.streamIds.count(DemuxerId(info.streamId))) << std::hex << info.streamId;
            }
            for (int s = 0; s < Converter_GetSubCount(h, t); ++s) {
                TSubInfo info{};
                Converter_GetSubInfo(h, t, s, &info);
                EXPECT_TRUE(r.streamIds.count(info.streamId)) << std::hex << info.streamId;
            }
        }
        CloseConverter(h);
    }
}

TEST_F(TitleReaderTest, ChapterRangesReadOnlyTheirChapters)
{
    auto all = Open(0, 0, 2);
    auto middle = Open(0, 1, 1);
    auto tail = Open(0, 1, 2);
    ASSERT_TRUE(all && middle && tail) << error;
    EXPECT_EQ(Demux(*middle).videoFrames, 30);
    EXPECT_EQ(Demux(*tail).videoFrames, 33);
    EXPECT_EQ(middle->TotalBytes() + Open(0, 2, 2)->TotalBytes(), tail->TotalBytes());
    EXPECT_LT(tail->TotalBytes(), all->TotalBytes());
    Demux(*all);
    uint8_t block[2048];
    EXPECT_EQ(all->Read(block, sizeof block), 0);   // stays at its end
    EXPECT_EQ(all->Read(block, sizeof block), 0);
}

TEST_F(TitleReaderTest, ReadSizeDoesNotChangeTheStream)
{
    auto big = Open(1, 0, 0);
    auto small = Open(1, 0, 0);
    ASSERT_TRUE(big && small) << error;
    std::vector<uint8_t> a, b;
    uint8_t buffer[65536];
    for (int n; (n = big->Read(buffer, sizeof buffer)) > 0;)
        a.insert(a.end(), buffer, buffer + n);
    for (int n; (n = small->Read(buffer, 777)) > 0;)
        b.insert(b.end(), buffer, buffer + n);
    EXPECT_EQ(a.size() % 2048, 0u);
    EXPECT_GT(a.size(), 0u);
    EXPECT_TRUE(a == b);
}

TEST_F(TitleReaderTest, RangesOutsideTheTitleAreRefused)
{
    EXPECT_FALSE(Open(0, 2, 1));
    EXPECT_FALSE(Open(0, 0, 3));
    EXPECT_FALSE(Open(0, -1, 0));
    EXPECT_FALSE(Open(3, 0, 0));
    EXPECT_FALSE(Open(-1, 0, 0));
    EXPECT_FALSE(Open(0, 0, 0, 1));   // one angle only
    EXPECT_FALSE(error.empty());
    dvdc::Instance empty;
    EXPECT_FALSE(dvdc::OpenTitleReader(empty, 0, 0, 0, 0, error));
}
