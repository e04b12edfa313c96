// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunDisc.h"

#include <gtest/gtest.h>

using namespace pellavan;
using namespace pellavan::testing;

namespace {

uint8_t NoCallback(int32_t, int32_t) { return 1; }

// Title 0: three chapters, English (0x80) and German (0x81) audio, one
// subtitle (0x20).  Title 1: five chapters, subtitles only.  Title 2: PAL,
// a zero-time first chapter, two angles.
std::vector<ScriptedTitle> ThreeTitles()
{
    std::vector<ScriptedTitle> t;
    t.push_back(MakeTitle({1000, 2000, 3000}, {MakeAudio("English", 0, 0x80), MakeAudio("Deutsch", 0, 0x81)},
                          {MakeSub("English", 0x20)}));
    t.push_back(MakeTitle({100, 200, 300, 400, 500}, {}, {MakeSub("English", 0x20), MakeSub("Francais", 0x21)}));
    t.push_back(MakeTitle({0, 700, 800}, {MakeAudio("English", 0, 0x82)}));
    t[2].video = TVideoInfo{720, 576, 1, 25, 1, 0};
    t[2].angleCount = 2;
    return t;
}

struct JobDriver : ::testing::Test {
    RunDisc d;
    void SetUp() override { d.Load(ThreeTitles()); }
    // The run's plan, and the planned job of a checked node in it.
    RunPlan plan;
    PlannedJob Job(const TreeNode &node, const JobSettings &s)
    {
        plan = PlanRun(d.disc, s.merge, s.adv.EncoderIndex(), s.outputFolder);
        for (const PlannedJob &job : plan.jobs)
            if (job.node == d.disc.tree.AbsoluteIndex(&node))
                return job;
        ADD_FAILURE() << node.label << " makes no job";
        return {};
    }
    JobStart Run(const TreeNode &node, const JobSettings &s)
    {
        const PlannedJob job = Job(node, s);
        return ConvertJob(d.engine, d.handle(), job, plan.OutputPath(job, s.outputFolder), s, NoCallback);
    }
};

} // namespace

TEST_F(JobDriver, TitleJobMakesOnlyTheCallsItsSettingsNeedInOrder)
{
    // Quality 50 and volume 100 are neutral: no call for either.
    JobStart js = Run(d.Title(0), SettingsFor(kWmv320));
    EXPECT_TRUE(js.started);
    EXPECT_EQ(js.path, "/out/MOVIE_Title01.wmv");
    EXPECT_EQ(js.progressText, "Convert ");
    const std::vector<std::string> want = {
        "Converter_SetVideoCBRBitrate(1, 640)",
        "Converter_SetAudioBitrate(1, 32)",
        "Converter_SetAudioSamplerate(1, 44100)",
        "Converter_SetConvertInfo(1, 0, 0, 2, 320, 240, 128, 32, 30000, 1000, 0, 3, 1, 1, 0, 0)",
        "Converter_SetImageParam(1, 0, 0, 0, 0)",
        "Converter_Convert(1, /out/MOVIE_Title01.wmv)",
    };
    EXPECT_EQ(d.engine.calls, want);
}

TEST_F(JobDriver, TwoPassChapterJobWithEverySettingMakesEveryCallInOrder)
{
    d.CheckOnly({&d.Chapter(0, 1)});
    d.ChooseStream(*d.Group(0, ImageAudioGroup).children[1]);
    JobSettings s = SettingsFor(kH264);
    s.twoPass = true;
    s.adv.SetQuality(70);
    s.adv.SetVolume(150);
    s.adv.SetKeepAspect(false);
    s.adv.SetDeinterlace(true);
    s.adv.cdelayClick(true);
    s.adv.SetTime(250);
    s.color.vpresetChange(1);
    s.crop = CropMargins{7, 9, 2, 1};
    JobStart js = Run(d.Chapter(0, 1), s);
    EXPECT_TRUE(js.started);
    EXPECT_EQ(js.progressText, "One Pass ");
    const auto color = s.color.EngineValues();
    char image[128];
    std::snprintf(image, sizeof image, "Converter_SetImageParam(1, %g, %g, %g, %g)", color[0], color[1], color[2],
                  color[3]);
    const std::vector<std::string> want = {
        "Converter_SetVideoCBRBitrate(1, 1500)",
        "Converter_SetVideoQuality(1, 70)",
        "Converter_SetAudioBitrate(1, 96)",
        "Converter_SetAudioSamplerate(1, 44100)",
        "Converter_SetSoundCof(1, 1.5)",
        "Converter_SetConvertInfo(1, 0, 1, 1, 640, 480, 129, 32, 30000, 1001, 1, 0, 0, 1, 0, 1)",
        "Converter_SetVideoCBRBitrate(1, 0)",
        "Converter_SetCrops(1, 6, 8, 1, 1)",
        "Converter_SetSubtitleOffset(1, 0, -4)",
        image,
        "Converter_SetAudioOffset(1, -250)",
        "Converter_Convert(1, /out/MOVIE_Title01_02.mp4)",
    };
    EXPECT_EQ(d.engine.calls, want);
}

