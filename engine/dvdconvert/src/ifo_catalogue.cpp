#include "ifo_catalogue.h"

#include "log.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace dvdc {

namespace {

constexpr int kAngleBlock = 1;
constexpr int kBlockFirst = 1;
constexpr int kBlockLast = 3;

// -1 when the byte is no valid BCD number below `limit`.
int Bcd(uint8_t v, int limit)
{
    int hi = v >> 4, lo = v & 0x0f;
    if (hi > 9 || lo > 9)
        return -1;
    int n = hi * 10 + lo;
    return n < limit ? n : -1;
}

const pgc_t *PgcOf(const ifo_handle_t &vts, int pgcn)
{
    const pgcit_t *pgcit = vts.vts_pgcit;
    if (!pgcit || !pgcit->pgci_srp || pgcn < 1 || pgcn > pgcit->nr_of_pgci_srp)
        return nullptr;
    const pgc_t *pgc = pgcit->pgci_srp[pgcn - 1].pgc;
    if (!pgc || !pgc->program_map || !pgc->cell_playback || pgc->nr_of_cells == 0 ||
        pgc->nr_of_programs == 0)
        return nullptr;
    return pgc;
}

const ttu_t *TitleUnit(const ifo_handle_t &vts, int vtsTitle)
{
    const vts_ptt_srpt_t *ptt = vts.vts_ptt_srpt;
    if (!ptt || !ptt->title || vtsTitle < 1 || vtsTitle > ptt->nr_of_srpts)
        return nullptr;
    const ttu_t *unit = &ptt->title[vtsTitle - 1];
    return unit->ptt ? unit : nullptr;
}

// Last cell (1-based) of the angle block whose first cell is `first`.
int AngleBlockEnd(const pgc_t &pgc, int first)
{
    int end = first;
    while (end < pgc.nr_of_cells) {
        const cell_playback_t &next = pgc.cell_playback[end];
        if (next.block_type != kAngleBlock || next.block_mode <= kBlockFirst)
            break;
        ++end;
        if (next.block_mode == kBlockLast)
            break;
    }
    return end;
}

void FillVideo(const video_attr_t &v, TVideoInfo &out)
{
    bool pal = v.video_format == 1;
    static const int widths[4] = {720, 704, 352, 352};
    out.width = widths[v.picture_size & 3];
    out.height = pal ? 576 : 480;
    if (v.picture_size == 3)
        out.height /= 2;
    out.videoStandard = pal ? 1 : 0;
    out.frameRateNum = pal ? 25 : 30000;
    out.frameRateDen = pal ? 1 : 1001;
    out.aspectCode = v.display_aspect_ratio == 3 ? 3 : 0;
}

void CopyText(char (&field)[32], const std::string &text)
{
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text.data(), std::min(text.size(), sizeof field - 1));
}

void FillAudio(const audio_attr_t &a, uint16_t control, int index, TAudioInfo &out)
{
    out = TAudioInfo{};
    int n = index;
    bool listed = (control & 0x8000) != 0;
    if (listed) {
        n = (control & 0x7f00) >> 8;
        if (n > 7) {   // no such stream number: never offer it
            listed = false;
            n = index;
        }
    }
    out.listed = listed ? 1 : 0;
    out.sampleRate = a.sample_frequency == 1 ? 96000 : 48000;
    out.channels = a.channels + 1;
    CopyText(out.language, LanguageName(LanguageCode(a.lang_code, a.lang_type)));
    switch (a.audio_format) {
    case 0: out.formatCode = DC_AUDIO_AC3; out.streamId = 0x80 + n; break;
    case 2:
    case 3: out.formatCode = DC_AUDIO_MPEG; out.streamId = 0xC0 + n; break;
    case 4: out.formatCode = DC_AUDIO_LPCM; out.streamId = 0xA0 + n; break;
    case 6: out.formatCode = DC_AUDIO_DTS; out.streamId = 0x88 + n; break;
    default: out.formatCode = DC_AUDIO_UNKNOWN; out.streamId = 0; break;
    }
}

void FillSub(const subp_attr_t &s, uint32_t control, int index, bool wide, TSubInfo &out)
{
    out = TSubInfo{};
    bool listed = (control & 0x80000000u) != 0;
    // 16:9 titles: the widescreen variant, which is what a full-width
    // (kept-aspect) output shows.
    int id = listed ? static_cast<int>((control >> (wide ? 16 : 24)) & 0x1f) : index;
    out.listed = listed ? 1 : 0;
    out.streamId = 0x20 + id;
    CopyText(out.language, LanguageName(LanguageCode(s.lang_code, s.type)));
}

} // namespace

