// SPDX-License-Identifier: GPL-3.0-or-later
// The engine library, loaded when a command first needs it.  Loading it
// loads FFmpeg, whose many libraries cost far more start-up time than
// reading a catalogue, so `info` does without it (see info_command.cpp).
#pragma once

#include "dvdconvert.h"
#include "dvdconvert_scan.h"

#include <string>

namespace dvdconvert {

// Every engine operation as a pointer of its own type.
#define DVDCONVERT_OPERATIONS(X)                                                                          \
    X(CreateConverter) X(CloseConverter) X(Converter_OpenDVD) X(Converter_GetTitleCount)                   \
    X(Converter_GetChapterCount) X(Converter_GetAngleCount) X(Converter_GetAudioCount)                     \
    X(Converter_GetSubCount) X(Converter_GetTitlePlayTime) X(Converter_GetChapterPlayTime)                 \
    X(Converter_GetVideoInfo) X(Converter_GetAudioInfo) X(Converter_GetSubInfo) X(Converter_SetConvertInfo) \
    X(Converter_SetVideoCBRBitrate) X(Converter_SetAudioBitrate) X(Converter_SetVideoQuality)              \
    X(Converter_SetAudioSamplerate) X(Converter_SetSoundCof) X(Converter_SetCrops)                         \
    X(Converter_SetImageParam) X(Converter_SetAudioOffset) X(Converter_SetSubtitleOffset)                  \
    X(Converter_Convert) X(Converter_Pause) X(Converter_Resume) X(Converter_CancelConvert)                 \
    X(Converter_CloseFile) X(Converter_GetEncodeFps) X(Converter_GetPreview) X(Converter_BeginPreview)    \
    X(Converter_GetPreview2) X(Converter_EndPreview) X(Converter_SetWakeup) X(Converter_DispatchReports)   \
    X(Converter_FreePicture) X(Converter_GetLastError) X(DVDConvert_SetLogHandler)                       \
    X(Converter_GetDamagedCount) X(Converter_GetDamagedRegion) X(Converter_GetReadEnd)                     \
    X(Converter_ScanTitle) X(Converter_SetFileDone) X(Converter_GetFinishingCount)

struct EngineLibrary {
#define DVDCONVERT_MEMBER(name) decltype(&::name) name = nullptr;
    DVDCONVERT_OPERATIONS(DVDCONVERT_MEMBER)
#undef DVDCONVERT_MEMBER
};

// The loaded engine (kept for the life of the process), or nullptr with a
// message printed.  Engine messages follow --verbose.
const EngineLibrary *LoadEngine();

} // namespace dvdconvert
