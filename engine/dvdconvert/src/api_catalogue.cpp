// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a disc and the catalogue queries.
#include "disc.h"
#include "ifo_catalogue.h"
#include "instance.h"
#include "log.h"
#include "preview.h"

namespace dvdc {

namespace {

Instance *Checked(DCHandle h, const char *operation)
{
    Instance *in = FindInstance(h);
    if (!in)
        Log(1, "%s: no converter with handle %u", operation, static_cast<unsigned>(h));
    return in;
}

const TitleCatalogue *TitleAt(DCHandle h, int32_t title, const char *operation)
{
    Instance *in = Checked(h, operation);
    std::string error;
    const TitleCatalogue *t = in ? in->Title(title, error) : nullptr;
    if (in && !t)
        Log(1, "%s: no title %d (%s)", operation, title, error.c_str());
    return t;
}

template <class T>
bool InRange(const std::vector<T> &v, int32_t index, const char *operation)
{
    if (index >= 0 && static_cast<size_t>(index) < v.size())
        return true;
    Log(1, "%s: index %d out of range", operation, index);
    return false;
}

} // namespace

} // namespace dvdc

using namespace dvdc;

extern "C" {

DVDCONVERT_API DCBool Converter_OpenDVD(DCHandle h, const char *root, int32_t)
{
    Instance *in = Checked(h, "Converter_OpenDVD");
    if (!in)
        return 0;
    in->preview.reset();
    in->titles.clear();
    in->disc.reset();
    std::string error;
    std::unique_ptr<Disc> disc;
    std::vector<TitleCatalogue> titles;
    if (!OpenDiscCatalogue(root ? root : "", disc, titles, error)) {
        in->SetLastError(error);
        return 0;
    }
    in->disc = std::move(disc);
    in->titles = std::move(titles);
    in->ClearLastError();
    Log(2, "opened %s: %zu titles", root, in->titles.size());
    return 1;
}

DVDCONVERT_API int32_t Converter_GetTitleCount(DCHandle h)
{
    Instance *in = Checked(h, "Converter_GetTitleCount");
    return in ? static_cast<int32_t>(in->titles.size()) : 0;
}

DVDCONVERT_API int32_t Converter_GetChapterCount(DCHandle h, int32_t title)
{
    const TitleCatalogue *t = TitleAt(h, title, "Converter_GetChapterCount");
    return t ? static_cast<int32_t>(t->chapterTimes.size()) : 0;
}

DVDCONVERT_API int32_t Converter_GetAngleCount(DCHandle h, int32_t title)
{
    const TitleCatalogue *t = TitleAt(h, title, "Converter_GetAngleCount");
    return t ? t->angleCount : 0;
}

DVDCONVERT_API int32_t Converter_GetAudioCount(DCHandle h, int32_t title)
{
    const TitleCatalogue *t = TitleAt(h, title, "Converter_GetAudioCount");
    return t ? static_cast<int32_t>(t->audios.size()) : 0;
}

DVDCONVERT_API int32_t Converter_GetSubCount(DCHandle h, int32_t title)
{
    const TitleCatalogue *t = TitleAt(h, title, "Converter_GetSubCount");
    return t ? static_cast<int32_t>(t->subs.size()) : 0;
}

DVDCONVERT_API int32_t Converter_GetTitlePlayTime(DCHandle h, int32_t title)
{
    const TitleCatalogue *t = TitleAt(h, title, "Converter_GetTitlePlayTime");
    return t ? t->playTime : 0;
}

DVDCONVERT_API int32_t Converter_GetChapterPlayTime(DCHandle h, int32_t title, int32_t chapter)
{
    const TitleCatalogue *t = TitleAt(h, title, "Converter_GetChapterPlayTime");
    if (!t || !InRange(t->chapterTimes, chapter, "Converter_GetChapterPlayTime"))
        return 0;
    return t->chapterTimes[static_cast<size_t>(chapter)];
}

DVDCONVERT_API void Converter_GetVideoInfo(DCHandle h, int32_t title, TVideoInfo *info)
{
    const TitleCatalogue *t = TitleAt(h, title, "Converter_GetVideoInfo");
    if (t && info)
        *info = t->video;
}

DVDCONVERT_API void Converter_GetAudioInfo(DCHandle h, int32_t title, int32_t stream, TAudioInfo *info)
{
    const TitleCatalogue *t = TitleAt(h, title, "Converter_GetAudioInfo");
    if (t && info && InRange(t->audios, stream, "Converter_GetAudioInfo"))
        *info = t->audios[static_cast<size_t>(stream)];
}

DVDCONVERT_API void Converter_GetSubInfo(DCHandle h, int32_t title, int32_t stream, TSubInfo *info)
{
    const TitleCatalogue *t = TitleAt(h, title, "Converter_GetSubInfo");
    if (t && info && InRange(t->subs, stream, "Converter_GetSubInfo"))
        *info = t->subs[static_cast<size_t>(stream)];
}

} // extern "C"
