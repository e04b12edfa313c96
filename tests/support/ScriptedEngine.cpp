// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedEngine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace pellavan::testing {

namespace {
std::string S(int64_t v) { return std::to_string(v); }
std::string F(double v)
{
    char b[64];
    std::snprintf(b, sizeof b, "%g", v);
    return b;
}
void CopyText(char (&dst)[32], const char *src)
{
    std::memset(dst, 0, sizeof dst);
    std::strncpy(dst, src, sizeof dst - 1);
}
} // namespace

TAudioInfo MakeAudio(const char *language, int32_t formatCode, int32_t streamId, bool listed,
                     int32_t sampleRate, int32_t channels)
{
    TAudioInfo a{};
    a.sampleRate = sampleRate;
    a.channels = channels;
    CopyText(a.language, language);
    a.formatCode = formatCode;
    a.streamId = streamId;
    a.listed = listed ? 1 : 0;
    return a;
}

TSubInfo MakeSub(const char *language, int32_t streamId, bool listed)
{
    TSubInfo s{};
    CopyText(s.language, language);
    s.streamId = streamId;
    s.listed = listed ? 1 : 0;
    return s;
}

ScriptedTitle MakeTitle(std::vector<int32_t> chapterTimes, std::vector<TAudioInfo> audios,
                        std::vector<TSubInfo> subs)
{
    ScriptedTitle t;
    t.chapterCount = int32_t(chapterTimes.size());
    t.playTime = 0;
    for (int32_t c : chapterTimes)
        t.playTime += c;
    t.chapterTimes = std::move(chapterTimes);
    t.audios = std::move(audios);
    t.subs = std::move(subs);
    return t;
}

void ScriptedEngine::log(const std::string &name, std::initializer_list<std::string> args)
{
    std::string line = name + "(";
    bool first = true;
    for (const auto &a : args) {
        if (!first)
            line += ", ";
        line += a;
        first = false;
    }
    calls.push_back(line + ")");
}

std::vector<std::string> ScriptedEngine::CallsNamed(const std::string &prefix) const
{
    std::vector<std::string> out;
    for (const auto &c : calls)
        if (c.rfind(prefix, 0) == 0)
            out.push_back(c);
    return out;
}

const ScriptedTitle *ScriptedEngine::title(int32_t t) const
{
    if (t < 0 || size_t(t) >= script.titles.size())
        return nullptr;
    return &script.titles[size_t(t)];
}

void ScriptedEngine::QueueReport(int32_t progress, int32_t state)
{
    {
        std::lock_guard lock(m_reportsMutex);
        m_reports.emplace_back(progress, state);
    }
    std::lock_guard lock(m_wakeupMutex);
    if (m_wakeup)
        m_wakeup();
}

size_t ScriptedEngine::PendingReports() const
{
    std::lock_guard lock(m_reportsMutex);
    return m_reports.size();
}

DCHandle ScriptedEngine::CreateConverter()
{
    DCHandle h = m_nextHandle++;
    m_open.push_back(h);
    log("CreateConverter", {});
    return h;
}

void ScriptedEngine::CloseConverter(DCHandle h)
{
    log("CloseConverter", {S(h)});
    m_open.erase(std::remove(m_open.begin(), m_open.end(), h), m_open.end());
    std::lock_guard lock(m_reportsMutex);
    m_reports.clear();
}

bool ScriptedEngine::Converter_OpenDVD(DCHandle h, const std::string &root, int32_t flags)
{
    log("Converter_OpenDVD", {S(h), root, S(flags)});
    return script.openResult;
}

int32_t ScriptedEngine::Converter_GetTitleCount(DCHandle h)
{
    log("Converter_GetTitleCount", {S(h)});
    return int32_t(script.titles.size());
}

int32_t ScriptedEngine::Converter_GetChapterCount(DCHandle h, int32_t t)
{
    log("Converter_GetChapterCount", {S(h), S(t)});
    auto *ti = title(t);
    return ti ? ti->chapterCount : 0;
}

int32_t ScriptedEngine::Converter_GetAngleCount(DCHandle h, int32_t t)
{
    log("Converter_GetAngleCount", {S(h), S(t)});
    auto *ti = title(t);
    return ti ? ti->angleCount : 0;
}

int32_t ScriptedEngine::Converter_GetAudioCount(DCHandle h, int32_t t)
{
    log("Converter_GetAudioCount", {S(h), S(t)});
    auto *ti = title(t);
    return !ti ? 0 : ti->audioCount >= 0 ? ti->audioCount : int32_t(ti->audios.size());
}

