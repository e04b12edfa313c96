// dvdconvert info SOURCE: the catalogue as JSON, in the names of the engine's
// records, exactly as the engine fills them.
#include "command.h"

#include "dvdconvert.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace dvdconvert {

namespace {

QString Text(const char (&field)[32]) { return QString::fromUtf8(field, int(qstrnlen(field, sizeof field))); }

QJsonObject TitleJson(DCHandle h, int t)
{
    QJsonObject title;
    int chapters = Converter_GetChapterCount(h, t);
    int audios = Converter_GetAudioCount(h, t);
    int subs = Converter_GetSubCount(h, t);
    title["chapterCount"] = chapters;
    title["angleCount"] = Converter_GetAngleCount(h, t);
    title["audioCount"] = audios;
    title["subtitleCount"] = subs;
    title["playTime"] = Converter_GetTitlePlayTime(h, t);
    QJsonArray times;
    for (int c = 0; c < chapters; ++c)
        times.append(Converter_GetChapterPlayTime(h, t, c));
    title["chapterTimes"] = times;

    TVideoInfo v{};
    Converter_GetVideoInfo(h, t, &v);
    title["video"] = QJsonObject{{"width", v.width},
                                 {"height", v.height},
                                 {"videoStandard", v.videoStandard},
                                 {"frameRateNum", v.frameRateNum},
                                 {"frameRateDen", v.frameRateDen},
                                 {"aspectCode", v.aspectCode}};
    QJsonArray audioList;
    for (int a = 0; a < audios; ++a) {
        TAudioInfo info{};
        Converter_GetAudioInfo(h, t, a, &info);
        audioList.append(QJsonObject{{"sampleRate", info.sampleRate},
                                     {"channels", info.channels},
                                     {"language", Text(info.language)},
                                     {"formatCode", info.formatCode},
                                     {"streamId", info.streamId},
                                     {"listed", int(info.listed)}});
    }
    title["audios"] = audioList;
    QJsonArray subList;
    for (int s = 0; s < subs; ++s) {
        TSubInfo info{};
        Converter_GetSubInfo(h, t, s, &info);
        subList.append(QJsonObject{{"language", Text(info.language)},
                                   {"streamId", info.streamId},
                                   {"listed", info.listed}});
    }
    title["subtitles"] = subList;
    return title;
}

int RunInfo(const std::vector<std::string> &args)
{
    if (args.size() != 1) {
        PrintError("info needs exactly one SOURCE");
        return kExitUsage;
    }
    DCHandle h = CreateConverter();
    if (!Converter_OpenDVD(h, args[0].c_str(), 1)) {
        PrintError("cannot open " + args[0] + ": " + Converter_GetLastError(h));
        CloseConverter(h);
        return kExitNoDisc;
    }
    int count = Converter_GetTitleCount(h);
    QJsonArray titles;
    for (int t = 0; t < count; ++t)
        titles.append(TitleJson(h, t));
    CloseConverter(h);
    QJsonObject disc{{"titleCount", count}, {"titles", titles}};
    QByteArray json = QJsonDocument(disc).toJson(QJsonDocument::Indented);
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitOutput;
}

const CommandRegistration infoCommand{"info", "SOURCE", "prints the disc's titles, chapters and streams as JSON",
                                      RunInfo};

} // namespace

} // namespace dvdconvert
