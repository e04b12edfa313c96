// SPDX-License-Identifier: GPL-3.0-or-later
// ConverterEngine over the real engine library's C operations.
#include "ConverterEngine.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

namespace pellavan {

namespace {

class LibraryEngine final : public ConverterEngine {
public:
    ~LibraryEngine() override
    {
        std::lock_guard lock(m_mutex);
        for (auto &[h, fn] : m_wakeups)
            ::Converter_SetWakeup(h, nullptr, nullptr);
    }

    DCHandle CreateConverter() override { return ::CreateConverter(); }
    void CloseConverter(DCHandle h) override
    {
        ::Converter_SetWakeup(h, nullptr, nullptr);
        {
            std::lock_guard lock(m_mutex);
            m_wakeups.erase(h);
        }
        ::Converter_SetFileDone(h, nullptr, nullptr);
        m_fileDone.erase(h);
        ::CloseConverter(h);   // waits until its files are finished
    }
    bool Converter_OpenDVD(DCHandle h, const std::string &root, int32_t flags) override
    {
        return ::Converter_OpenDVD(h, root.c_str(), flags) != 0;
    }
    int32_t Converter_GetTitleCount(DCHandle h) override { return ::Converter_GetTitleCount(h); }
    int32_t Converter_GetChapterCount(DCHandle h, int32_t t) override { return ::Converter_GetChapterCount(h, t); }
    int32_t Converter_GetAngleCount(DCHandle h, int32_t t) override { return ::Converter_GetAngleCount(h, t); }
    int32_t Converter_GetAudioCount(DCHandle h, int32_t t) override { return ::Converter_GetAudioCount(h, t); }
    int32_t Converter_GetSubCount(DCHandle h, int32_t t) override { return ::Converter_GetSubCount(h, t); }
    int32_t Converter_GetTitlePlayTime(DCHandle h, int32_t t) override { return ::Converter_GetTitlePlayTime(h, t); }
    int32_t Converter_GetChapterPlayTime(DCHandle h, int32_t t, int32_t c) override
    {
        return ::Converter_GetChapterPlayTime(h, t, c);
    }
    void Converter_GetVideoInfo(DCHandle h, int32_t t, TVideoInfo *i) override { ::Converter_GetVideoInfo(h, t, i); }
    void Converter_GetAudioInfo(DCHandle h, int32_t t, int32_t s, TAudioInfo *i) override
    {
        ::Converter_GetAudioInfo(h, t, s, i);
    }
    void Converter_GetSubInfo(DCHandle h, int32_t t, int32_t s, TSubInfo *i) override
    {
        ::Converter_GetSubInfo(h, t, s, i);
    }
    bool Converter_SetConvertInfo(DCHandle h, int32_t title, int32_t firstChapter, int32_t lastChapter,
                                  int32_t width, int32_t height, int32_t audioStream,
                                  int32_t subtitleStream, int32_t frameRateNum, int32_t frameRateDen,
                                  int32_t twoPass, int32_t encoder, int32_t keepAspect, int32_t newFile,
                                  int32_t angle, int32_t deinterlace) override
    {
        return ::Converter_SetConvertInfo(h, title, firstChapter, lastChapter, width, height, audioStream,
                                          subtitleStream, frameRateNum, frameRateDen, twoPass, encoder,
                                          keepAspect, newFile, angle, deinterlace) != 0;
    }
    void Converter_SetVideoCBRBitrate(DCHandle h, int32_t v) override { ::Converter_SetVideoCBRBitrate(h, v); }
    void Converter_SetAudioBitrate(DCHandle h, int32_t v) override { ::Converter_SetAudioBitrate(h, v); }
    void Converter_SetVideoQuality(DCHandle h, int32_t v) override { ::Converter_SetVideoQuality(h, v); }
    void Converter_SetAudioSamplerate(DCHandle h, int32_t v) override { ::Converter_SetAudioSamplerate(h, v); }
    void Converter_SetSoundCof(DCHandle h, float v) override { ::Converter_SetSoundCof(h, v); }
    void Converter_SetCrops(DCHandle h, int32_t t, int32_t b, int32_t l, int32_t r) override
    {
        ::Converter_SetCrops(h, t, b, l, r);
    }
    void Converter_SetImageParam(DCHandle h, float b, float c, float hu, float s) override
    {
        ::Converter_SetImageParam(h, b, c, hu, s);
    }
    void Converter_SetAudioOffset(DCHandle h, int32_t ms) override { ::Converter_SetAudioOffset(h, ms); }
    void Converter_SetSubtitleOffset(DCHandle h, int32_t x, int32_t y) override
    {
        ::Converter_SetSubtitleOffset(h, x, y);
    }
    bool Converter_Convert(DCHandle h, const std::string &path, ConvertCallback cb) override
    {
        return ::Converter_Convert(h, path.c_str(), cb) != 0;
    }
    void Converter_Pause(DCHandle h) override { ::Converter_Pause(h); }
    void Converter_Resume(DCHandle h) override { ::Converter_Resume(h); }
    void Converter_CancelConvert(DCHandle h) override { ::Converter_CancelConvert(h); }
    void Converter_CloseFile(DCHandle h) override { ::Converter_CloseFile(h); }
    double Converter_GetEncodeFps(DCHandle h) override { return ::Converter_GetEncodeFps(h); }
    PicturePtr Converter_GetPreview(DCHandle h, void *dc) override { return PicturePtr(::Converter_GetPreview(h, dc)); }
    void Converter_BeginPreview(DCHandle h, int32_t t, int32_t m) override { ::Converter_BeginPreview(h, t, m); }
    PicturePtr Converter_GetPreview2(DCHandle h, void *dc, int32_t flag) override
    {
        return PicturePtr(::Converter_GetPreview2(h, dc, flag));
    }
    void Converter_EndPreview(DCHandle h) override { ::Converter_EndPreview(h); }

