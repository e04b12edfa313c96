// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobSetup.h"

#include "settings/Profiles.h"


namespace pellavan {

int AdjustCropMargin(int margin) { return margin / 2 != 0 ? margin - 1 : margin; }

JobParams BuildJobParams(const PlannedJob &job, const JobSettings &s)
{
    const AdvSettings &adv = s.adv;
    JobParams p;
    p.title = job.title;
    p.firstChapter = job.firstChapter;
    p.lastChapter = job.lastChapter;
    if (auto size = adv.GetFrameSize(s.profile)) {
        p.width = size->width;
        p.height = size->height;
    }
    p.audioStream = job.audioStream;
    p.subtitleStream = job.subtitleStream;
    if (auto rate = adv.GetFrameRate(s.profile)) {
        p.frameRateNum = rate->num;
        p.frameRateDen = rate->den;
        // "Keep original frame rate": the engine gets the title's own pair.
        if (rate->num == -1) {
            p.frameRateNum = job.frameRateNum;
            p.frameRateDen = job.frameRateDen;
        }
    }
    p.twoPass = s.twoPass ? 1 : 0;
    p.encoder = EncoderCode(adv.EncoderIndex());
    p.keepAspect = adv.KeepAspect() ? 1 : 0;
    p.newFile = job.newFile ? 1 : 0;
    p.angle = adv.AngleFor(job.angleCount);
    p.deinterlace = adv.Deinterlace() ? 1 : 0;
    return p;
}

void ApplyEncoderSettings(ConverterEngine &engine, DCHandle h, const JobSettings &s)
{
    const AdvSettings &adv = s.adv;
    engine.Converter_SetVideoCBRBitrate(h, adv.GetVideoBitrate(s.profile).value_or(0));
    if (auto q = adv.QualityToSend())
        engine.Converter_SetVideoQuality(h, *q);
    engine.Converter_SetAudioBitrate(h, adv.GetAudioBitrate(s.profile).value_or(0));
    if (auto hz = adv.GetSampleRate())
        engine.Converter_SetAudioSamplerate(h, *hz);
    if (auto v = adv.VolumeToSend())
        engine.Converter_SetSoundCof(h, *v);
}

JobStart ConvertJob(ConverterEngine &engine, DCHandle h, const PlannedJob &job, const std::string &path,
                    const JobSettings &s, ::ConvertCallback callback)
{
    JobStart r;
    // A profile without its lists cannot make a job; nothing reaches the engine.
    if (s.adv.ProfileProblem(s.profile))
        return r;

    ApplyEncoderSettings(engine, h, s);
    r.params = BuildJobParams(job, s);
    r.path = path;
    const JobParams &p = r.params;

    if (!engine.Converter_SetConvertInfo(h, p.title, p.firstChapter, p.lastChapter, p.width, p.height,
                                         p.audioStream, p.subtitleStream, p.frameRateNum,
                                         p.frameRateDen, p.twoPass, p.encoder, p.keepAspect, p.newFile,
                                         p.angle, p.deinterlace))
        return r;
    // A merged file names the job's chapter as the job's own file would be named.
    engine.SetJobName(h, job.name);

    if (p.twoPass) {
        engine.Converter_SetVideoCBRBitrate(h, 0);
        r.progressText = kOnePassText;
    } else {
        r.progressText = kConvertText;
    }

    if (s.crop) {
        const int top = AdjustCropMargin(s.crop->top);
        const int bottom = AdjustCropMargin(s.crop->bottom);
        const int left = AdjustCropMargin(s.crop->left);
        const int right = AdjustCropMargin(s.crop->right);
        engine.Converter_SetCrops(h, top, bottom, left, right);
        // Subtitles move up with the cropped bottom edge.
        engine.Converter_SetSubtitleOffset(h, 0, -(bottom / 2));
    }

    const auto color = s.color.EngineValues();
    engine.Converter_SetImageParam(h, color[0], color[1], color[2], color[3]);

    if (const std::optional<int> offset = s.adv.AudioOffset())
        engine.Converter_SetAudioOffset(h, *offset);

    r.started = engine.Converter_Convert(h, path, callback);
    return r;
}

} // namespace pellavan