int32_t ScriptedEngine::Converter_GetSubCount(DCHandle h, int32_t t)
{
    log("Converter_GetSubCount", {S(h), S(t)});
    auto *ti = title(t);
    return !ti ? 0 : ti->subCount >= 0 ? ti->subCount : int32_t(ti->subs.size());
}

int32_t ScriptedEngine::Converter_GetTitlePlayTime(DCHandle h, int32_t t)
{
    log("Converter_GetTitlePlayTime", {S(h), S(t)});
    auto *ti = title(t);
    return ti ? ti->playTime : 0;
}

int32_t ScriptedEngine::Converter_GetChapterPlayTime(DCHandle h, int32_t t, int32_t c)
{
    log("Converter_GetChapterPlayTime", {S(h), S(t), S(c)});
    auto *ti = title(t);
    if (!ti || c < 0 || size_t(c) >= ti->chapterTimes.size())
        return 0;
    return ti->chapterTimes[size_t(c)];
}

void ScriptedEngine::Converter_GetVideoInfo(DCHandle h, int32_t t, TVideoInfo *info)
{
    log("Converter_GetVideoInfo", {S(h), S(t)});
    if (auto *ti = title(t); ti && info)
        *info = ti->video;
}

void ScriptedEngine::Converter_GetAudioInfo(DCHandle h, int32_t t, int32_t s, TAudioInfo *info)
{
    log("Converter_GetAudioInfo", {S(h), S(t), S(s)});
    if (auto *ti = title(t); ti && info && s >= 0 && size_t(s) < ti->audios.size())
        *info = ti->audios[size_t(s)];
}

void ScriptedEngine::Converter_GetSubInfo(DCHandle h, int32_t t, int32_t s, TSubInfo *info)
{
    log("Converter_GetSubInfo", {S(h), S(t), S(s)});
    if (auto *ti = title(t); ti && info && s >= 0 && size_t(s) < ti->subs.size())
        *info = ti->subs[size_t(s)];
}

bool ScriptedEngine::Converter_SetConvertInfo(DCHandle h, int32_t title, int32_t firstChapter,
                                              int32_t lastChapter, int32_t width, int32_t height,
                                              int32_t audioStream, int32_t subtitleStream,
                                              int32_t frameRateNum, int32_t frameRateDen, int32_t twoPass,
                                              int32_t encoder, int32_t keepAspect, int32_t newFile,
                                              int32_t angle, int32_t deinterlace)
{
    log("Converter_SetConvertInfo",
        {S(h), S(title), S(firstChapter), S(lastChapter), S(width), S(height), S(audioStream),
         S(subtitleStream), S(frameRateNum), S(frameRateDen), S(twoPass), S(encoder), S(keepAspect),
         S(newFile), S(angle), S(deinterlace)});
    return script.setConvertInfoResult;
}

void ScriptedEngine::Converter_SetVideoCBRBitrate(DCHandle h, int32_t v) { log("Converter_SetVideoCBRBitrate", {S(h), S(v)}); }
void ScriptedEngine::Converter_SetAudioBitrate(DCHandle h, int32_t v) { log("Converter_SetAudioBitrate", {S(h), S(v)}); }
void ScriptedEngine::Converter_SetVideoQuality(DCHandle h, int32_t v) { log("Converter_SetVideoQuality", {S(h), S(v)}); }
void ScriptedEngine::Converter_SetAudioSamplerate(DCHandle h, int32_t v) { log("Converter_SetAudioSamplerate", {S(h), S(v)}); }
void ScriptedEngine::Converter_SetSoundCof(DCHandle h, float v) { log("Converter_SetSoundCof", {S(h), F(v)}); }
void ScriptedEngine::Converter_SetCrops(DCHandle h, int32_t t, int32_t b, int32_t l, int32_t r)
{
    log("Converter_SetCrops", {S(h), S(t), S(b), S(l), S(r)});
}
void ScriptedEngine::Converter_SetImageParam(DCHandle h, float b, float c, float hu, float s)
{
    log("Converter_SetImageParam", {S(h), F(b), F(c), F(hu), F(s)});
}
void ScriptedEngine::Converter_SetAudioOffset(DCHandle h, int32_t ms) { log("Converter_SetAudioOffset", {S(h), S(ms)}); }
void ScriptedEngine::Converter_SetSubtitleOffset(DCHandle h, int32_t x, int32_t y)
{
    log("Converter_SetSubtitleOffset", {S(h), S(x), S(y)});
}

