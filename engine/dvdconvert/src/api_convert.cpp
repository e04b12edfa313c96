// SPDX-License-Identifier: GPL-3.0-or-later
// Conversion operations of the C interface: settings, jobs, run control and
// the host's side of the report queue.
#include "convert_chain_reader.h"
#include "convert_session.h"
#include "convert_tags.h"
#include "instance.h"
#include "log.h"
#include "title_reader.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <utility>

namespace dvdc {

void DestroyConvertSession(ConvertSession *session) { delete session; }

namespace {

// Enough of the next chapter for a range's last second of sound.
constexpr int64_t kSoundAfterRange = 2 * 1024 * 1024;

ConvertSession *Session(Instance *in)
{
    if (!in)
        return nullptr;
    if (!in->convert)
        in->convert.reset(new ConvertSession);
    return in->convert.get();
}

ConvertSession *Session(DCHandle h) { return Session(FindInstance(h)); }

SourceInfo SourceOf(const TitleCatalogue &t)
{
    SourceInfo s;
    s.video = t.video;
    s.palette = t.palette;
    for (const TAudioInfo &a : t.audios)
        s.audioIds.push_back(a.streamId);
    s.audioLanguages = t.audioLanguages;
    s.audioLanguages.resize(s.audioIds.size());
    s.chapterTimes = t.chapterTimes;
    for (const TSubInfo &sub : t.subs)
        s.subtitleIds.push_back(sub.streamId);
    return s;
}

// The job against the catalogue: empty when it can run.
std::string CheckAgainstDisc(Instance &in, const JobInfo &job, const EncodeSettings &settings, VideoTarget &target)
{
    std::string reason;
    const TitleCatalogue *t = in.Range(job.title, job.firstChapter, job.lastChapter, job.angle, reason);
    return t ? CheckJob(job, settings, SourceOf(*t), target) : reason;
}

// The job's readers, planned here and opened on the job's thread: opening
// reads the disc, which must not hold up the host's thread.
ReaderOpener PlanReaders(Instance &in, const JobInfo &info, std::string &error)
{
    TitleReadPlan range, after;
    if (!PlanTitleRead(in, info.title, info.firstChapter, info.lastChapter, info.angle, range, error))
        return nullptr;
    const TitleCatalogue &t = in.titles[size_t(info.title)];
    std::string ignored;
    const bool soundAfter = info.lastChapter + 1 < int(t.chapterTimes.size()) &&
                            PlanTitleRead(in, info.title, info.lastChapter + 1, info.lastChapter + 1, info.angle,
                                          after, ignored);
    after.stopAtDamage = true;   // not worth a wait for an unreadable stretch
    return [range, after, soundAfter](std::string &openError) -> std::unique_ptr<TitleReader> {
        auto reader = OpenTitleReader(range, openError);
        if (reader && soundAfter) {
            std::string unused;
            reader = std::make_unique<ChainedReader>(std::move(reader), OpenTitleReader(after, unused),
                                                     kSoundAfterRange);
        }
        return reader;
    };
}

} // namespace
} // namespace dvdc

using namespace dvdc;

