// Conversions of program streams with one damaged timestamp: the file keeps
// the title's length and the sound goes on in its place after the damage.
#include "ConvertSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

constexpr int kPack = 2048;

std::vector<uint8_t> ReadAll(const std::string &path)
{
    std::vector<uint8_t> data;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        uint8_t buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            data.insert(data.end(), buf, buf + n);
        std::fclose(f);
    }
    return data;
}

int64_t GetTime(const uint8_t *p)
{
    return (int64_t(p[0] & 0x0E) << 29) | (int64_t(p[1]) << 22) | (int64_t(p[2] & 0xFE) << 14) |
           (int64_t(p[3]) << 7) | (p[4] >> 1);
}

void PutTime(uint8_t *p, int64_t t)
{
    t &= (int64_t(1) << 33) - 1;
    p[0] = uint8_t((p[0] & 0xF0) | ((t >> 29) & 0x0E) | 1);
    p[1] = uint8_t(t >> 22);
    p[2] = uint8_t(((t >> 14) & 0xFE) | 1);
    p[3] = uint8_t(t >> 7);
    p[4] = uint8_t(((t << 1) & 0xFE) | 1);
}

// Moves the time of the first timed packet of stream `id` (0xE0 pictures,
// 0xBD the AC3 sound) at or after byte `from` by `delta` ticks; the patched
// copy's path.
std::string PatchOneTime(const std::string &source, const std::string &out, uint8_t id, size_t from, int64_t delta)
{
    std::vector<uint8_t> d = ReadAll(source);
    for (size_t pos = from / kPack * kPack; pos + kPack <= d.size(); pos += kPack) {
        uint8_t *pack = d.data() + pos;
        const int header = 14 + (pack[13] & 7);
        uint8_t *pes = pack + header;
        if (pes[0] != 0 || pes[1] != 0 || pes[2] != 1 || pes[3] != id || !(pes[7] & 0x80))
            continue;
        PutTime(pes + 9, GetTime(pes + 9) + delta);
        if (pes[7] & 0x40)
            PutTime(pes + 14, GetTime(pes + 14) + delta);
        FILE *f = std::fopen(out.c_str(), "wb");
        std::fwrite(d.data(), 1, d.size(), f);
        std::fclose(f);
        return out;
    }
    return {};
}

class DamagedTimes : public ::testing::Test {
protected:
    void SetUp() override { dir = ct::MakeTempDir(); }
    void TearDown() override { ct::RemoveTree(dir); }

    // Converts `input` (made from `spec`) and finishes the file.
    void Convert(const ct::SourceSpec &spec, const std::string &input, const std::string &path)
    {
        dvdc::ConvertSession session;
        ct::Host host(session);
        dvdc::JobRequest request = host.Request(spec, path, ct::DefaultInfo(DC_CODEC_MPEG4));
        request.readers.clear();
        request.readers.push_back(std::make_unique<ct::FileTitleReader>(input));
        std::string error;
        ASSERT_TRUE(host.Start(std::move(request), &error)) << error;
        ct::Host::Seen end{};
        ASSERT_TRUE(host.WaitEnd(&end, 60));
        EXPECT_EQ(end.progress, 100);
        session.CloseFile();
    }
    std::string dir;
};

TEST_F(DamagedTimes, APictureOrSoundTimeFarOffKeepsTheLengthAndTheSound)
{
    ct::SourceSpec spec;
    spec.seconds = 8;
    spec.detailed = true;
    const std::string clean = ct::MakeSource(spec);
    const size_t middle = ReadAll(clean).size() / 2;
    struct Case {
        const char *name;
        uint8_t id;
        int64_t delta;
    };
    for (const Case c : {Case{"picture ahead", 0xE0, int64_t(600) * 90000},
                         Case{"picture behind", 0xE0, -int64_t(5) * 90000},
                         Case{"sound ahead", 0xBD, int64_t(3600) * 90000}}) {
        SCOPED_TRACE(c.name);
        const std::string input = PatchOneTime(clean, dir + "/damaged.vob", c.id, middle, c.delta);
        ASSERT_FALSE(input.empty());
        const std::string path = dir + "/out.mp4";
        Convert(spec, input, path);
        // The title's length, within a frame or two for the damaged spot.
        EXPECT_NEAR(ct::Duration(path), 8.0, 0.1);
        // Sound goes on after the damage, in its place.
        EXPECT_GT(ct::SoundLevel(path, 5.5), 0.1);
        EXPECT_NEAR(ct::ToneHz(path, 5.5), 440, 20);
        const auto audio = ct::PacketTimes(path, "a:0");
        ASSERT_FALSE(audio.empty());
        EXPECT_NEAR(audio.back(), 8.0, 0.15);
    }
}

} // namespace