    void SetWakeup(DCHandle h, std::function<void()> wakeup) override
    {
        // Clear the engine's pointer first: after that no wake-up can still
        // be running, so the old function may be destroyed safely.
        ::Converter_SetWakeup(h, nullptr, nullptr);
        std::lock_guard lock(m_mutex);
        if (!wakeup) {
            m_wakeups.erase(h);
            return;
        }
        auto &slot = m_wakeups[h];
        slot = std::make_unique<std::function<void()>>(std::move(wakeup));
        ::Converter_SetWakeup(h, &LibraryEngine::trampoline, slot.get());
    }
    void DispatchReports(DCHandle h) override { ::Converter_DispatchReports(h); }
    std::string LastError(DCHandle h) override
    {
        const char *e = ::Converter_GetLastError(h);
        return e ? std::string(e) : std::string();
    }
    int32_t DamagedRegions(DCHandle h) override { return ::Converter_GetDamagedCount(h); }
    int32_t ReadEnd(DCHandle h, std::string &text) override
    {
        char said[512] = "";
        const int32_t end = ::Converter_GetReadEnd(h, said, sizeof said);
        text = said;
        return end;
    }
    int32_t FilesFinishing(DCHandle h) override { return ::Converter_GetFinishingCount(h); }
    // Called on the host's thread only, like the dispatch that calls `done`.
    void SetFileDone(DCHandle h, FileDone done) override
    {
        if (!done) {
            ::Converter_SetFileDone(h, nullptr, nullptr);
            m_fileDone.erase(h);
            return;
        }
        auto &slot = m_fileDone[h];
        slot = std::make_unique<FileDone>(std::move(done));
        ::Converter_SetFileDone(h, &LibraryEngine::fileTrampoline, slot.get());
    }
    void SetJobName(DCHandle h, const std::string &name) override { ::Converter_SetJobName(h, name.c_str()); }

private:
    static void trampoline(void *context) { (*static_cast<std::function<void()> *>(context))(); }
    static void fileTrampoline(const char *path, const char *error, void *context)
    {
        (*static_cast<FileDone *>(context))(path, error);
    }

    std::mutex m_mutex;
    std::map<DCHandle, std::unique_ptr<std::function<void()>>> m_wakeups;   // under m_mutex
    std::map<DCHandle, std::unique_ptr<FileDone>> m_fileDone;                 // the host's thread only
};

} // namespace

std::unique_ptr<ConverterEngine> CreateLibraryEngine() { return std::make_unique<LibraryEngine>(); }

} // namespace pellavan