extern "C" {

DVDCONVERT_API DCBool Converter_SetConvertInfo(DCHandle h, int32_t title, int32_t firstChapter, int32_t lastChapter,
                                               int32_t width, int32_t height, int32_t audioStream,
                                               int32_t subtitleStream, int32_t frameRateNum, int32_t frameRateDen,
                                               int32_t twoPass, int32_t encoder, int32_t keepAspect, int32_t newFile,
                                               int32_t angle, int32_t deinterlace)
{
    Instance *in = FindInstance(h);
    ConvertSession *s = Session(in);
    if (!s)
        return 0;
    JobInfo job{title,        firstChapter, lastChapter, width,      height,  audioStream, subtitleStream, frameRateNum,
                frameRateDen, twoPass != 0, encoder,     keepAspect != 0, newFile != 0, angle, deinterlace != 0};
    // Only what is given here: crops, offsets and rates are checked when the job starts.
    VideoTarget target;
    std::string reason;
    if (const TitleCatalogue *t = in->Range(title, firstChapter, lastChapter, angle, reason))
        reason = CheckJobInfo(job, SourceOf(*t), target);
    if (!reason.empty()) {
        in->SetLastError("job refused: " + reason);
        s->hasInfo = false;
        TakeJobSettings(s->settings);   // what was set for the refused job ends with it
        s->jobName.clear();
        return 0;
    }
    s->info = job;
    s->hasInfo = true;
    return 1;
}

// 0 keeps the rate set before: the program sends it for two-pass jobs.
DVDCONVERT_API void Converter_SetVideoCBRBitrate(DCHandle h, int32_t kbps)
{
    if (ConvertSession *s = Session(h); s && kbps > 0)
        s->settings.videoKbps = kbps;
}
DVDCONVERT_API void Converter_SetAudioBitrate(DCHandle h, int32_t kbps)
{
    if (ConvertSession *s = Session(h); s && kbps > 0)
        s->settings.audioKbps = kbps;
}
DVDCONVERT_API void Converter_SetVideoQuality(DCHandle h, int32_t quality)
{
    if (ConvertSession *s = Session(h))
        s->settings.quality = std::clamp(quality, 0, 100);
}
DVDCONVERT_API void Converter_SetAudioSamplerate(DCHandle h, int32_t hz)
{
    if (ConvertSession *s = Session(h))
        s->settings.sampleRate = hz;
}
DVDCONVERT_API void Converter_SetSoundCof(DCHandle h, float volume)
{
    if (ConvertSession *s = Session(h); s && std::isfinite(volume))
        s->settings.volume = std::clamp(volume, 0.0f, 10.0f);
}
DVDCONVERT_API void Converter_SetCrops(DCHandle h, int32_t top, int32_t bottom, int32_t left, int32_t right)
{
    if (ConvertSession *s = Session(h)) {
        s->settings.cropTop = top;
        s->settings.cropBottom = bottom;
        s->settings.cropLeft = left;
        s->settings.cropRight = right;
    }
}
DVDCONVERT_API void Converter_SetImageParam(DCHandle h, float brightness, float contrast, float hue, float saturation)
{
    ConvertSession *s = Session(h);
    if (!s)
        return;
    auto finite = [](float v) { return std::isfinite(v) ? v : 0.0f; };
    s->settings.brightness = finite(brightness);
    s->settings.contrast = finite(contrast);
    s->settings.hue = finite(hue);
    s->settings.saturation = finite(saturation);
}
DVDCONVERT_API void Converter_SetAudioOffset(DCHandle h, int32_t milliseconds)
{
    if (ConvertSession *s = Session(h))
        s->settings.audioOffsetMs = std::clamp(milliseconds, -600000, 600000);
}
DVDCONVERT_API void Converter_SetSubtitleOffset(DCHandle h, int32_t x, int32_t y)
{
    if (ConvertSession *s = Session(h)) {
        s->settings.subtitleX = x;
        s->settings.subtitleY = y;
    }
}

DVDCONVERT_API DCBool Converter_Convert(DCHandle h, const char *outputPath, ConvertCallback callback)
{
    Instance *in = FindInstance(h);
    ConvertSession *s = Session(in);
    if (!s)
        return 0;
    auto refuse = [&](const std::string &reason) {
        in->SetLastError("conversion not started: " + reason);
        return DCBool(0);
    };
    const EncodeSettings settings = TakeJobSettings(s->settings);   // this start's, started or not
    const std::string name = std::exchange(s->jobName, {});
    if (!outputPath || !*outputPath)
        return refuse("no output file given");
    if (!s->hasInfo)
        return refuse("no job was set");
    if (s->Running())
        return refuse("a conversion is already running");
    JobRequest request;
    request.info = s->info;
    request.settings = settings;
    const std::string reason = CheckAgainstDisc(*in, request.info, request.settings, request.target);
    if (!reason.empty())
        return refuse(reason);
    request.source = SourceOf(in->titles[size_t(request.info.title)]);
    request.path = outputPath;
    request.name = TagText(name);
    request.callback = callback;
    std::string planError;
    const ReaderOpener open = PlanReaders(*in, request.info, planError);
    if (!open)
        return refuse(planError);
    request.openers.assign(request.info.twoPass ? 2 : 1, open);
    std::string error;
    if (!s->Start(std::move(request), error))
        return refuse(error);
    return 1;
}

DVDCONVERT_API void Converter_Pause(DCHandle h)
{
    if (ConvertSession *s = Session(h))
        s->Pause();
}
DVDCONVERT_API void Converter_Resume(DCHandle h)
{
    if (ConvertSession *s = Session(h))
        s->Resume();
}
DVDCONVERT_API void Converter_CancelConvert(DCHandle h)
{
    if (ConvertSession *s = Session(h))
        s->Cancel();
}
DVDCONVERT_API void Converter_CloseFile(DCHandle h)
{
    if (ConvertSession *s = Session(h))
        s->CloseFile();
}
DVDCONVERT_API int32_t Converter_GetFinishingCount(DCHandle h)
{
    ConvertSession *s = Session(h);
    return s ? s->Finishing() : 0;
}
DVDCONVERT_API void Converter_SetFileDone(DCHandle h, DCFileDoneFn fn, void *context)
{
    if (ConvertSession *s = Session(h)) {
        s->fileDone = fn;
        s->fileDoneContext = context;
    }
}
DVDCONVERT_API void Converter_SetJobName(DCHandle h, const char *name)
{
    if (ConvertSession *s = Session(h))
        s->jobName = name ? name : "";
}
DVDCONVERT_API double Converter_GetEncodeFps(DCHandle h)
{
    ConvertSession *s = Session(h);
    return s ? s->Fps() : 0.0;
}
DVDCONVERT_API DCPicture *Converter_GetPreview(DCHandle h, void *)
{
    ConvertSession *s = Session(h);
    return s ? s->preview.Picture() : nullptr;
}
DVDCONVERT_API void Converter_SetWakeup(DCHandle h, DCWakeupFn wakeup, void *context)
{
    if (ConvertSession *s = Session(h))
        s->reports.SetWakeup(wakeup, context);
}

DVDCONVERT_API int32_t Converter_GetDamagedCount(DCHandle h)
{
    ConvertSession *s = Session(h);
    return s ? int32_t(s->Damaged().size()) : 0;
}
DVDCONVERT_API DCBool Converter_GetDamagedRegion(DCHandle h, int32_t index, int32_t *timeMs, int32_t *kilobytes)
{
    ConvertSession *s = Session(h);
    if (!s || index < 0)
        return 0;
    const std::vector<DamagedRegion> regions = s->Damaged();
    if (size_t(index) >= regions.size())
        return 0;
    const DamagedRegion &r = regions[size_t(index)];
    if (timeMs)
        *timeMs = int32_t(std::min<int64_t>(r.timeMs, INT32_MAX));
    if (kilobytes)
        *kilobytes = int32_t(std::min<int64_t>((r.bytes + 1023) / 1024, INT32_MAX));
    return 1;
}

DVDCONVERT_API int32_t Converter_GetReadEnd(DCHandle h, char *text, int32_t size)
{
    ConvertSession *s = Session(h);
    const std::vector<DamagedRegion> regions = s ? s->Damaged() : std::vector<DamagedRegion>{};
    const bool early = !regions.empty() && regions.back().end != ReadEnd::None;
    if (text && size > 0)
        std::snprintf(text, size_t(size), "%s", early ? regions.back().told.c_str() : "");
    if (!early)
        return DC_READ_WHOLE;
    return regions.back().end == ReadEnd::DiscGone ? DC_READ_DISC_GONE : DC_READ_STOPPED;
}

// Each report is taken on its own and the instance found again after every
// callback: the callback may start the next job, close the file, or even
// close the instance.
DVDCONVERT_API void Converter_DispatchReports(DCHandle h)
{
    for (;;) {
        Instance *in = FindInstance(h);
        if (!in || !in->convert)
            return;
        Report report;
        if (!in->convert->reports.Pop(report))
            return;
        if (report.job == 0) {
            if (DCFileDoneFn done = in->convert->fileDone)
                done(report.path.c_str(), report.reason.c_str(), in->convert->fileDoneContext);
            continue;
        }
        if (report.progress < 0) {
            std::lock_guard lock(in->errorMutex);   // the job already logged it
            in->lastError = report.reason;
        }
        if (report.callback)
            report.callback(report.progress, report.state);
    }
}

} // extern "C"