TEST_F(JobDriver, RefusalsStopTheSequenceWhereTheEngineSaysNo)
{
    d.engine.script.setConvertInfoResult = false;
    JobStart js = Run(d.Title(0), SettingsFor(kWmv320));
    EXPECT_FALSE(js.started);
    EXPECT_EQ(js.progressText, "");
    ASSERT_FALSE(d.engine.calls.empty());
    EXPECT_EQ(d.engine.calls.back().rfind("Converter_SetConvertInfo", 0), 0u);

    d.engine.ClearCalls();
    d.engine.script.setConvertInfoResult = true;
    d.engine.script.convertResult = false;
    js = Run(d.Title(0), SettingsFor(kWmv320));
    EXPECT_FALSE(js.started);
    EXPECT_EQ(d.engine.calls.back(), "Converter_Convert(1, /out/MOVIE_Title01.wmv)");

    // A profile whose lists are empty builds nothing and calls nothing.
    d.engine.ClearCalls();
    JobSettings broken = SettingsFor(kWmv320);
    broken.profile = 9;
    EXPECT_FALSE(Run(d.Title(0), broken).started);
    EXPECT_TRUE(d.engine.calls.empty());
}

TEST_F(JobDriver, CropMarginsLoseAPixelFromTwoOn)
{
    const std::pair<int, int> cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {7, 6}, {9, 8}, {10, 9}};
    for (auto [in, out] : cases)
        EXPECT_EQ(AdjustCropMargin(in), out) << in;

    JobSettings s = SettingsFor(kWmv320);
    s.crop = CropMargins{0, 1, 2, 7};
    Run(d.Title(0), s);
    EXPECT_EQ(d.engine.CallsNamed("Converter_SetCrops"), std::vector<std::string>{"Converter_SetCrops(1, 0, 1, 1, 6)"});
    EXPECT_EQ(d.engine.CallsNamed("Converter_SetSubtitleOffset"),
              std::vector<std::string>{"Converter_SetSubtitleOffset(1, 0, 0)"});

    // No accepted crop: neither call.
    d.engine.ClearCalls();
    Run(d.Title(0), SettingsFor(kWmv320));
    EXPECT_TRUE(d.engine.CallsNamed("Converter_SetCrops").empty());
    EXPECT_TRUE(d.engine.CallsNamed("Converter_SetSubtitleOffset").empty());
}

