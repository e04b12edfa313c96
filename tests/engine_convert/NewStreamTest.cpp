// SPDX-License-Identifier: GPL-3.0-or-later
// Streams that turn up while the title is being converted: the demuxer
// grows its stream array on the reading thread while the picture thread
// decodes.  Run under ThreadSanitizer (the threaded pass) this catches any
// look from another thread into the demuxer's streams.
#include "ConvertSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>

namespace {

constexpr int kPack = 2048;

// A title reader over a program stream that slips in packs of streams never
// seen before: a burst of them just after the second picture begins (the
// demuxer hands on the first picture then, and the picture thread starts on
// it), then one every `spacing` packs through the title.
class NewStreamReader : public dvdc::TitleReader {
public:
    // `inserted` counts the packs slipped in; the test reads it after the job.
    NewStreamReader(const std::string &path, int spacing, std::shared_ptr<std::atomic<int>> inserted)
        : file_(path), spacing_(spacing), count_(std::move(inserted))
    {
    }

    int Read(uint8_t *buffer, int size) override
    {
        int n = 0;
        while (n + kPack <= size) {
            if (InsertHere()) {
                MakePack(buffer + n);
                ++inserted_;
                ++*count_;
            } else {
                const int got = file_.Read(buffer + n, kPack);
                if (got < kPack)
                    break;
                std::memcpy(last_, buffer + n, kPack);
                haveLast_ = true;
                ++packs_;
                pictures_ += PictureStarts(last_);
                sinceInsert_ = 0;
            }
            n += kPack;
        }
        return n;
    }
    int64_t BytesRead() const override { return file_.BytesRead(); }
    int64_t TotalBytes() const override { return file_.TotalBytes(); }
    int64_t TimestampOffsetAt(int64_t) const override { return 0; }

private:
    static constexpr int kBurst = 24;
    static constexpr int kIds = 31 + 7 + 7;

    // Subpicture ids 0x21.., sound ids 0x81..0x87 and 0x89..0x8F, each used once.
    int NextId() const
    {
        return inserted_ < 31 ? 0x21 + inserted_ : inserted_ < 38 ? 0x81 + (inserted_ - 31) : 0x89 + (inserted_ - 38);
    }

    // Picture start codes in a picture pack.
    static int PictureStarts(const uint8_t *pack)
    {
        const int header = 14 + (pack[13] & 7);
        if (pack[header + 3] != 0xE0)
            return 0;
        int found = 0;
        for (int i = header + 6; i + 3 < kPack; ++i)
            found += pack[i] == 0 && pack[i + 1] == 0 && pack[i + 2] == 1 && pack[i + 3] == 0;
        return found;
    }

    bool InsertHere()
    {
        if (!haveLast_ || inserted_ >= kIds)
            return false;
        if (pictures_ >= 2 && inserted_ < kBurst)
            return true;
        if (inserted_ >= kBurst && sinceInsert_ == 0 && packs_ % spacing_ == 0) {
            sinceInsert_ = 1;
            return true;
        }
        return false;
    }

    // A private-stream pack with the previous pack's header and a payload of
    // zeros under a new sub-stream id.
    void MakePack(uint8_t *out) const
    {
        std::memset(out, 0, kPack);
        const int header = 14 + (last_[13] & 7);
        std::memcpy(out, last_, size_t(header));
        uint8_t *p = out + header;
        const int length = kPack - header - 6;
        p[0] = 0;
        p[1] = 0;
        p[2] = 1;
        p[3] = 0xBD;
        p[4] = uint8_t(length >> 8);
        p[5] = uint8_t(length & 0xFF);
        p[6] = 0x81;   // MPEG-2 PES, no timestamps
        p[7] = 0x00;
        p[8] = 0x00;
        p[9] = uint8_t(NextId());
    }

    ct::FileTitleReader file_;
    int spacing_;
    uint8_t last_[kPack]{};
    bool haveLast_ = false;
    int packs_ = 0, pictures_ = 0, inserted_ = 0, sinceInsert_ = 0;
    std::shared_ptr<std::atomic<int>> count_;
};

class NewStreams : public ::testing::Test {
protected:
    void SetUp() override { dir = ct::MakeTempDir(); }
    void TearDown() override { ct::RemoveTree(dir); }
    std::string dir;
};

TEST_F(NewStreams, StreamsAppearingWhilePicturesDecodeLeaveTheConversionWhole)
{
    ct::SourceSpec spec;
    spec.seconds = 3;
    spec.detailed = true;
    dvdc::ConvertSession session;
    ct::Host host(session);
    const std::string path = dir + "/streams.mp4";
    // Every pass of the loop is a fresh race: the decoder thread starts on
    // its first picture while new streams are being added.
    for (int round = 0; round < 4; ++round) {
        dvdc::JobRequest request = host.Request(spec, path, ct::DefaultInfo(DC_CODEC_MPEG4));
        auto inserted = std::make_shared<std::atomic<int>>(0);
        request.readers.clear();
        request.readers.push_back(std::make_unique<NewStreamReader>(ct::MakeSource(spec), 40, inserted));
        std::string error;
        ASSERT_TRUE(host.Start(std::move(request), &error)) << error;
        ct::Host::Seen end{};
        ASSERT_TRUE(host.WaitEnd(&end));
        EXPECT_EQ(end.progress, 100) << (host.reasons.empty() ? "" : host.reasons.back());
        EXPECT_EQ(end.state, 1);
        // The streams really appeared, at the start and in the middle.
        EXPECT_GE(inserted->load(), 40);
        host.CloseFile();
        EXPECT_NEAR(ct::Duration(path), 3.0, 0.1);
        EXPECT_EQ(ct::Probe(path, "a:0")["codec_name"], "aac");
        EXPECT_GT(ct::SoundLevel(path, 1.5), 0.1);
    }
}

} // namespace