int64_t DvdTimeUnits(const dvd_time_t &time)
{
    int h = Bcd(time.hour, 100), m = Bcd(time.minute, 60), s = Bcd(time.second, 60);
    if (h < 0 || m < 0 || s < 0)
        return 0;
    int64_t seconds = int64_t(h) * 3600 + m * 60 + s;
    int rate = time.frame_u >> 6;
    int frames = Bcd(time.frame_u & 0x3f, 40);
    if (frames < 0)
        frames = 0;
    if (rate == 3)
        return (seconds * 30 + frames) * 1001;
    if (rate == 1)
        return (seconds * 25 + frames) * 1200;
    return seconds * 30000;
}

int32_t UnitsToMs(int64_t units)
{
    int64_t ms = (units + 15) / 30;
    return ms > INT32_MAX ? INT32_MAX : static_cast<int32_t>(ms);
}

namespace {
struct LanguageEntry {
    const char *code;
    const char *name;
};
// Every ISO 639-1 code with its English name (the first of the standard's
// names, in ASCII), sorted by code.
constexpr LanguageEntry kLanguages[] = {
    {"aa", "Afar"}, {"ab", "Abkhazian"}, {"ae", "Avestan"}, {"af", "Afrikaans"}, {"ak", "Akan"},
    {"am", "Amharic"}, {"an", "Aragonese"}, {"ar", "Arabic"}, {"as", "Assamese"}, {"av", "Avaric"},
    {"ay", "Aymara"}, {"az", "Azerbaijani"}, {"ba", "Bashkir"}, {"be", "Belarusian"}, {"bg", "Bulgarian"},
    {"bh", "Bihari languages"}, {"bi", "Bislama"}, {"bm", "Bambara"}, {"bn", "Bengali"}, {"bo", "Tibetan"},
    {"br", "Breton"}, {"bs", "Bosnian"}, {"ca", "Catalan"}, {"ce", "Chechen"}, {"ch", "Chamorro"},
    {"co", "Corsican"}, {"cr", "Cree"}, {"cs", "Czech"}, {"cu", "Church Slavic"}, {"cv", "Chuvash"},
    {"cy", "Welsh"}, {"da", "Danish"}, {"de", "German"}, {"dv", "Divehi"}, {"dz", "Dzongkha"}, {"ee", "Ewe"},
    {"el", "Greek"}, {"en", "English"}, {"eo", "Esperanto"}, {"es", "Spanish"}, {"et", "Estonian"},
    {"eu", "Basque"}, {"fa", "Persian"}, {"ff", "Fulah"}, {"fi", "Finnish"}, {"fj", "Fijian"},
    {"fo", "Faroese"}, {"fr", "French"}, {"fy", "Western Frisian"}, {"ga", "Irish"}, {"gd", "Gaelic"},
    {"gl", "Galician"}, {"gn", "Guarani"}, {"gu", "Gujarati"}, {"gv", "Manx"}, {"ha", "Hausa"},
    {"he", "Hebrew"}, {"hi", "Hindi"}, {"ho", "Hiri Motu"}, {"hr", "Croatian"}, {"ht", "Haitian"},
    {"hu", "Hungarian"}, {"hy", "Armenian"}, {"hz", "Herero"}, {"ia", "Interlingua"}, {"id", "Indonesian"},
    {"ie", "Interlingue"}, {"ig", "Igbo"}, {"ii", "Sichuan Yi"}, {"ik", "Inupiaq"}, {"io", "Ido"},
    {"is", "Icelandic"}, {"it", "Italian"}, {"iu", "Inuktitut"}, {"ja", "Japanese"}, {"jv", "Javanese"},
    {"ka", "Georgian"}, {"kg", "Kongo"}, {"ki", "Kikuyu"}, {"kj", "Kuanyama"}, {"kk", "Kazakh"},
    {"kl", "Kalaallisut"}, {"km", "Central Khmer"}, {"kn", "Kannada"}, {"ko", "Korean"}, {"kr", "Kanuri"},
    {"ks", "Kashmiri"}, {"ku", "Kurdish"}, {"kv", "Komi"}, {"kw", "Cornish"}, {"ky", "Kirghiz"},
    {"la", "Latin"}, {"lb", "Luxembourgish"}, {"lg", "Ganda"}, {"li", "Limburgan"}, {"ln", "Lingala"},
    {"lo", "Lao"}, {"lt", "Lithuanian"}, {"lu", "Luba-Katanga"}, {"lv", "Latvian"}, {"mg", "Malagasy"},
    {"mh", "Marshallese"}, {"mi", "Maori"}, {"mk", "Macedonian"}, {"ml", "Malayalam"}, {"mn", "Mongolian"},
    {"mr", "Marathi"}, {"ms", "Malay"}, {"mt", "Maltese"}, {"my", "Burmese"}, {"na", "Nauru"},
    {"nb", "Norwegian Bokmal"}, {"nd", "North Ndebele"}, {"ne", "Nepali"}, {"ng", "Ndonga"}, {"nl", "Dutch"},
    {"nn", "Norwegian Nynorsk"}, {"no", "Norwegian"}, {"nr", "South Ndebele"}, {"nv", "Navajo"},
    {"ny", "Chichewa"}, {"oc", "Occitan"}, {"oj", "Ojibwa"}, {"om", "Oromo"}, {"or", "Oriya"},
    {"os", "Ossetian"}, {"pa", "Panjabi"}, {"pi", "Pali"}, {"pl", "Polish"}, {"ps", "Pushto"},
    {"pt", "Portuguese"}, {"qu", "Quechua"}, {"rm", "Romansh"}, {"rn", "Rundi"}, {"ro", "Romanian"},
    {"ru", "Russian"}, {"rw", "Kinyarwanda"}, {"sa", "Sanskrit"}, {"sc", "Sardinian"}, {"sd", "Sindhi"},
    {"se", "Northern Sami"}, {"sg", "Sango"}, {"si", "Sinhala"}, {"sk", "Slovak"}, {"sl", "Slovenian"},
    {"sm", "Samoan"}, {"sn", "Shona"}, {"so", "Somali"}, {"sq", "Albanian"}, {"sr", "Serbian"},
    {"ss", "Swati"}, {"st", "Sotho, Southern"}, {"su", "Sundanese"}, {"sv", "Swedish"}, {"sw", "Swahili"},
    {"ta", "Tamil"}, {"te", "Telugu"}, {"tg", "Tajik"}, {"th", "Thai"}, {"ti", "Tigrinya"}, {"tk", "Turkmen"},
    {"tl", "Tagalog"}, {"tn", "Tswana"}, {"to", "Tonga"}, {"tr", "Turkish"}, {"ts", "Tsonga"}, {"tt", "Tatar"},
    {"tw", "Twi"}, {"ty", "Tahitian"}, {"ug", "Uighur"}, {"uk", "Ukrainian"}, {"ur", "Urdu"}, {"uz", "Uzbek"},
    {"ve", "Venda"}, {"vi", "Vietnamese"}, {"vo", "Volapuk"}, {"wa", "Walloon"}, {"wo", "Wolof"},
    {"xh", "Xhosa"}, {"yi", "Yiddish"}, {"yo", "Yoruba"}, {"za", "Zhuang"}, {"zh", "Chinese"}, {"zu", "Zulu"},
};
} // namespace

