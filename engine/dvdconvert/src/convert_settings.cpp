// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_settings.h"

#include <algorithm>

namespace dvdc {

int DemuxId(int32_t id)
{
    if (id >= 0xC0 && id <= 0xDF)
        return 0x100 | id;
    return id;
}

EncodeSettings TakeJobSettings(EncodeSettings &held)
{
    const EncodeSettings taken = held;
    const EncodeSettings neutral;
    held = neutral;
    held.videoKbps = taken.videoKbps;
    held.audioKbps = taken.audioKbps;
    held.sampleRate = taken.sampleRate;
    return taken;
}

std::string CheckJobInfo(const JobInfo &job, const SourceInfo &source, VideoTarget &target)
{
    if (job.encoder != DC_CODEC_H264 && job.encoder != DC_CODEC_MPEG4 && job.encoder != DC_CODEC_WMV)
        return "unknown encoder code " + std::to_string(job.encoder);
    if (job.width < 16 || job.height < 16 || job.width > 1920 || job.height > 1088)
        return "frame size " + std::to_string(job.width) + "x" + std::to_string(job.height) +
               " is outside 16x16 .. 1920x1088";
    int num = job.rateNum, den = job.rateDen;
    if (num < 0 || den < 0) {   // the title's own rate
        num = source.video.frameRateNum;
        den = source.video.frameRateDen;
    }
    if (num <= 0 || den <= 0 || num / den > 60 || num * 1.0 / den < 1.0)
        return "frame rate " + std::to_string(job.rateNum) + "/" + std::to_string(job.rateDen) +
               " is not usable";
    if (job.audioStream != 0 &&
        std::find(source.audioIds.begin(), source.audioIds.end(), job.audioStream) == source.audioIds.end())
        return "the title carries no audio stream with id " + std::to_string(job.audioStream);
    if (job.subtitleStream != 0 &&
        std::find(source.subtitleIds.begin(), source.subtitleIds.end(), job.subtitleStream) ==
            source.subtitleIds.end())
        return "the title carries no subtitle stream with id " + std::to_string(job.subtitleStream);
    // 4:2:0 encoders need even sizes: an odd size is rounded down.
    target.width = job.width & ~1;
    target.height = job.height & ~1;
    target.rateNum = num;
    target.rateDen = den;
    return {};
}

std::string CheckJob(const JobInfo &job, const EncodeSettings &s, const SourceInfo &source,
                     VideoTarget &target)
{
    if (std::string reason = CheckJobInfo(job, source, target); !reason.empty())
        return reason;
    if (s.videoKbps < 16 || s.videoKbps > 50000)
        return "video bit rate " + std::to_string(s.videoKbps) + " kbit/s is outside 16 .. 50000";
    if (job.audioStream != 0 && (s.audioKbps < 8 || s.audioKbps > 640))
        return "audio bit rate " + std::to_string(s.audioKbps) + " kbit/s is outside 8 .. 640";
    if (s.sampleRate != 22050 && s.sampleRate != 32000 && s.sampleRate != 44100 && s.sampleRate != 48000)
        return "sample rate " + std::to_string(s.sampleRate) + " Hz is not supported";
    const int srcW = source.video.width, srcH = source.video.height;
    if (s.cropTop < 0 || s.cropBottom < 0 || s.cropLeft < 0 || s.cropRight < 0 ||
        s.cropTop + s.cropBottom > srcH - 16 || s.cropLeft + s.cropRight > srcW - 16)
        return "crop margins leave no picture";
    return {};
}

} // namespace dvdc
