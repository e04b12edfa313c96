// SPDX-License-Identifier: GPL-3.0-or-later
// The output file on its own: what happens to the sound while the pictures
// lag behind it.
#include "ConvertSupport.h"
#include "convert_encoders.h"
#include "dvdconvert.h"
#include "convert_log.h"
#include "convert_output.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

constexpr int kRate = 48000;
constexpr int kFps = 5;   // few pictures: the sound is what is looked at

int g_dropWarnings = 0;
void CountDropWarnings(int level, const char *message, void *)
{
    if (level == 1 && std::strstr(message, "dropping sound"))
        ++g_dropWarnings;
}

class OutputFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = ct::MakeTempDir();
        DVDConvert_SetLogHandler(&CountDropWarnings, nullptr);
        g_dropWarnings = 0;
        dvdc::VideoEncoderParams p;
        p.encoder = DC_CODEC_MPEG4;
        p.target = {160, 120, kFps, 1};
        p.kbps = 300;
        p.globalHeader = true;
        std::string error;
        AVCodecContext *enc = dvdc::OpenVideoEncoder(p, error);
        ASSERT_NE(enc, nullptr) << error;
        path = dir + "/out.mp4";
        file = dvdc::OutputFile::Create(path, p.encoder, p.target, enc, kRate, 128, error);
        ASSERT_TRUE(file) << error;
        file->SetVideoEncoder(enc);
        picture = av_frame_alloc();
        picture->format = AV_PIX_FMT_YUV420P;
        picture->width = 160;
        picture->height = 120;
        ASSERT_GE(av_frame_get_buffer(picture, 0), 0);
        sound = av_frame_alloc();
        sound->format = AV_SAMPLE_FMT_FLTP;
        sound->sample_rate = kRate;
        sound->nb_samples = 1024;
        av_channel_layout_default(&sound->ch_layout, 2);
        ASSERT_GE(av_frame_get_buffer(sound, 0), 0);
    }
    void TearDown() override
    {
        av_frame_free(&picture);
        av_frame_free(&sound);
        file.reset();
        DVDConvert_SetLogHandler(nullptr, nullptr);
        ct::RemoveTree(dir);
    }

    // `seconds` of a tone, following the sound pushed before.
    void PushTone(double hz, double seconds)
    {
        for (int64_t end = pushed + int64_t(seconds * kRate); pushed < end; pushed += sound->nb_samples) {
            ASSERT_GE(av_frame_make_writable(sound), 0);
            for (int i = 0; i < sound->nb_samples; ++i) {
                const float v = float(0.5 * std::sin(2 * M_PI * hz * double(pushed + i) / kRate));
                reinterpret_cast<float *>(sound->data[0])[i] = v;
                reinterpret_cast<float *>(sound->data[1])[i] = v;
            }
            std::string error;
            ASSERT_TRUE(file->PushAudio(sound, error)) << error;
        }
    }
    // Pictures up to `seconds` into the file.
    void EncodePicturesTo(double seconds)
    {
        for (; pictures < int(seconds * kFps); ++pictures) {
            ASSERT_GE(av_frame_make_writable(picture), 0);
            for (int plane = 0; plane < 3; ++plane)
                std::memset(picture->data[plane], 128, size_t(picture->linesize[plane]) * size_t(plane ? 60 : 120));
            std::string error;
            ASSERT_TRUE(file->EncodeVideo(picture, error)) << error;
        }
    }

    std::string dir, path;
    std::unique_ptr<dvdc::OutputFile> file;
    AVFrame *picture = nullptr, *sound = nullptr;
    int64_t pushed = 0;
    int pictures = 0;
};

TEST_F(OutputFileTest, SoundFarAheadOfThePicturesIsDroppedAndLaterSoundKeepsItsTime)
{
    constexpr double kCap = dvdc::OutputFile::kMaxAudioAheadSeconds;
    // Two minutes of sound while no picture comes.
    PushTone(440, 120);
    EXPECT_EQ(g_dropWarnings, 1);
    // The pictures catch up; more sound follows at its own time.
    EncodePicturesTo(130);
    PushTone(1000, 10);
    std::string error;
    ASSERT_TRUE(file->Finish(error)) << error;

    // Up to the cap the sound is there; past it, silence where the dropped
    // sound was; then the later sound where it belongs.
    EXPECT_NEAR(ct::ToneHz(path, 1), 440, 20);
    EXPECT_NEAR(ct::ToneHz(path, kCap - 2), 440, 20);
    EXPECT_LT(ct::SoundLevel(path, kCap + 1), 0.01);
    EXPECT_LT(ct::SoundLevel(path, 110), 0.01);
    EXPECT_NEAR(ct::ToneHz(path, 124), 1000, 40);
    EXPECT_NEAR(ct::ToneHz(path, 128), 1000, 40);
    EXPECT_EQ(g_dropWarnings, 1);
}

} // namespace
