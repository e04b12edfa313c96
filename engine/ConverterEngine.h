// SPDX-License-Identifier: GPL-3.0-or-later
// The one seam between the program and a conversion engine.  The program
// holds a ConverterEngine and never calls the C library directly, so tests
// can run every window and every rule against a scripted engine instead.
#pragma once

#include "dvdconvert.h"

#include <functional>
#include <memory>
#include <string>

namespace pellavan {

// Owns an engine picture and frees it through the engine that made it.
struct PictureDeleter {
    void operator()(DCPicture *p) const;
};
using PicturePtr = std::unique_ptr<DCPicture, PictureDeleter>;

class ConverterEngine {
public:
    virtual ~ConverterEngine() = default;

    virtual DCHandle CreateConverter() = 0;
    virtual void CloseConverter(DCHandle h) = 0;
    virtual bool Converter_OpenDVD(DCHandle h, const std::string &root, int32_t flags) = 0;
    virtual int32_t Converter_GetTitleCount(DCHandle h) = 0;
    virtual int32_t Converter_GetChapterCount(DCHandle h, int32_t title) = 0;
    virtual int32_t Converter_GetAngleCount(DCHandle h, int32_t title) = 0;
    virtual int32_t Converter_GetAudioCount(DCHandle h, int32_t title) = 0;
    virtual int32_t Converter_GetSubCount(DCHandle h, int32_t title) = 0;
    virtual int32_t Converter_GetTitlePlayTime(DCHandle h, int32_t title) = 0;
    virtual int32_t Converter_GetChapterPlayTime(DCHandle h, int32_t title, int32_t chapter) = 0;
    virtual void Converter_GetVideoInfo(DCHandle h, int32_t title, TVideoInfo *info) = 0;
    virtual void Converter_GetAudioInfo(DCHandle h, int32_t title, int32_t stream, TAudioInfo *info) = 0;
    virtual void Converter_GetSubInfo(DCHandle h, int32_t title, int32_t stream, TSubInfo *info) = 0;
    virtual bool Converter_SetConvertInfo(DCHandle h, int32_t title, int32_t firstChapter,
                                          int32_t lastChapter, int32_t width, int32_t height,
                                          int32_t audioStream, int32_t subtitleStream,
                                          int32_t frameRateNum, int32_t frameRateDen, int32_t twoPass,
                                          int32_t encoder, int32_t keepAspect, int32_t newFile,
                                          int32_t angle, int32_t deinterlace) = 0;
    virtual void Converter_SetVideoCBRBitrate(DCHandle h, int32_t kbps) = 0;
    virtual void Converter_SetAudioBitrate(DCHandle h, int32_t kbps) = 0;
    virtual void Converter_SetVideoQuality(DCHandle h, int32_t quality) = 0;
    virtual void Converter_SetAudioSamplerate(DCHandle h, int32_t hz) = 0;
    virtual void Converter_SetSoundCof(DCHandle h, float volume) = 0;
    virtual void Converter_SetCrops(DCHandle h, int32_t top, int32_t bottom, int32_t left, int32_t right) = 0;
    virtual void Converter_SetImageParam(DCHandle h, float brightness, float contrast, float hue,
                                         float saturation) = 0;
    virtual void Converter_SetAudioOffset(DCHandle h, int32_t milliseconds) = 0;
    virtual void Converter_SetSubtitleOffset(DCHandle h, int32_t x, int32_t y) = 0;
    virtual bool Converter_Convert(DCHandle h, const std::string &outputPath, ConvertCallback callback) = 0;
    virtual void Converter_Pause(DCHandle h) = 0;
    virtual void Converter_Resume(DCHandle h) = 0;
    virtual void Converter_CancelConvert(DCHandle h) = 0;
    virtual void Converter_CloseFile(DCHandle h) = 0;
    virtual double Converter_GetEncodeFps(DCHandle h) = 0;
    virtual PicturePtr Converter_GetPreview(DCHandle h, void *deviceContext) = 0;
    virtual void Converter_BeginPreview(DCHandle h, int32_t title, int32_t multiChapter) = 0;
    virtual PicturePtr Converter_GetPreview2(DCHandle h, void *deviceContext, int32_t flag) = 0;
    virtual void Converter_EndPreview(DCHandle h) = 0;

    // Host side of the report queue: `wakeup` may be called on any thread and
    // must only schedule DispatchReports on the UI thread.
    virtual void SetWakeup(DCHandle h, std::function<void()> wakeup) = 0;
    virtual void DispatchReports(DCHandle h) = 0;
    virtual std::string LastError(DCHandle h) = 0;
    // Unreadable regions of the disc the current or last job skipped.
    virtual int32_t DamagedRegions(DCHandle h) = 0;
    // How the current or last job's reading ended (DC_READ_*); unless it
    // was whole, `text` says in plain words where it stopped and what is missing.
    virtual int32_t ReadEnd(DCHandle h, std::string &text) = 0;
    // Files the engine closed and is still finishing on a thread of its own.
    virtual int32_t FilesFinishing(DCHandle h) = 0;
    // Called from DispatchReports when a closed file is finished: its path,
    // and "" when it is whole, else why not.
    using FileDone = std::function<void(const std::string &path, const std::string &error)>;
    virtual void SetFileDone(DCHandle h, FileDone done) = 0;
    // The next job's name, as its own file would be named (for a merged file's chapters).
    virtual void SetJobName(DCHandle h, const std::string &name) = 0;
};

// Allocates a picture the way the engine does, so PictureDeleter can free
// pictures from any ConverterEngine (the scripted one included).
DCPicture *AllocatePicture(int32_t width, int32_t height);

// The real engine library.
std::unique_ptr<ConverterEngine> CreateLibraryEngine();

} // namespace pellavan
