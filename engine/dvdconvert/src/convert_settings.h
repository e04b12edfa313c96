// SPDX-License-Identifier: GPL-3.0-or-later
// What one conversion job is asked to do: the 15 job parameters, the values
// the Converter_Set... operations hold, and what the catalogue says about
// the source.  Plain data, checked here before any thread starts.
#pragma once

#include "dvdconvert.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace dvdc {

struct JobInfo {
    int32_t title = 0;
    int32_t firstChapter = 0;
    int32_t lastChapter = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t audioStream = 0;      // program-stream id, 0 = none
    int32_t subtitleStream = 0;   // program-stream id, 0 = none
    int32_t rateNum = 0;
    int32_t rateDen = 0;
    int32_t twoPass = 0;
    int32_t encoder = DC_CODEC_H264;
    int32_t keepAspect = 0;
    int32_t newFile = 1;
    int32_t angle = 0;
    int32_t deinterlace = 0;
};

// The values of the Converter_Set... operations.  Bit rates and the sample
// rate hold from job to job until set again; the rest are the job's
// adjustments, which hold only for the next job started: the program sends
// an adjustment only while it differs from neutral (quality 50, volume 1,
// no crop, no offset), so a value the user set back must not linger.
struct EncodeSettings {
    int32_t videoKbps = 1500;
    int32_t audioKbps = 128;
    int32_t quality = 50;          // 0..100, 50 = the encoder's default
    int32_t sampleRate = 44100;
    float volume = 1.0f;
    int32_t cropTop = 0, cropBottom = 0, cropLeft = 0, cropRight = 0;
    float brightness = 0, contrast = 0, hue = 0, saturation = 0;   // 0 = unchanged
    int32_t audioOffsetMs = 0;     // > 0: sound ahead of the picture
    int32_t subtitleX = 0, subtitleY = 0;
};

// The catalogue's view of the title being converted.
struct SourceInfo {
    TVideoInfo video{};
    std::array<uint32_t, 16> palette{};   // 0x00YYCrCb
    std::vector<int32_t> audioIds;        // ids the title carries
    std::vector<std::string> audioLanguages;   // their ISO 639-1 codes ("" unknown)
    std::vector<int32_t> chapterTimes;    // ms, one per chapter of the title
    std::vector<int32_t> subtitleIds;
};

// Encoder-level choices derived from a job.
struct VideoTarget {
    int width = 0, height = 0;   // even
    int rateNum = 0, rateDen = 0;
};

// What a job started with: a copy of `held`, whose adjustments go back to
// neutral so the next job gets only what is set for it.
EncodeSettings TakeJobSettings(EncodeSettings &held);

// The job's own parameters alone, as Converter_SetConvertInfo gets them
// (the program sends crops and offsets after it): empty when they can run,
// otherwise the reason.  Fills `target` with the output size and rate.
std::string CheckJobInfo(const JobInfo &job, const SourceInfo &source, VideoTarget &target);

// The parameters together with the settings they run with, when the job
// starts: empty when it can run; otherwise the reason it cannot.
std::string CheckJob(const JobInfo &job, const EncodeSettings &settings, const SourceInfo &source,
                     VideoTarget &target);

// The program-stream id the demuxer gives a catalogue stream id (MPEG audio
// is listed as 0xC0+n but demuxed as 0x1C0+n).
int DemuxId(int32_t catalogueId);

} // namespace dvdc
