// SPDX-License-Identifier: GPL-3.0-or-later
// Runs on the real engine over an authored test disc: the files a run makes
// are real videos with the names, sizes and lengths the run asked for.
#include "StandIns.h"
#include "catalogue/Catalogue.h"
#include "run/ConversionRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

using namespace pellavan;
using namespace pellavan::testing;

namespace {

// A headless view: only the texts a test looks at.
struct QuietView : RunView {
    std::vector<std::string> statuses;
    bool timer = false;
    int finished = 0;
    void SetStatus(const std::string &t) override { statuses.push_back(t); }
    void SetStatusHint(const std::string &) override {}
    void SetProgress(int) override {}
    void SetProgressText(const std::string &) override {}
    void SetSpeed(const std::string &) override {}
    void SetElapsed(const std::string &) override {}
    bool TimerEnabled() const override { return timer; }
    void SetTimerEnabled(bool on) override { timer = on; }
    bool ShowChecked() const override { return false; }
    void ShowPreview(PicturePtr) override {}
    void ShowIdlePicture() override {}
    std::string SaveCapture(const std::string &, int, int) override { return {}; }
    void ShowError(const std::string &) override {}
    void ShowMessage(const std::string &) override {}
    void SetCaptureEnabled(bool) override {}
    void EnterConvertingState() override {}
    void EnterPausedState() override {}
    void LeaveConvertingState() override { ++finished; }
    bool OpenFolderWhenDone() const override { return false; }
    bool ShutdownWhenDone() const override { return false; }
    void ClearShutdownWhenDone() override {}
    void OpenOutputFolder() override {}
};


std::string Probe(const std::string &file, const char *entries, const char *stream = "v:0")
{
    const std::string cmd = std::string("ffprobe -v error -select_streams ") + stream + " -show_entries " + entries +
                            " -of csv=p=0 '" + file + "' 2>/dev/null";
    std::string out;
    if (FILE *p = popen(cmd.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p))
            out += buf;
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ','))
        out.pop_back();
    return out;
}

// The file's chapters as ffprobe reads them: their titles, and their starts
// in seconds.
std::pair<std::vector<std::string>, std::vector<double>> Chapters(const std::string &file)
{
    std::pair<std::vector<std::string>, std::vector<double>> list;
    const std::string cmd = "ffprobe -v error -show_entries chapter=start_time:chapter_tags=title -of csv=p=0 '" +
                            file + "' 2>/dev/null";
    if (FILE *p = popen(cmd.c_str(), "r")) {
        char buf[512];
        while (fgets(buf, sizeof buf, p)) {
            std::string line(buf);
            while (!line.empty() && line.back() == '\n')
                line.pop_back();
            const size_t comma = line.find(',');
            if (comma == std::string::npos)
                continue;
            list.first.push_back(line.substr(comma + 1));
            list.second.push_back(std::stod(line.substr(0, comma)));
        }
        pclose(p);
    }
    return list;
}

// Each start within a frame (the profile's 30 per second) of `seconds`.
void ExpectStarts(const std::vector<double> &starts, const std::vector<double> &seconds)
{
    ASSERT_EQ(starts.size(), seconds.size());
    for (size_t i = 0; i < starts.size(); ++i)
        EXPECT_NEAR(starts[i], seconds[i], 1.001 / 30) << "chapter " << i + 1;
}

struct RealRun : ::testing::Test {
    int argc = 0;
    QCoreApplication app{argc, nullptr};   // the thread the wake-ups post the drain to
    std::unique_ptr<ConverterEngine> engine = CreateLibraryEngine();
    ConverterInstance instance{*engine};
    DiscCatalogue disc;
    QuietView view;
    NoPower power;
    JobSettings settings;
    QTemporaryDir out;
    std::unique_ptr<ConversionRun> run;

