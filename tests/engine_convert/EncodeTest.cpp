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
        session.CloseFile();
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
