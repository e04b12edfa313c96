// SPDX-License-Identifier: GPL-3.0-or-later
// Output of each encoder code: format, picture, sound, timing; filters.
#include "ConvertSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class EncodeTest : public ::testing::Test {
protected:
    void SetUp() override { dir = ct::MakeTempDir(); }
    void TearDown() override { ct::RemoveTree(dir); }

    // Runs one job to its end and finishes the file.
    ct::Host::Seen Convert(const ct::SourceSpec &spec, const std::string &name, const dvdc::JobInfo &info)
    {
        ct::Host host(session);
        path = dir + "/" + name;
        std::string error;
        EXPECT_TRUE(host.Start(host.Request(spec, path, info), &error)) << error;
        ct::Host::Seen end{};
        EXPECT_TRUE(host.WaitEnd(&end));
        reports = host.reports;
        reasons = host.reasons;
        host.CloseFile();
        return end;
    }

    dvdc::ConvertSession session;
    std::string dir, path;
    std::vector<ct::Host::Seen> reports;
    std::vector<std::string> reasons;
};

struct CodecCase {
    int32_t encoder;
    const char *file;
    const char *video, *audio, *format;
    int sampleRate;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const CodecCase &c, std::ostream *os) { *os << c.video << " in " << c.format; }

class PerCodec : public EncodeTest, public ::testing::WithParamInterface<CodecCase> {};

TEST_P(PerCodec, OutputPlaysWithTheRightFormatPictureAndSound)
{
    const CodecCase c = GetParam();
    session.settings.sampleRate = c.sampleRate;
    session.settings.audioKbps = c.encoder == DC_CODEC_WMV ? 32 : 96;
    session.settings.videoKbps = 640;
    ct::SourceSpec spec;
    spec.seconds = 3.0;
    spec.colour = "0x2040C0";
    spec.toneHz = 1000;
    dvdc::JobInfo info = ct::DefaultInfo(c.encoder, 320, 240);
    info.rateNum = 25000;
    info.rateDen = 1000;
    auto end = Convert(spec, c.file, info);
    ASSERT_EQ(end.progress, 100) << (reasons.empty() ? "" : reasons[0]);
    EXPECT_EQ(end.state, 1);

    auto v = ct::Probe(path, "v:0");
    EXPECT_EQ(v["codec_name"], c.video);
    EXPECT_EQ(v["width"], "320");
    EXPECT_EQ(v["height"], "240");
    EXPECT_NE(v["format_name"].find(c.format), std::string::npos) << v["format_name"];
    if (c.encoder == DC_CODEC_H264) {
        EXPECT_EQ(v["profile"], "Constrained Baseline");
        EXPECT_EQ(v["level"], "30");
        EXPECT_EQ(v["has_b_frames"], "0");
    }
    if (c.encoder == DC_CODEC_MPEG4) {
        EXPECT_EQ(v["profile"], "Simple Profile");
        EXPECT_EQ(v["level"], "4");   // 4a: 320x240 above 384 kbit/s
        EXPECT_EQ(v["has_b_frames"], "0");
    }
    if (c.encoder != DC_CODEC_WMV) {
        EXPECT_EQ(v["avg_frame_rate"], "25/1");
    }
    auto a = ct::Probe(path, "a:0");
    EXPECT_EQ(a["codec_name"], c.audio);
    EXPECT_EQ(a["sample_rate"], std::to_string(c.sampleRate));
    EXPECT_EQ(a["channels"], "2");
    if (c.encoder != DC_CODEC_WMV) {
        EXPECT_EQ(a["profile"], "LC");
    }

    // 3 s of source at 25 frames per second.
    auto times = ct::PacketTimes(path, "v:0");
    ASSERT_FALSE(times.empty());
    EXPECT_NEAR(double(times.size()), 75.0, 1.0);
    EXPECT_NEAR(times.back() - times.front() + 0.04, 3.0, 0.045);
    auto audio = ct::PacketTimes(path, "a:0");
    ASSERT_FALSE(audio.empty());
    EXPECT_NEAR(audio.back() - times.back(), 0.0, 0.1);

    auto rgb = ct::FrameAt(path, 1.5, 320, 240);
    ASSERT_EQ(rgb.size(), size_t(320 * 240 * 3));
    auto m = ct::MeanRgb(rgb, 320, 100, 80, 120, 80);
    EXPECT_NEAR(m.r, 0x20, 12);
    EXPECT_NEAR(m.g, 0x40, 12);
    EXPECT_NEAR(m.b, 0xC0, 12);
    EXPECT_NEAR(ct::ToneHz(path, 1.0), 1000.0, 15.0);

    // Progress rose to the end, which came exactly once.
    int ends = 0;
    for (auto &r : reports)
        ends += r.state == 1 || r.progress < 0;
    EXPECT_EQ(ends, 1);
}

