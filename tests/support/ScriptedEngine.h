// SPDX-License-Identifier: GPL-3.0-or-later
// A recording substitute engine: answers from a script and logs every call
// of the 33 operations, in order, with its arguments, so tests can compare
// the program's call sequence with the orders it must keep.
#pragma once

#include "ConverterEngine.h"

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace pellavan::testing {

struct ScriptedTitle {
    int32_t chapterCount = 0;   // reported count (may differ from chapterTimes.size())
    int32_t angleCount = 1;
    int32_t playTime = 0;
    std::vector<int32_t> chapterTimes;
    TVideoInfo video{720, 480, 0, 30000, 1001, 0};
    std::vector<TAudioInfo> audios;
    std::vector<TSubInfo> subs;
    int32_t audioCount = -1;    // -1: audios.size()
    int32_t subCount = -1;      // -1: subs.size()
};

struct EngineScript {
    bool openResult = true;
    std::vector<ScriptedTitle> titles;
    bool setConvertInfoResult = true;
    bool convertResult = true;
    double encodeFps = 25.0;
    int32_t previewWidth = 320;          // Converter_GetPreview picture; 0 = none
    int32_t previewHeight = 240;
    int32_t stillWidth = 720;            // Converter_GetPreview2(flag 1) picture; 0 = none
    int32_t stillHeight = 480;
    std::string lastError;
    int32_t damagedRegions = 0;   // what DamagedRegions answers
    int32_t readEnd = DC_READ_WHOLE;   // what ReadEnd answers, with this text
    std::string readEndText;
    bool holdFinishing = false;   // a closed file stays "being finished" until FinishFiles
};

// Helpers to build records.
TAudioInfo MakeAudio(const char *language, int32_t formatCode, int32_t streamId, bool listed = true,
                     int32_t sampleRate = 48000, int32_t channels = 2);
TSubInfo MakeSub(const char *language, int32_t streamId, bool listed = true);
// A title with the given chapter times; playTime is their sum.
ScriptedTitle MakeTitle(std::vector<int32_t> chapterTimes, std::vector<TAudioInfo> audios = {},
                        std::vector<TSubInfo> subs = {});

class ScriptedEngine final : public ConverterEngine {
public:
    EngineScript script;
    std::vector<std::string> calls;       // "Name(arg, arg, ...)", handle first
    std::vector<std::string> jobNames;    // what SetJobName was given, in order
    // Runs on the draining thread each time a drain finds the queue empty,
    // as an engine thread that queues a report just then would.
    std::function<void()> onDrained;

    // Queues a report for the last started job and wakes the host, as the
    // engine does from its threads: any thread may call it, and the wake-up
    // runs under a lock of its own, so none is running once SetWakeup returns.
    void QueueReport(int32_t progress, int32_t state);
    size_t PendingReports() const;
    // Ends the finishing of every file held (holdFinishing): their reports
    // are queued, with `error`, and the hosts woken.
    void FinishFiles(const std::string &error = {});
    DCHandle LastHandle() const { return m_nextHandle - 1; }
    std::vector<DCHandle> OpenHandles() const { return m_open; }
    bool Paused() const { return m_paused; }
    int DispatchCount() const { return m_dispatches; }
    // Calls whose name starts with `prefix`, in order.
    std::vector<std::string> CallsNamed(const std::string &prefix) const;
    void ClearCalls() { calls.clear(); }

    DCHandle CreateConverter() override;
    void CloseConverter(DCHandle h) override;
    bool Converter_OpenDVD(DCHandle h, const std::string &root, int32_t flags) override;
    int32_t Converter_GetTitleCount(DCHandle h) override;
    int32_t Converter_GetChapterCount(DCHandle h, int32_t title) override;
    int32_t Converter_GetAngleCount(DCHandle h, int32_t title) override;
    int32_t Converter_GetAudioCount(DCHandle h, int32_t title) override;
    int32_t Converter_GetSubCount(DCHandle h, int32_t title) override;
    int32_t Converter_GetTitlePlayTime(DCHandle h, int32_t title) override;
    int32_t Converter_GetChapterPlayTime(DCHandle h, int32_t title, int32_t chapter) override;
    void Converter_GetVideoInfo(DCHandle h, int32_t title, TVideoInfo *info) override;
    void Converter_GetAudioInfo(DCHandle h, int32_t title, int32_t stream, TAudioInfo *info) override;
    void Converter_GetSubInfo(DCHandle h, int32_t title, int32_t stream, TSubInfo *info) override;
    bool Converter_SetConvertInfo(DCHandle h, int32_t title, int32_t firstChapter, int32_t lastChapter,
                                  int32_t width, int32_t height, int32_t audioStream,
                                  int32_t subtitleStream, int32_t frameRateNum, int32_t frameRateDen,
                                  int32_t twoPass, int32_t encoder, int32_t keepAspect, int32_t newFile,
                                  int32_t angle, int32_t deinterlace) override;
    void Converter_SetVideoCBRBitrate(DCHandle h, int32_t kbps) override;
    void Converter_SetAudioBitrate(DCHandle h, int32_t kbps) override;
    void Converter_SetVideoQuality(DCHandle h, int32_t quality) override;
    void Converter_SetAudioSamplerate(DCHandle h, int32_t hz) override;
    void Converter_SetSoundCof(DCHandle h, float volume) override;
    void Converter_SetCrops(DCHandle h, int32_t top, int32_t bottom, int32_t left, int32_t right) override;
    void Converter_SetImageParam(DCHandle h, float brightness, float contrast, float hue,
                                 float saturation) override;
    void Converter_SetAudioOffset(DCHandle h, int32_t milliseconds) override;
    void Converter_SetSubtitleOffset(DCHandle h, int32_t x, int32_t y) override;
    bool Converter_Convert(DCHandle h, const std::string &outputPath, ConvertCallback callback) override;
    void Converter_Pause(DCHandle h) override;
    void Converter_Resume(DCHandle h) override;
    void Converter_CancelConvert(DCHandle h) override;
    void Converter_CloseFile(DCHandle h) override;
    double Converter_GetEncodeFps(DCHandle h) override;
    PicturePtr Converter_GetPreview(DCHandle h, void *deviceContext) override;
    void Converter_BeginPreview(DCHandle h, int32_t title, int32_t multiChapter) override;
    PicturePtr Converter_GetPreview2(DCHandle h, void *deviceContext, int32_t flag) override;
    void Converter_EndPreview(DCHandle h) override;

    void SetWakeup(DCHandle h, std::function<void()> wakeup) override;
    void DispatchReports(DCHandle h) override;
    std::string LastError(DCHandle h) override;
    int32_t DamagedRegions(DCHandle h) override;
    int32_t ReadEnd(DCHandle h, std::string &text) override;
    int32_t FilesFinishing(DCHandle h) override;
    void SetFileDone(DCHandle h, FileDone done) override;
    void SetJobName(DCHandle h, const std::string &name) override;

private:
    void log(const std::string &name, std::initializer_list<std::string> args);
    const ScriptedTitle *title(int32_t t) const;

    DCHandle m_nextHandle = 1;
    std::vector<DCHandle> m_open;
    ConvertCallback m_callback = nullptr;
    std::mutex m_wakeupMutex;   // held while the wake-up runs
    std::function<void()> m_wakeup;
    mutable std::mutex m_reportsMutex;
    std::deque<std::pair<int32_t, int32_t>> m_reports;
    bool m_paused = false;
    int m_dispatches = 0;
    int m_stillStep = 0;
    // The host's thread only, as the engine's own file reports.
    std::map<DCHandle, std::string> m_path;                   // the file the last job wrote
    std::map<DCHandle, std::vector<std::string>> m_finishing;   // files held
    std::map<DCHandle, std::vector<std::pair<std::string, std::string>>> m_fileReports;   // (path, error) to deliver
    std::map<DCHandle, FileDone> m_fileDone;
};

} // namespace pellavan::testing
