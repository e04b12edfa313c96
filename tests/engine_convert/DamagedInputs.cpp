// SPDX-License-Identifier: GPL-3.0-or-later
#include "DamagedInputs.h"
#include "ConvertSupport.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace ct {

namespace {

constexpr int kPack = 2048;

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

// The PES packet of a pack of stream `id` that carries a time; null otherwise.
uint8_t *TimedPes(uint8_t *pack, uint8_t id)
{
    const int header = 14 + (pack[13] & 7);
    uint8_t *pes = pack + header;
    if (pes[0] != 0 || pes[1] != 0 || pes[2] != 1 || pes[3] != id || !(pes[7] & 0x80))
        return nullptr;
    return pes;
}

void Shift(uint8_t *pes, int64_t delta)
{
    PutTime(pes + 9, GetTime(pes + 9) + delta);
    if (pes[7] & 0x40)
        PutTime(pes + 14, GetTime(pes + 14) + delta);
}

} // namespace

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

void WriteAll(const std::string &path, const std::vector<uint8_t> &data)
{
    if (FILE *f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data.data(), 1, data.size(), f);
        std::fclose(f);
    }
}

std::string PatchOneTime(const std::string &source, const std::string &out, uint8_t id, size_t from, int64_t delta)
{
    std::vector<uint8_t> d = ReadAll(source);
    for (size_t pos = from / kPack * kPack; pos + kPack <= d.size(); pos += kPack) {
        if (uint8_t *pes = TimedPes(d.data() + pos, id)) {
            Shift(pes, delta);
            WriteAll(out, d);
            return out;
        }
    }
    return {};
}

int ShiftAllTimesFrom(std::vector<uint8_t> &d, size_t from, int64_t delta)
{
    int moved = 0;
    for (size_t pos = from / kPack * kPack; pos + kPack <= d.size(); pos += kPack)
        for (const uint8_t id : {uint8_t(0xE0), uint8_t(0xBD)})
            if (uint8_t *pes = TimedPes(d.data() + pos, id)) {
                Shift(pes, delta);
                ++moved;
            }
    return moved;
}

std::string MakeBeatSource(const std::string &dir, const BeatSource &s)
{
    std::ostringstream gap, path, cmd;
    gap << "between(t\\," << s.gapFrom << "\\," << s.gapTo << ")";
    path << dir << "/beats_" << (s.gap.empty() ? "whole" : s.gap) << "_" << s.soundSeconds << "_" << s.seconds << "_"
         << s.gapFrom << "_" << s.gapTo << ".vob";
    // Sound in AC3-sized frames, so leaving frames out leaves no partial one.
    cmd << "ffmpeg -v error -y -f lavfi -i \"color=c=0x202020:s=720x480:r=30000/1001:d=" << s.seconds << ","
        << "drawbox=c=white:t=fill:enable='lt(mod(n\\,30)\\,2)'"
        << (s.gap == "video" ? ",select='not(" + gap.str() + ")'" : "") << "\""
        << " -f lavfi -i \"aevalsrc='if(lt(mod(t\\," << kBeatSeconds << ")\\,0.3)\\,0.5*sin(2*PI*440*t)\\,0)'"
        << ":s=48000:d=" << s.soundSeconds << ",asetnsamples=n=1536"
        << (s.gap == "audio" ? ",aselect='not(" + gap.str() + ")'" : "") << "\""
        << " -fps_mode passthrough -c:v mpeg2video -b:v 3M -maxrate 8M -bufsize 1835k -g 15 -bf 0"
        << " -pix_fmt yuv420p -aspect 4:3 -c:a ac3 -b:a 192k -ac 2 -f vob '" << path.str() << "' </dev/null";
    if (std::system(cmd.str().c_str()) != 0)
        return {};
    return path.str();
}

std::vector<double> ToneToFlashOffsets(const std::vector<double> &tones, const std::vector<double> &flashes,
                                       double from)
{
    std::vector<double> offsets;
    for (const double tone : tones) {
        if (tone < from)
            continue;
        double best = 1;
        for (const double flash : flashes)
            if (std::fabs(tone - flash) < std::fabs(best))
                best = tone - flash;
        offsets.push_back(best);
    }
    return offsets;
}

void ConvertInput(const SourceSpec &spec, const std::string &input, const std::string &path)
{
    dvdc::ConvertSession session;
    Host host(session);
    dvdc::JobRequest request = host.Request(spec, path, DefaultInfo(DC_CODEC_MPEG4));
    request.readers.clear();
    request.readers.push_back(std::make_unique<FileTitleReader>(input));
    std::string error;
    ASSERT_TRUE(host.Start(std::move(request), &error)) << error;
    Host::Seen end{};
    ASSERT_TRUE(host.WaitEnd(&end, 60));
    EXPECT_EQ(end.progress, 100) << (host.reasons.empty() ? "" : host.reasons.back());
    host.CloseFile();
}

long PeakRssKb()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace ct