INSTANTIATE_TEST_SUITE_P(Codes, PerCodec,
                         ::testing::Values(CodecCase{DC_CODEC_H264, "h264.mp4", "h264", "aac", "mp4", 44100},
                                           CodecCase{DC_CODEC_MPEG4, "mpeg4.mp4", "mpeg4", "aac", "mp4", 48000},
                                           CodecCase{DC_CODEC_WMV, "wmv.wmv", "wmv2", "wmav2", "asf", 32000}),
                         [](const auto &i) { return std::string(i.param.video); });

} // namespace

namespace {

TEST_F(EncodeTest, KeepAspectBoxesAWidePictureAndOtherwiseStretchesIt)
{
    ct::SourceSpec wide;
    wide.wide = true;
    wide.colour = "0xE0E0E0";
    dvdc::JobInfo info = ct::DefaultInfo(DC_CODEC_H264, 320, 240);
    info.keepAspect = 1;
    info.deinterlace = 1;
    ASSERT_EQ(Convert(wide, "boxed.mp4", info).progress, 100);
    auto boxed = ct::FrameAt(path, 1.0, 320, 240);
    // 16:9 in 4:3: 320x180 in the middle, 30 black lines above and below.
    EXPECT_LT(ct::MeanRgb(boxed, 320, 0, 2, 320, 24).g, 30);
    EXPECT_LT(ct::MeanRgb(boxed, 320, 0, 214, 320, 24).g, 30);
    EXPECT_GT(ct::MeanRgb(boxed, 320, 0, 36, 320, 168).g, 200);

    info.keepAspect = 0;
    ASSERT_EQ(Convert(wide, "stretched.mp4", info).progress, 100);
    auto stretched = ct::FrameAt(path, 1.0, 320, 240);
    EXPECT_GT(ct::MeanRgb(stretched, 320, 0, 2, 320, 24).g, 200);

    // A 4:3 picture into a wide frame gets bars at the sides.
    ct::SourceSpec narrow;
    narrow.colour = "0xE0E0E0";
    info = ct::DefaultInfo(DC_CODEC_MPEG4, 480, 272);
    info.keepAspect = 1;
    ASSERT_EQ(Convert(narrow, "pillar.mp4", info).progress, 100);
    auto pillar = ct::FrameAt(path, 1.0, 480, 272);
    EXPECT_LT(ct::MeanRgb(pillar, 480, 2, 0, 50, 272).g, 30);
    EXPECT_LT(ct::MeanRgb(pillar, 480, 428, 0, 50, 272).g, 30);
    EXPECT_GT(ct::MeanRgb(pillar, 480, 70, 0, 340, 272).g, 200);
}

TEST_F(EncodeTest, CropsAreCutFromTheSourceBeforeScaling)
{
    ct::SourceSpec framed;
    framed.border = true;
    framed.colour = "0x203080";
    dvdc::JobInfo info = ct::DefaultInfo(DC_CODEC_H264, 360, 240);
    ASSERT_EQ(Convert(framed, "framed.mp4", info).progress, 100);
    auto whole = ct::FrameAt(path, 1.0, 360, 240);
    EXPECT_GT(ct::MeanRgb(whole, 360, 0, 0, 360, 12).g, 200);   // the frame shows

    session.settings.cropTop = session.settings.cropBottom = 40;
    session.settings.cropLeft = session.settings.cropRight = 40;
    ASSERT_EQ(Convert(framed, "cropped.mp4", info).progress, 100);
    auto cropped = ct::FrameAt(path, 1.0, 360, 240);
    EXPECT_LT(ct::MeanRgb(cropped, 360, 0, 0, 360, 6).g, 100);
    EXPECT_LT(ct::MeanRgb(cropped, 360, 0, 0, 6, 240).g, 100);
    EXPECT_LT(ct::MeanRgb(cropped, 360, 354, 0, 6, 240).g, 100);
}

TEST_F(EncodeTest, ColourVolumeAndSoundOffsetTakeEffect)
{
    ct::SourceSpec spec;
    spec.seconds = 3;
    spec.colour = "0x606060";
    spec.toneStart = 1.0;
    dvdc::JobInfo info = ct::DefaultInfo(DC_CODEC_MPEG4, 320, 240);
    ASSERT_EQ(Convert(spec, "plain.mp4", info).progress, 100);
    const double grey = ct::MeanRgb(ct::FrameAt(path, 1.0, 320, 240), 320, 100, 80, 120, 80).g;
    const double level = ct::SoundLevel(path, 1.5);
    const double onset = ct::SoundOnset(path);
    EXPECT_NEAR(onset, 1.0, 0.05);

    session.settings.brightness = 0.3f;
    session.settings.volume = 0.25f;
    session.settings.audioOffsetMs = 400;   // sound ahead of the picture
    ASSERT_EQ(Convert(spec, "adjusted.mp4", info).progress, 100);
    EXPECT_GT(ct::MeanRgb(ct::FrameAt(path, 1.0, 320, 240), 320, 100, 80, 120, 80).g, grey + 40);
    EXPECT_NEAR(ct::SoundLevel(path, 1.5) / level, 0.25, 0.05);
    EXPECT_NEAR(ct::SoundOnset(path), 0.6, 0.05);

    session.settings.brightness = 0;
    session.settings.saturation = -1.0f;   // no colour at all
    session.settings.volume = 1.0f;
    session.settings.audioOffsetMs = -400;   // sound behind
    spec.colour = "0xC02020";
    ASSERT_EQ(Convert(spec, "delayed.mp4", info).progress, 100);
    auto m = ct::MeanRgb(ct::FrameAt(path, 1.0, 320, 240), 320, 100, 80, 120, 80);
    EXPECT_NEAR(m.r, m.g, 8);
    EXPECT_NEAR(m.g, m.b, 8);
    EXPECT_NEAR(ct::SoundOnset(path), 1.4, 0.05);
    // The whole length stays: sound and picture end together.
    auto video = ct::PacketTimes(path, "v:0");
    auto audio = ct::PacketTimes(path, "a:0");
    ASSERT_FALSE(video.empty());
    ASSERT_FALSE(audio.empty());
    EXPECT_NEAR(audio.back(), video.back(), 0.1);
}

TEST_F(EncodeTest, PalTitleKeepsItsOwnRateAndDurationWithoutSound)
{
    ct::SourceSpec pal;
    pal.pal = true;
    pal.seconds = 2;
    dvdc::JobInfo info = ct::DefaultInfo(DC_CODEC_WMV, 320, 240);
    info.audioStream = 0;   // no sound chosen: silence of the same length
    dvdc::JobRequest request;
    ct::Host host(session);
    path = dir + "/pal.wmv";
    request = host.Request(pal, path, info);
    ASSERT_TRUE(host.Start(std::move(request)));
    ASSERT_TRUE(host.WaitEnd());
    host.CloseFile();
    auto video = ct::PacketTimes(path, "v:0");
    EXPECT_EQ(video.size(), 50u);
    EXPECT_NEAR(ct::SoundLevel(path, 0.5), 0.0, 0.001);
    auto audio = ct::PacketTimes(path, "a:0");
    ASSERT_FALSE(audio.empty());
    EXPECT_NEAR(audio.back(), video.back(), 0.1);
}

} // namespace