std::string LanguageName(const std::string &code)
{
    const auto end = std::end(kLanguages);
    const auto it = std::lower_bound(std::begin(kLanguages), end, code,
                                     [](const LanguageEntry &e, const std::string &c) { return e.code < c; });
    return it != end && it->code == code ? it->name : code;
}

std::string LanguageCode(uint16_t langCode, int langType)
{
    if (langType != 1)
        return {};
    char a = static_cast<char>(langCode >> 8), b = static_cast<char>(langCode & 0xff);
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!letter(a) || !letter(b))
        return {};
    std::string code{a, b};
    for (char &c : code)
        c = static_cast<char>(c | 0x20);
    return code;
}

bool FindChapterCells(const ifo_handle_t &vts, int vtsTitle, int chapter, int angle, ChapterCells &out,
                      std::string &why)
{
    out = ChapterCells{};
    const ttu_t *unit = TitleUnit(vts, vtsTitle);
    if (!unit) {
        why = "the title's chapter table is missing";
        return false;
    }
    if (chapter < 0 || chapter >= unit->nr_of_ptts) {
        why = "no such chapter";
        return false;
    }
    const ptt_info_t &ptt = unit->ptt[chapter];
    const pgc_t *pgc = PgcOf(vts, ptt.pgcn);
    if (!pgc || ptt.pgn < 1 || ptt.pgn > pgc->nr_of_programs) {
        why = "the chapter points to no program";
        return false;
    }
    int first = pgc->program_map[ptt.pgn - 1];
    int last = pgc->nr_of_cells;
    if (chapter + 1 < unit->nr_of_ptts) {
        const ptt_info_t &next = unit->ptt[chapter + 1];
        if (next.pgcn == ptt.pgcn && next.pgn > ptt.pgn && next.pgn <= pgc->nr_of_programs)
            last = pgc->program_map[next.pgn - 1] - 1;
    }
    if (first < 1 || first > pgc->nr_of_cells || last < first) {
        why = "the chapter's cells are outside its PGC";
        return false;
    }
    for (int c = first; c <= last; ++c) {
        const cell_playback_t &cell = pgc->cell_playback[c - 1];
        if (cell.block_type == kAngleBlock && cell.block_mode == kBlockFirst) {
            int end = AngleBlockEnd(*pgc, c);
            int pick = c + std::max(angle, 0);
            out.cells.push_back((pick <= end ? pick : c) - 1);
            c = end;
        } else {
            out.cells.push_back(c - 1);
        }
    }
    out.pgc = pgc;
    return true;
}