TEST_F(JobDriver, FrameRateAngleAndStreamsComeFromTheTitle)
{
    // "Keep original frame rate" passes the PAL title's own 25/1; angle 3 is
    // beyond its two angles; the leading zero-time chapter is not a node, so
    // the title's chapters run 0..2 by engine index.
    JobSettings s = SettingsFor(kWmv320);
    s.adv.SetRateIndex(0);
    s.adv.SetAngleIndex(3);
    d.CheckOnly({&d.Title(2)});
    JobParams p = BuildJobParams(Job(d.Title(2), s), s);
    EXPECT_EQ(p.frameRateNum, 25);
    EXPECT_EQ(p.frameRateDen, 1);
    EXPECT_EQ(p.angle, 0);
    EXPECT_EQ(p.title, 2);
    EXPECT_EQ(p.firstChapter, 0);
    EXPECT_EQ(p.lastChapter, 2);
    EXPECT_EQ(p.audioStream, 0x82);
    EXPECT_EQ(p.subtitleStream, 0);

    s.adv.SetAngleIndex(1);
    EXPECT_EQ(BuildJobParams(Job(d.Title(2), s), s).angle, 1);

    // The chapter node shown as "Chapter 02" is engine chapter 1.
    d.CheckOnly({&d.Chapter(2, 0)});
    const PlannedJob chapter = Job(d.Chapter(2, 0), s);
    EXPECT_EQ(chapter.firstChapter, 1);
    EXPECT_EQ(chapter.lastChapter, 1);
    EXPECT_EQ(chapter.fileName, "MOVIE_Title03_02.wmv");

    // A subtitle group and no audio group: audio 0, the checked subtitle's id.
    d.CheckOnly({&d.Title(1)});
    d.ChooseStream(*d.Group(1, ImageSubtitleGroup).children[1]);
    p = BuildJobParams(Job(d.Title(1), s), s);
    EXPECT_EQ(p.audioStream, 0);
    EXPECT_EQ(p.subtitleStream, 0x21);
    // No checked subtitle: 0.
    for (auto &sub : d.Group(1, ImageSubtitleGroup).children)
        d.disc.tree.SetState(*sub, StateUnchecked);
    EXPECT_EQ(BuildJobParams(Job(d.Title(1), s), s).subtitleStream, 0);
}

TEST_F(JobDriver, PlanHoldsTheCheckedTitlesAndLoneChaptersAndWhereEachWrites)
{
    EXPECT_EQ(OutputFileName("MOVIE", false, 99, 0, false, 2), "MOVIE_Title100.wmv");
    EXPECT_EQ(OutputFileName("100%s", false, 0, 0, false, 7), "100%s_Title01.mp4");

    // Title 0 whole (one job), chapters 2 and 5 of title 1, nothing of title 2.
    d.CheckOnly({&d.Title(0), &d.Chapter(1, 1), &d.Chapter(1, 4)});
    EXPECT_EQ(CountJobs(d.disc.tree), 3);
    EXPECT_EQ(FirstCheckedIndex(d.disc.tree), d.disc.tree.AbsoluteIndex(&d.Title(0)));
    // The folder moves after Convert: each job writes where the folder is as
    // it starts, but a merged run writes the one file it began with.
    using Texts = std::vector<std::string>;
    const Texts separate = {"0 0-2 a80 s20 /moved/MOVIE_Title01.wmv new", "1 1-1 a0 s20 /moved/MOVIE_Title02_02.wmv new",
                            "1 4-4 a0 s20 /moved/MOVIE_Title02_05.wmv new"};
    const Texts merged = {"0 0-2 a80 s20 /out/MOVIE.wmv new", "1 1-1 a0 s20 /out/MOVIE.wmv", "1 4-4 a0 s20 /out/MOVIE.wmv"};
    Texts files, chapterNames;   // a merged file names its chapters as the separate files are named
    for (bool merge : {false, true}) {
        const RunPlan plan = PlanRun(d.disc, merge, 2, "/out/");
        Texts got;
        for (const PlannedJob &j : plan.jobs)
            (merge ? chapterNames : files).push_back(merge ? j.name + ".wmv" : j.fileName);
        for (const PlannedJob &j : plan.jobs)
            got.push_back(FormatText("%d %d-%d a%x s%x ", j.title, j.firstChapter, j.lastChapter, j.audioStream,
                                     j.subtitleStream) +
                          plan.OutputPath(j, "/moved/") + (j.newFile ? " new" : ""));
        EXPECT_EQ(got, merge ? merged : separate);
        EXPECT_EQ(d.disc.tree.NodeAt(size_t(plan.jobs.at(1).node)), &d.Chapter(1, 1));
    }
    EXPECT_EQ(chapterNames, files);

    d.CheckOnly({});
    EXPECT_TRUE(PlanRun(d.disc, false, 2, "/out/").jobs.empty());
    EXPECT_EQ(FirstCheckedIndex(d.disc.tree), -1);
}
