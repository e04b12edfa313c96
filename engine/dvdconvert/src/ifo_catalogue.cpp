// SPDX-License-Identifier: GPL-3.0-or-later
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
    const char *code;    // ISO 639-1
    const char *code3;   // ISO 639-2/T, as MP4 and ASF carry it
    const char *name;
};
// Every ISO 639-1 code with its ISO 639-2/T code and its English name (the
// first of the standard's names, in ASCII), sorted by code; the three-letter
// codes were taken from the iso-codes package's ISO 639-2 table.
constexpr LanguageEntry kLanguages[] = {
    {"aa", "aar", "Afar"}, {"ab", "abk", "Abkhazian"}, {"ae", "ave", "Avestan"}, {"af", "afr", "Afrikaans"},
    {"ak", "aka", "Akan"}, {"am", "amh", "Amharic"}, {"an", "arg", "Aragonese"}, {"ar", "ara", "Arabic"},
    {"as", "asm", "Assamese"}, {"av", "ava", "Avaric"}, {"ay", "aym", "Aymara"}, {"az", "aze", "Azerbaijani"},
    {"ba", "bak", "Bashkir"}, {"be", "bel", "Belarusian"}, {"bg", "bul", "Bulgarian"},
    {"bh", "bih", "Bihari languages"}, {"bi", "bis", "Bislama"}, {"bm", "bam", "Bambara"},
    {"bn", "ben", "Bengali"}, {"bo", "bod", "Tibetan"}, {"br", "bre", "Breton"}, {"bs", "bos", "Bosnian"},
    {"ca", "cat", "Catalan"}, {"ce", "che", "Chechen"}, {"ch", "cha", "Chamorro"}, {"co", "cos", "Corsican"},
    {"cr", "cre", "Cree"}, {"cs", "ces", "Czech"}, {"cu", "chu", "Church Slavic"}, {"cv", "chv", "Chuvash"},
    {"cy", "cym", "Welsh"}, {"da", "dan", "Danish"}, {"de", "deu", "German"}, {"dv", "div", "Divehi"},
    {"dz", "dzo", "Dzongkha"}, {"ee", "ewe", "Ewe"}, {"el", "ell", "Greek"}, {"en", "eng", "English"},
    {"eo", "epo", "Esperanto"}, {"es", "spa", "Spanish"}, {"et", "est", "Estonian"}, {"eu", "eus", "Basque"},
    {"fa", "fas", "Persian"}, {"ff", "ful", "Fulah"}, {"fi", "fin", "Finnish"}, {"fj", "fij", "Fijian"},
    {"fo", "fao", "Faroese"}, {"fr", "fra", "French"}, {"fy", "fry", "Western Frisian"}, {"ga", "gle", "Irish"},
    {"gd", "gla", "Gaelic"}, {"gl", "glg", "Galician"}, {"gn", "grn", "Guarani"}, {"gu", "guj", "Gujarati"},
    {"gv", "glv", "Manx"}, {"ha", "hau", "Hausa"}, {"he", "heb", "Hebrew"}, {"hi", "hin", "Hindi"},
    {"ho", "hmo", "Hiri Motu"}, {"hr", "hrv", "Croatian"}, {"ht", "hat", "Haitian"}, {"hu", "hun", "Hungarian"},
    {"hy", "hye", "Armenian"}, {"hz", "her", "Herero"}, {"ia", "ina", "Interlingua"},
    {"id", "ind", "Indonesian"}, {"ie", "ile", "Interlingue"}, {"ig", "ibo", "Igbo"},
    {"ii", "iii", "Sichuan Yi"}, {"ik", "ipk", "Inupiaq"}, {"io", "ido", "Ido"}, {"is", "isl", "Icelandic"},
    {"it", "ita", "Italian"}, {"iu", "iku", "Inuktitut"}, {"ja", "jpn", "Japanese"}, {"jv", "jav", "Javanese"},
    {"ka", "kat", "Georgian"}, {"kg", "kon", "Kongo"}, {"ki", "kik", "Kikuyu"}, {"kj", "kua", "Kuanyama"},
    {"kk", "kaz", "Kazakh"}, {"kl", "kal", "Kalaallisut"}, {"km", "khm", "Central Khmer"},
    {"kn", "kan", "Kannada"}, {"ko", "kor", "Korean"}, {"kr", "kau", "Kanuri"}, {"ks", "kas", "Kashmiri"},
    {"ku", "kur", "Kurdish"}, {"kv", "kom", "Komi"}, {"kw", "cor", "Cornish"}, {"ky", "kir", "Kirghiz"},
    {"la", "lat", "Latin"}, {"lb", "ltz", "Luxembourgish"}, {"lg", "lug", "Ganda"}, {"li", "lim", "Limburgan"},
    {"ln", "lin", "Lingala"}, {"lo", "lao", "Lao"}, {"lt", "lit", "Lithuanian"}, {"lu", "lub", "Luba-Katanga"},
    {"lv", "lav", "Latvian"}, {"mg", "mlg", "Malagasy"}, {"mh", "mah", "Marshallese"}, {"mi", "mri", "Maori"},
    {"mk", "mkd", "Macedonian"}, {"ml", "mal", "Malayalam"}, {"mn", "mon", "Mongolian"},
    {"mr", "mar", "Marathi"}, {"ms", "msa", "Malay"}, {"mt", "mlt", "Maltese"}, {"my", "mya", "Burmese"},
    {"na", "nau", "Nauru"}, {"nb", "nob", "Norwegian Bokmal"}, {"nd", "nde", "North Ndebele"},
    {"ne", "nep", "Nepali"}, {"ng", "ndo", "Ndonga"}, {"nl", "nld", "Dutch"},
    {"nn", "nno", "Norwegian Nynorsk"}, {"no", "nor", "Norwegian"}, {"nr", "nbl", "South Ndebele"},
    {"nv", "nav", "Navajo"}, {"ny", "nya", "Chichewa"}, {"oc", "oci", "Occitan"}, {"oj", "oji", "Ojibwa"},
    {"om", "orm", "Oromo"}, {"or", "ori", "Oriya"}, {"os", "oss", "Ossetian"}, {"pa", "pan", "Panjabi"},
    {"pi", "pli", "Pali"}, {"pl", "pol", "Polish"}, {"ps", "pus", "Pushto"}, {"pt", "por", "Portuguese"},
    {"qu", "que", "Quechua"}, {"rm", "roh", "Romansh"}, {"rn", "run", "Rundi"}, {"ro", "ron", "Romanian"},
    {"ru", "rus", "Russian"}, {"rw", "kin", "Kinyarwanda"}, {"sa", "san", "Sanskrit"},
    {"sc", "srd", "Sardinian"}, {"sd", "snd", "Sindhi"}, {"se", "sme", "Northern Sami"}, {"sg", "sag", "Sango"},
    {"si", "sin", "Sinhala"}, {"sk", "slk", "Slovak"}, {"sl", "slv", "Slovenian"}, {"sm", "smo", "Samoan"},
    {"sn", "sna", "Shona"}, {"so", "som", "Somali"}, {"sq", "sqi", "Albanian"}, {"sr", "srp", "Serbian"},
    {"ss", "ssw", "Swati"}, {"st", "sot", "Sotho, Southern"}, {"su", "sun", "Sundanese"},
    {"sv", "swe", "Swedish"}, {"sw", "swa", "Swahili"}, {"ta", "tam", "Tamil"}, {"te", "tel", "Telugu"},
    {"tg", "tgk", "Tajik"}, {"th", "tha", "Thai"}, {"ti", "tir", "Tigrinya"}, {"tk", "tuk", "Turkmen"},
    {"tl", "tgl", "Tagalog"}, {"tn", "tsn", "Tswana"}, {"to", "ton", "Tonga"}, {"tr", "tur", "Turkish"},
    {"ts", "tso", "Tsonga"}, {"tt", "tat", "Tatar"}, {"tw", "twi", "Twi"}, {"ty", "tah", "Tahitian"},
    {"ug", "uig", "Uighur"}, {"uk", "ukr", "Ukrainian"}, {"ur", "urd", "Urdu"}, {"uz", "uzb", "Uzbek"},
    {"ve", "ven", "Venda"}, {"vi", "vie", "Vietnamese"}, {"vo", "vol", "Volapuk"}, {"wa", "wln", "Walloon"},
    {"wo", "wol", "Wolof"}, {"xh", "xho", "Xhosa"}, {"yi", "yid", "Yiddish"}, {"yo", "yor", "Yoruba"},
    {"za", "zha", "Zhuang"}, {"zh", "zho", "Chinese"}, {"zu", "zul", "Zulu"},
};

const LanguageEntry *FindLanguage(const std::string &code)
{
    const auto end = std::end(kLanguages);
    const auto it = std::lower_bound(std::begin(kLanguages), end, code,
                                     [](const LanguageEntry &e, const std::string &c) { return e.code < c; });
    return it != end && it->code == code ? it : nullptr;
}
} // namespace

std::string LanguageName(const std::string &code)
{
    const LanguageEntry *e = FindLanguage(code);
    return e ? e->name : code;
}

std::string LanguageCode3(const std::string &code)
{
    const LanguageEntry *e = FindLanguage(code);
    return e ? e->code3 : std::string();
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
        out.audioLanguages.push_back(LanguageCode(mat.vts_audio_attr[i].lang_code, mat.vts_audio_attr[i].lang_type));
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