    void SetUp() override
    {
        const std::string root = std::string(TEST_DISCS) + "/ntsc";
        if (!QFile::exists(QString::fromStdString(root + "/VIDEO_TS/VIDEO_TS.IFO")))
            GTEST_SKIP() << "test disc not made";
        ASSERT_TRUE(LoadDisc(instance, disc, root, "MOVIE"));
        settings.profile = 4;   // Zune (320*240) MPEG-4
        settings.adv.ApplyProfile(settings.profile);
        settings.outputFolder = out.path().toStdString() + "/";
        run = std::make_unique<ConversionRun>(
            RunContext{instance, disc, [this] { return settings; }, power, nullptr}, view);

        // Chapters 1 and 2 of title 1, and title 2 whole.
        TitleTree &tree = disc.tree;
        TreeNode &t1 = *tree.DiscNode()->children[0];
        TreeNode &t2 = *tree.DiscNode()->children[1];
        tree.SetState(t1, StateUnchecked);
        ApplyTitleStateToChapters(tree, t1);
        tree.SetState(*t1.children[0], StateChecked);
        tree.SetState(*t1.children[1], StateChecked);
        tree.SetState(t2, StateChecked);
        ApplyTitleStateToChapters(tree, t2);
    }
    void TearDown() override
    {
        run.reset();
        instance.Close();
    }
    // Plays the UI thread until the run ends; the output folder may move
    // once the first job runs.
    bool RunToEnd(const std::string &folderMovedTo = {})
    {
        run->btnconvertClick();
        if (!folderMovedTo.empty())
            settings.outputFolder = folderMovedTo;
        const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(3);
        while (run->RunOn() && std::chrono::steady_clock::now() < until) {
            // The instance's wake-up posts the drain to this thread.
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return !run->RunOn();
    }
    std::string File(const char *name) const { return out.path().toStdString() + "/" + name; }
};

} // namespace

TEST_F(RealRun, ThreeJobsMakeThreePlayableFiles)
{
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(view.finished, 1);
    EXPECT_EQ(view.statuses.back(), kJobFinishedText);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files),
              (QStringList{"MOVIE_Title01_01.mp4", "MOVIE_Title01_02.mp4", "MOVIE_Title02.mp4"}));
    for (const char *name : {"MOVIE_Title01_01.mp4", "MOVIE_Title01_02.mp4", "MOVIE_Title02.mp4"})
        EXPECT_EQ(Probe(File(name), "stream=width,height"), "320,240") << name;
    // 45 and 60 source frames at 29.97 per second: about 1.5 s and 2 s.
    EXPECT_NEAR(std::stod(Probe(File("MOVIE_Title01_01.mp4"), "format=duration")), 1.5, 0.3);
    EXPECT_NEAR(std::stod(Probe(File("MOVIE_Title02.mp4"), "format=duration")), 2.0, 0.3);
}

TEST_F(RealRun, MergedJobsMakeOneFileOfTheirSummedLengthWhereverTheFolderMoves)
{
    settings.merge = true;
    ASSERT_TRUE(RunToEnd(out.path().toStdString() + "/gone/"));
    EXPECT_EQ(view.statuses.back(), kJobFinishedText);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList{"MOVIE.mp4"});
    // 45 + 30 + 60 frames.
    EXPECT_NEAR(std::stod(Probe(File("MOVIE.mp4"), "format=duration")), 4.5, 0.4);
    // One chapter per job, named as the job's own file would be, where the
    // job begins (at the profile's 30 frames per second: 45 and 75 frames).
    const auto [names, starts] = Chapters(File("MOVIE.mp4"));
    EXPECT_EQ(names, (std::vector<std::string>{"MOVIE_Title01_01", "MOVIE_Title01_02", "MOVIE_Title02"}));
    ExpectStarts(starts, {0, 45 * 1.001 / 30, 75 * 1.001 / 30});
}

TEST_F(RealRun, TitleJobsFileCarriesTheDiscsChaptersItsLanguageAndItsName)
{
    TitleTree &tree = disc.tree;
    TreeNode &t1 = *tree.DiscNode()->children[0];
    TreeNode &t2 = *tree.DiscNode()->children[1];
    tree.SetState(t1, StateChecked);
    ApplyTitleStateToChapters(tree, t1);
    tree.SetState(t2, StateUnchecked);
    ApplyTitleStateToChapters(tree, t2);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(view.statuses.back(), kJobFinishedText);
    const std::string file = File("MOVIE_Title01.mp4");
    // Chapters of 45, 30 and 3 frames, marked where their first pictures are.
    const auto [names, starts] = Chapters(file);
    EXPECT_EQ(names, (std::vector<std::string>{"Chapter 01", "Chapter 02", "Chapter 03"}));
    ExpectStarts(starts, {0, 45 * 1.001 / 30, 75 * 1.001 / 30});
    EXPECT_EQ(Probe(file, "stream_tags=language", "a:0"), "eng");
    EXPECT_EQ(Probe(file, "format_tags=title", "a:0"), "MOVIE_Title01");
}

TEST_F(RealRun, UnwritableOutputFolderFailsEachJobAndTheRunEnds)
{
    settings.outputFolder = out.path().toStdString() + "/gone/";
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(view.finished, 1);
    EXPECT_EQ(view.statuses.back(), kJobFailedText);
    EXPECT_EQ(run->JobsLeft(), 0);
    EXPECT_FALSE(QDir(out.path() + "/gone").exists());
}
