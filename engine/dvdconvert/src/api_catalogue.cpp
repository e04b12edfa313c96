// Opening a disc and the catalogue queries.
#include "disc.h"
#include "ifo_catalogue.h"
#include "instance.h"
#include "pack.h"
#include "preview.h"

namespace dvdc {

namespace {

const ifo_handle_t *VtsOfDisc(void *disc, int titleSet) { return static_cast<Disc *>(disc)->Vts(titleSet); }

// Without libdvdcss an encrypted disc opens and its IFOs read fine, but every
// video pack stays scrambled: look at the start of the first title.
bool ScrambledWithoutKeys(Disc &disc, const std::vector<TitleCatalogue> &titles)
{
    for (const TitleCatalogue &t : titles) {
        const ifo_handle_t *vts = disc.Vts(t.titleSet);
        ChapterCells cells;
        std::string why;
        if (!vts || !FindChapterCells(*vts, t.vtsTitle, 0, 0, cells, why) || cells.cells.empty())
            continue;
        dvd_file_t *file = DVDOpenFile(disc.Reader(), t.titleSet, DVD_READ_TITLE_VOBS);
        if (!file)
            return false;
        constexpr int kBlocks = 16;
        static thread_local uint8_t buffer[kBlocks * kBlockSize];
        uint32_t start = cells.pgc->cell_playback[cells.cells.front()].first_sector;
        ssize_t got = DVDReadBlocks(file, static_cast<int>(start), kBlocks, buffer);
        DVDCloseFile(file);
        bool scrambled = false;
        for (ssize_t b = 0; b < got; ++b)
            ForEachPes(buffer + b * kBlockSize, [&](const PesPacket &p) { scrambled |= p.scrambled; });
        return scrambled;
    }
    return false;
}

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
    if (!in)
        return nullptr;
    if (title < 0 || static_cast<size_t>(title) >= in->titles.size()) {
        Log(1, "%s: no title %d", operation, title);
        return nullptr;
    }
    return &in->titles[static_cast<size_t>(title)];
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
    std::unique_ptr<Disc> disc = Disc::Open(root ? root : "", error);
    if (!disc) {
        in->SetLastError(error);
        return 0;
    }
    std::vector<TitleCatalogue> titles = BuildCatalogue(*disc->Vmg(), VtsOfDisc, disc.get());
    if (ScrambledWithoutKeys(*disc, titles)) {
        in->SetLastError("the disc is encrypted and cannot be read here (libdvdcss is not installed)");
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