bool ScriptedEngine::Converter_Convert(DCHandle h, const std::string &path, ConvertCallback cb)
{
    log("Converter_Convert", {S(h), path});
    if (!script.convertResult)
        return false;
    m_callback = cb;
    m_paused = false;
    m_path[h] = path;
    return true;
}

void ScriptedEngine::Converter_Pause(DCHandle h)
{
    log("Converter_Pause", {S(h)});
    m_paused = true;
}
void ScriptedEngine::Converter_Resume(DCHandle h)
{
    log("Converter_Resume", {S(h)});
    m_paused = false;
}
void ScriptedEngine::Converter_CancelConvert(DCHandle h)
{
    log("Converter_CancelConvert", {S(h)});
    std::lock_guard lock(m_reportsMutex);
    m_reports.clear();   // no report of a cancelled job is delivered
}
void ScriptedEngine::Converter_CloseFile(DCHandle h)
{
    log("Converter_CloseFile", {S(h)});
    if (script.holdFinishing)
        m_finishing[h].push_back(m_path[h]);
}
double ScriptedEngine::Converter_GetEncodeFps(DCHandle h)
{
    log("Converter_GetEncodeFps", {S(h)});
    return script.encodeFps;
}

PicturePtr ScriptedEngine::Converter_GetPreview(DCHandle h, void *)
{
    log("Converter_GetPreview", {S(h)});
    PicturePtr p(AllocatePicture(script.previewWidth, script.previewHeight));
    if (p)
        std::fill_n(p->pixels, size_t(p->stride / 4) * size_t(p->height), 0xFF336699u);
    return p;
}

void ScriptedEngine::Converter_BeginPreview(DCHandle h, int32_t t, int32_t multi)
{
    log("Converter_BeginPreview", {S(h), S(t), S(multi)});
    m_stillStep = 0;
}

PicturePtr ScriptedEngine::Converter_GetPreview2(DCHandle h, void *, int32_t flag)
{
    log("Converter_GetPreview2", {S(h), S(flag)});
    if (flag == 0) {
        ++m_stillStep;
        return nullptr;
    }
    PicturePtr p(AllocatePicture(script.stillWidth, script.stillHeight));
    if (p) // the grey level tells tests how far the still has stepped
        std::fill_n(p->pixels, size_t(p->stride / 4) * size_t(p->height),
                    0xFF000000u | uint32_t(m_stillStep % 256) * 0x010101u);
    return p;
}

void ScriptedEngine::Converter_EndPreview(DCHandle h) { log("Converter_EndPreview", {S(h)}); }

void ScriptedEngine::SetWakeup(DCHandle, std::function<void()> wakeup)
{
    std::lock_guard lock(m_wakeupMutex);
    m_wakeup = std::move(wakeup);
}

void ScriptedEngine::DispatchReports(DCHandle h)
{
    ++m_dispatches;
    for (const auto &[path, error] : std::exchange(m_fileReports[h], {}))
        if (m_fileDone[h])
            m_fileDone[h](path, error);
    for (;;) {
        std::pair<int32_t, int32_t> report;
        {
            std::unique_lock lock(m_reportsMutex);
            if (m_reports.empty()) {
                lock.unlock();
                if (onDrained)
                    onDrained();
                return;
            }
            report = m_reports.front();
            m_reports.pop_front();
        }
        // Unlocked: the callback may queue more, start jobs, cancel.
        if (m_callback)
            m_callback(report.first, report.second);
    }
}

std::string ScriptedEngine::LastError(DCHandle) { return script.lastError; }
int32_t ScriptedEngine::DamagedRegions(DCHandle) { return script.damagedRegions; }
int32_t ScriptedEngine::FilesFinishing(DCHandle h) { return int32_t(m_finishing[h].size()); }
void ScriptedEngine::SetFileDone(DCHandle h, FileDone done) { m_fileDone[h] = std::move(done); }
void ScriptedEngine::SetJobName(DCHandle, const std::string &name) { jobNames.push_back(name); }

void ScriptedEngine::FinishFiles(const std::string &error)
{
    for (auto &[h, paths] : m_finishing)
        for (const std::string &path : std::exchange(paths, {}))
            m_fileReports[h].emplace_back(path, error);
    std::lock_guard lock(m_wakeupMutex);
    if (m_wakeup)
        m_wakeup();
}
int32_t ScriptedEngine::ReadEnd(DCHandle, std::string &text)
{
    text = script.readEndText;
    return script.readEnd;
}

} // namespace pellavan::testing
