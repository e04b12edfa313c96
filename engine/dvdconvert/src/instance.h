// SPDX-License-Identifier: GPL-3.0-or-later
// An engine instance: one opened disc, its catalogue, and at most one
// conversion session.  The host calls the operations of one instance from
// one thread at a time (its UI thread); engine threads never touch the
// instance table.
#pragma once

#include "dvdconvert.h"

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace dvdc {

class Disc;                 // the opened DVD (libdvdread), see disc.h
struct PreviewState;        // still previews, see preview.h
struct ConvertSession;      // the conversion side, see convert_session.h

// Implemented by the conversion side: cancels a running job, joins its
// threads and frees everything it holds.  Must accept nullptr.
void DestroyConvertSession(ConvertSession *session);

struct ConvertSessionDeleter {
    void operator()(ConvertSession *s) const { DestroyConvertSession(s); }
};
struct PreviewStateDeleter {
    void operator()(PreviewState *p) const;
};

// What the engine knows of one title, read from the IFO files.
struct TitleCatalogue {
    int32_t titleSet = 0;             // VTS number, 1-based
    int32_t vtsTitle = 0;             // title number within the VTS, 1-based
    int32_t angleCount = 1;
    int32_t playTime = 0;             // ms
    std::vector<int32_t> chapterTimes;  // ms, one per chapter (part of title)
    TVideoInfo video{};
    std::vector<TAudioInfo> audios;   // in the order of the title set's audio attributes
    std::vector<std::string> audioLanguages;   // their ISO 639-1 codes, "" when not given
    std::vector<TSubInfo> subs;       // in the order of the title set's subpicture attributes
    std::array<uint32_t, 16> palette{};  // the title's PGC colours, 0x00YYCrCb (BT.601)
};

struct Instance {
    DCHandle handle = 0;
    std::unique_ptr<Disc> disc;                 // null until Converter_OpenDVD succeeded
    std::vector<TitleCatalogue> titles;
    std::unique_ptr<PreviewState, PreviewStateDeleter> preview;
    std::unique_ptr<ConvertSession, ConvertSessionDeleter> convert;

    std::mutex errorMutex;
    std::string lastError;                      // reason of the last failure
    std::string lastErrorCopy;                  // what Converter_GetLastError handed out

    void SetLastError(const std::string &reason);  // also logs it at level 0
    void ClearLastError();

    // The one check of where a request lies on the disc: the disc open and
    // the title there (Title), and the chapters and angle inside it (Range).
    // nullptr with the reason in plain words otherwise.
    const TitleCatalogue *Title(int title, std::string &error) const;
    const TitleCatalogue *Range(int title, int firstChapter, int lastChapter, int angle, std::string &error) const;

    ~Instance();
};

// nullptr for 0, unknown or closed handles.
Instance *FindInstance(DCHandle h);

} // namespace dvdc
