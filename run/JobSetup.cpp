#include "JobDriver.h"

#include "settings/Profiles.h"

#include <algorithm>
#include <cstdio>

namespace pellavan {

bool IsJobNode(const TreeNode &node)
{
    if (!IsChecked(node.state))
        return false;
    if (node.level == LevelTitle)
        return true;
    return node.IsChapter() && !(node.parent && IsChecked(node.parent->state));
}

int CountJobs(const TitleTree &tree)
{
    int jobs = 0;
    for (const TreeNode *n : tree.Nodes())
        jobs += IsJobNode(*n) ? 1 : 0;
    return jobs;
}

int FirstCheckedIndex(const TitleTree &tree)
{
    const auto &nodes = tree.Nodes();
    for (size_t i = 0; i < nodes.size(); ++i) {
        const TreeNode &n = *nodes[i];
        if ((n.level == LevelTitle || n.level == LevelChapter) && IsChecked(n.state))
            return int(i);
    }
    return -1;
}

int FindJobNode(const TitleTree &tree, int index)
{
    const auto &nodes = tree.Nodes();
    for (size_t i = size_t(std::max(index, 0)); i < nodes.size(); ++i)
        if (IsJobNode(*nodes[i]))
            return int(i);
    return -1;
}

int AdjustCropMargin(int margin) { return margin / 2 != 0 ? margin - 1 : margin; }

std::string OutputFileName(const std::string &discName, bool chapterJob, int32_t title,
                           int32_t firstChapter, bool merge, int encoderIndex)
{
    const char *ext = OutputExtension(encoderIndex);
    char buf[64];
    if (merge)
        return discName + ext;
    if (chapterJob)
        std::snprintf(buf, sizeof buf, "_Title%.2d_%.2d", int(title) + 1, int(firstChapter) + 1);
    else
        std::snprintf(buf, sizeof buf, "_Title%.2d", int(title) + 1);
    return discName + buf + ext;
}

JobParams BuildJobParams(const TDVDInfo &info, const TreeNode &node, const JobSettings &s, bool newFile)
{
    const CatalogueEntry e = CatalogueEntryOf(info, node);
    const AdvSettings &adv = s.adv;
    JobParams p;
    p.title = e.title;
    p.firstChapter = e.firstChapter;
    p.lastChapter = e.lastChapter;
    if (auto size = adv.GetFrameSize(s.profile)) {
        p.width = size->width;
        p.height = size->height;
    }
    p.audioStream = e.audioStreamId;
    p.subtitleStream = e.subtitleStreamId;
    if (auto rate = adv.GetFrameRate(s.profile)) {
        p.frameRateNum = rate->num;
        p.frameRateDen = rate->den;
        // "Keep original frame rate": the engine gets the title's own pair.
        if (rate->num == -1 && e.titleInfo) {
            p.frameRateNum = e.titleInfo->video.frameRateNum;
            p.frameRateDen = e.titleInfo->video.frameRateDen;
        }
    }
    p.twoPass = s.twoPass ? 1 : 0;
    p.encoder = EncoderCode(adv.EncoderIndex());
    p.keepAspect = adv.KeepAspect() ? 1 : 0;
    p.newFile = newFile ? 1 : 0;
    p.angle = adv.AngleFor(e.titleInfo ? e.titleInfo->angleCount : 0);
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

JobStart ConvertJob(ConverterEngine &engine, DCHandle h, const TDVDInfo &info, const TitleTree &tree,
                    const TreeNode &node, const JobSettings &s, ConvertCallback callback)
{
    JobStart r;
    // A profile without its lists cannot make a job; nothing reaches the engine.
    if (s.adv.ProfileProblem(s.profile))
        return r;

    ApplyEncoderSettings(engine, h, s);
    const bool newFile = !s.merge || FirstCheckedIndex(tree) == tree.AbsoluteIndex(&node);
    r.params = BuildJobParams(info, node, s, newFile);
    const JobParams &p = r.params;
    r.name = OutputFileName(tree.DiscNode() ? tree.DiscNode()->label : std::string(), node.IsChapter(),
                            p.title, p.firstChapter, s.merge, s.adv.EncoderIndex());

    if (!engine.Converter_SetConvertInfo(h, p.title, p.firstChapter, p.lastChapter, p.width, p.height,
                                         p.audioStream, p.subtitleStream, p.frameRateNum,
                                         p.frameRateDen, p.twoPass, p.encoder, p.keepAspect, p.newFile,
                                         p.angle, p.deinterlace))
        return r;

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

    r.started = engine.Converter_Convert(h, s.outputFolder + r.name, callback);
    return r;
}

} // namespace pellavan