void BuildTitleCatalogue(const ifo_handle_t &vmg, int title, const ifo_handle_t *vts, TitleCatalogue &out)
{
    out = TitleCatalogue{};
    const tt_srpt_t *tt = vmg.tt_srpt;
    if (!tt || !tt->title || title < 0 || title >= tt->nr_of_srpts)
        return;
    const title_info_t &info = tt->title[title];
    out.titleSet = info.title_set_nr;
    out.vtsTitle = info.vts_ttn;
    out.angleCount = std::clamp<int>(info.nr_of_angles, 1, 9);
    if (!vts || !vts->vtsi_mat) {
        Log(1, "title %d: its title set %d is unreadable", title + 1, info.title_set_nr);
        return;
    }
    FillVideo(vts->vtsi_mat->vts_video_attr, out.video);

    const ttu_t *unit = TitleUnit(*vts, info.vts_ttn);
    int chapters = unit ? std::min<int>(unit->nr_of_ptts, info.nr_of_ptts) : 0;
    if (unit && unit->nr_of_ptts != info.nr_of_ptts)
        Log(1, "title %d: %d chapters in the title set, %d in the title table", title + 1,
            unit->nr_of_ptts, info.nr_of_ptts);
    const pgc_t *firstPgc = nullptr;
    int64_t titleUnits = 0;
    for (int c = 0; c < chapters; ++c) {
        ChapterCells cells;
        std::string why;
        int64_t units = 0;
        if (FindChapterCells(*vts, info.vts_ttn, c, 0, cells, why)) {
            if (!firstPgc)
                firstPgc = cells.pgc;
            for (int i : cells.cells)
                units += DvdTimeUnits(cells.pgc->cell_playback[i].playback_time);
        } else {
            Log(1, "title %d chapter %d: %s", title + 1, c + 1, why.c_str());
        }
        out.chapterTimes.push_back(UnitsToMs(units));
        titleUnits += units;
    }
    out.playTime = UnitsToMs(titleUnits);
    if (!firstPgc)
        return;   // without a PGC there are no stream controls either

    const vtsi_mat_t &mat = *vts->vtsi_mat;
    int audios = std::min<int>(mat.nr_of_vts_audio_streams, 8);
    for (int i = 0; i < audios; ++i) {
        TAudioInfo a;
        FillAudio(mat.vts_audio_attr[i], firstPgc->audio_control[i], i, a);
        out.audios.push_back(a);
    }
    int subs = std::min<int>(mat.nr_of_vts_subp_streams, 32);
    bool wide = mat.vts_video_attr.display_aspect_ratio == 3;
    for (int i = 0; i < subs; ++i) {
        TSubInfo s;
        FillSub(mat.vts_subp_attr[i], firstPgc->subp_control[i], i, wide, s);
        out.subs.push_back(s);
    }
    // Element by element: the IFO structs are packed, so no reference to the array.
    for (size_t i = 0; i < out.palette.size(); ++i)
        out.palette[i] = firstPgc->palette[i];
}

std::vector<TitleCatalogue> BuildCatalogue(const ifo_handle_t &vmg,
                                           const ifo_handle_t *(*vtsOf)(void *, int), void *context)
{
    std::vector<TitleCatalogue> titles;
    if (!vmg.tt_srpt || !vmg.tt_srpt->title)
        return titles;
    for (int t = 0; t < vmg.tt_srpt->nr_of_srpts; ++t) {
        int set = vmg.tt_srpt->title[t].title_set_nr;
        titles.emplace_back();
        BuildTitleCatalogue(vmg, t, vtsOf(context, set), titles.back());
    }
    return titles;
}

} // namespace dvdc
