// SPDX-License-Identifier: GPL-3.0-or-later
// Every query, a preview and a bounded read of every title of an opened
// disc: what a damaged disc must survive.  Shared by the seeded fuzz test
// and the coverage-guided fuzzer.
#pragma once

#include "dvdconvert.h"
#include "instance.h"
#include "title_reader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace enginetest {

// False when a returned record breaks its contract (an unterminated text).
inline bool ExerciseDisc(DCHandle h)
{
    bool sound = true;
    const int titles = Converter_GetTitleCount(h);
    for (int t = 0; t < titles; ++t) {
        const int chapters = Converter_GetChapterCount(h, t);
        for (int c = 0; c < chapters; ++c)
            Converter_GetChapterPlayTime(h, t, c);
        TVideoInfo v;
        Converter_GetVideoInfo(h, t, &v);
        for (int a = 0; a < Converter_GetAudioCount(h, t); ++a) {
            TAudioInfo info;
            Converter_GetAudioInfo(h, t, a, &info);
            sound = sound && info.language[31] == 0;
        }
        for (int s = 0; s < Converter_GetSubCount(h, t); ++s) {
            TSubInfo info;
            Converter_GetSubInfo(h, t, s, &info);
            sound = sound && info.language[31] == 0;
        }
        Converter_BeginPreview(h, t, 1);
        Converter_GetPreview2(h, nullptr, 0);
        Converter_FreePicture(Converter_GetPreview2(h, nullptr, 1));
        Converter_EndPreview(h);
        if (chapters > 0) {
            std::string error;
            auto reader = dvdc::OpenTitleReader(*dvdc::FindInstance(h), t, 0, chapters - 1,
                                                Converter_GetAngleCount(h, t) - 1, error);
            std::vector<uint8_t> buffer(1 << 16);
            for (int guard = 0; reader && guard < 1000 && reader->Read(buffer.data(), int(buffer.size())) > 0;
                 ++guard) {
            }
        }
    }
    return sound;
}

} // namespace enginetest
