// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunDisc.h"
#include "run/ConversionRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace pellavan;
using namespace pellavan::testing;

namespace {

// Records what the run shows, in order, as "what:value" lines.
struct RecordingView : RunView {
    std::vector<std::string> log;
    bool timer = false;
    bool show = true;
    bool openOption = false;
    bool shutOption = false;
    std::string captureError;                       // what SaveCapture answers
    std::vector<std::string> saved;                 // "path WxH"
    std::function<void(const std::string &)> onStatus;

    void SetStatus(const std::string &t) override
    {
        log.push_back("status:" + t);
        if (onStatus)
            onStatus(t);
    }
    void SetStatusHint(const std::string &t) override { log.push_back("hint:" + t); }
    void SetProgress(int p) override { log.push_back("gauge:" + std::to_string(p)); }
    void SetProgressText(const std::string &t) override { log.push_back("gaugetext:" + t); }
    void SetSpeed(const std::string &t) override { log.push_back("speed:" + t); }
    void SetElapsed(const std::string &t) override { log.push_back("elapsed:" + t); }
    bool TimerEnabled() const override { return timer; }
    void SetTimerEnabled(bool on) override { timer = on; }
    bool ShowChecked() const override { return show; }
    void ShowPreview(PicturePtr p) override { log.push_back(p ? "preview" : "preview:none"); }
    void ShowIdlePicture() override { log.push_back("idlepicture"); }
    std::string SaveCapture(const std::string &path, int w, int h) override
    {
        log.push_back("save:" + path);
        saved.push_back(path + " " + std::to_string(w) + "x" + std::to_string(h));
        return captureError;
    }
    void ShowError(const std::string &t) override { log.push_back("error:" + t); }
    void ShowMessage(const std::string &t) override { log.push_back("message:" + t); }
    void SetCaptureEnabled(bool on) override { log.push_back(on ? "capture:E" : "capture:D"); }
    void EnterConvertingState() override { log.push_back("converting"); }
    void EnterPausedState() override { log.push_back("paused"); }
    void LeaveConvertingState() override { log.push_back("finished"); }
    bool OpenFolderWhenDone() const override { return openOption; }
    bool ShutdownWhenDone() const override { return shutOption; }
    void ClearShutdownWhenDone() override
    {
        shutOption = false;
        log.push_back("shutoption:off");
    }
    void OpenOutputFolder() override { log.push_back("openfolder"); }

    int Count(const std::string &line) const { return int(std::count(log.begin(), log.end(), line)); }
    std::string LastStatus() const
    {
        for (auto it = log.rbegin(); it != log.rend(); ++it)
            if (it->rfind("status:", 0) == 0)
                return it->substr(7);
        return {};
    }
};

struct RecordingPower : PowerControl {
    std::string answer = "yes";
    int powerOffs = 0;
    std::vector<std::string> *log = nullptr;
    std::string CanPowerOff() override { return answer; }
    void PowerOff() override
    {
        ++powerOffs;
        if (log)
            log->push_back("poweroff");
    }
};


struct Run : ::testing::Test {
    RunDisc d;
    RecordingView view;
    RecordingPower power;
    JobSettings settings = SettingsFor(kWmv320);
    std::unique_ptr<ConversionRun> run;

    void SetUp() override
    {
        std::vector<ScriptedTitle> titles;
        for (int i = 0; i < 3; ++i)
            titles.push_back(MakeTitle({1000, 2000}, {MakeAudio("English", 0, 0x80)}));
        d.Load(titles);
        d.CheckOnly({&d.Title(0), &d.Title(1), &d.Title(2)});
        power.log = &view.log;
        run = std::make_unique<ConversionRun>(
            RunContext{d.instance, d.disc, [this] { return settings; }, power, nullptr}, view);
    }
    void Report(int32_t progress, int32_t state)
    {
        d.engine.QueueReport(progress, state);
        d.instance.DispatchReports();
    }
    std::vector<std::string> Converts() const { return d.engine.CallsNamed("Converter_Convert("); }
};

} // namespace

TEST_F(Run, ThreeJobsWithTheSecondFailing)
{
    run->btnconvertClick();
    EXPECT_EQ(run->JobsLeft(), 3);
    EXPECT_TRUE(view.timer);
    EXPECT_EQ(view.LastStatus(), "Converting MOVIE_Title01.wmv...");
    Report(50, 0);
    EXPECT_EQ(view.log.back(), "speed:FPS:25");
    settings.outputFolder = "/moved/";   // the jobs after it write there
    Report(100, 1);
    EXPECT_EQ(run->JobsLeft(), 2);
    EXPECT_EQ(view.LastStatus(), "Converting MOVIE_Title02.wmv...");
    Report(-1, 0);
    EXPECT_EQ(view.Count("status:Sorry,Get wrong for rip this DVD Title."), 1);
    EXPECT_EQ(view.LastStatus(), "Converting MOVIE_Title03.wmv...");
    EXPECT_EQ(view.Count("finished"), 0);
    Report(100, 1);
    EXPECT_EQ(run->JobsLeft(), 0);
    EXPECT_FALSE(run->RunOn());
    EXPECT_FALSE(view.timer);
    EXPECT_EQ(view.Count("finished"), 1);
    EXPECT_EQ(view.LastStatus(), "Convert Finshed");
    EXPECT_EQ(Converts(), (std::vector<std::string>{"Converter_Convert(1, /out/MOVIE_Title01.wmv)",
                                                    "Converter_Convert(1, /moved/MOVIE_Title02.wmv)",
                                                    "Converter_Convert(1, /moved/MOVIE_Title03.wmv)"}));
    // Every job closes its own file, once.
    EXPECT_EQ(d.engine.CallsNamed("Converter_CloseFile").size(), 3u);
    // A stray report after the end changes nothing.
    const size_t logged = view.log.size();
    Report(100, 1);
    EXPECT_EQ(view.log.size(), logged);
}

TEST_F(Run, SkippedDiscRegionsAreToldInTheStatusHintAfterTheJob)
{
    run->btnconvertClick();
    EXPECT_EQ(view.Count("hint:"), 1);   // a new run starts without one
    d.engine.script.damagedRegions = 2;
    Report(100, 1);
    EXPECT_EQ(view.Count("hint:" + DamageHint(2)), 1);
    d.engine.script.damagedRegions = 0;
    Report(100, 1);
    d.engine.script.damagedRegions = 1;
    Report(-1, 0);
    // Counted over the run; the status texts stay as they are.
    EXPECT_EQ(view.Count("hint:" + DamageHint(3)), 1);
    EXPECT_EQ(view.LastStatus(), "Sorry,Get wrong for rip this DVD Title.");
    EXPECT_EQ(view.Count("status:Convert Finshed"), 2);
}

TEST_F(Run, LastJobFailingEndsTheRunWithTheErrorShown)
{
    view.openOption = true;
    run->btnconvertClick();
    Report(100, 1);
    Report(100, 1);
    Report(-1, 0);
    EXPECT_EQ(view.Count("finished"), 1);
    EXPECT_EQ(view.LastStatus(), "Sorry,Get wrong for rip this DVD Title.");
    EXPECT_EQ(view.log.back(), "openfolder");
    EXPECT_EQ(power.powerOffs, 0);
}

TEST_F(Run, MergedRunWritesItsFirstFileWhereverTheFolderMovesAndClosesItOnce)
{
    settings.merge = true;
    run->btnconvertClick();
    settings.outputFolder = "/moved/";   // "Set Output Folder" during the run
    Report(100, 1);
    Report(-1, 0);
    EXPECT_TRUE(d.engine.CallsNamed("Converter_CloseFile").empty());
    Report(100, 1);
    EXPECT_EQ(d.engine.CallsNamed("Converter_CloseFile").size(), 1u);
    EXPECT_EQ(d.engine.calls.back(), "Converter_CloseFile(1)");
    for (const auto &c : Converts())
        EXPECT_EQ(c, "Converter_Convert(1, /out/MOVIE.wmv)");
    EXPECT_EQ(d.engine.jobNames, (std::vector<std::string>{"MOVIE_Title01", "MOVIE_Title02", "MOVIE_Title03"}));
}

TEST_F(Run, RefusedStartCountsAsAFailedJobAndTheRunGoesOn)
{
    // The engine refuses the first job only.
    d.engine.script.setConvertInfoResult = false;
    view.onStatus = [this](const std::string &) { d.engine.script.setConvertInfoResult = true; };
    run->btnconvertClick();
    EXPECT_EQ(run->JobsLeft(), 2);
    EXPECT_EQ(view.Count("status:Sorry,Get wrong for rip this DVD Title."), 1);
    EXPECT_EQ(view.LastStatus(), "Converting MOVIE_Title02.wmv...");
    EXPECT_TRUE(view.timer);
    view.onStatus = nullptr;
    Report(100, 1);
    Report(100, 1);
    EXPECT_EQ(view.Count("finished"), 1);
    EXPECT_FALSE(run->RunOn());
}

TEST_F(Run, EveryStartRefusedFinishesTheRunOnce)
{
    d.engine.script.convertResult = false;
    run->btnconvertClick();
    EXPECT_EQ(run->JobsLeft(), 0);
    EXPECT_FALSE(run->RunOn());
    EXPECT_FALSE(view.timer);
    EXPECT_EQ(view.Count("finished"), 1);
    EXPECT_EQ(view.Count("status:Sorry,Get wrong for rip this DVD Title."), 3);
    // The buttons end as a finished run leaves them: Convert back in place.
    auto stop = std::find(view.log.begin(), view.log.end(), "converting");
    auto finished = std::find(view.log.begin(), view.log.end(), "finished");
    EXPECT_LT(stop, finished);
    EXPECT_EQ(Converts().size(), 3u);

    // A refused later job of a merged run still closes the shared file.
    d.engine.ClearCalls();
    d.engine.script.convertResult = true;
    settings.merge = true;
    view.log.clear();
    run->btnconvertClick();
    d.engine.script.convertResult = false;
    Report(100, 1);
    EXPECT_EQ(d.engine.CallsNamed("Converter_CloseFile").size(), 1u);
    EXPECT_EQ(view.Count("finished"), 1);
}

TEST_F(Run, TwoPassShowsEachPass)
{
    settings.twoPass = true;
    run->btnconvertClick();
    EXPECT_EQ(view.log.front(), "gaugetext:One Pass ");
    Report(40, 0);
    EXPECT_EQ(view.Count("gaugetext:Two Pass "), 0);
    Report(100, 0);
    EXPECT_EQ(view.log.back(), "gaugetext:Two Pass ");
    EXPECT_EQ(view.Count("finished"), 0);
    Report(100, 1);   // second job starts with "One Pass " again
    EXPECT_EQ(view.Count("gaugetext:One Pass "), 2);
    EXPECT_EQ(view.Count("gaugetext:Two Pass "), 1);
}

TEST_F(Run, PauseResumeAndTheTick)
{
    run->btnconvertClick();
    run->Timer1Timer();
    run->Timer1Timer();
    EXPECT_EQ(view.log.back(), "elapsed:Elapsed Time: 00:00:01");
    EXPECT_EQ(view.Count("preview"), 2);
    run->btnpauseClick();
    EXPECT_FALSE(view.timer);
    EXPECT_TRUE(d.engine.Paused());
    EXPECT_EQ(view.log.back(), "paused");
    run->btnpauseClick();
    EXPECT_TRUE(view.timer);
    EXPECT_FALSE(d.engine.Paused());
    // Back to converting, capture following "Show" as before the pause.
    EXPECT_EQ(std::vector<std::string>(view.log.end() - 2, view.log.end()),
              (std::vector<std::string>{"converting", "capture:E"}));

    // "Show" off: no preview is fetched, capture follows "Show" while the timer runs.
    view.show = false;
    d.engine.ClearCalls();
    run->Timer1Timer();
    EXPECT_TRUE(d.engine.CallsNamed("Converter_GetPreview").empty());
    run->previewcheckClick();
    EXPECT_EQ(view.log.back(), "capture:D");
    view.timer = false;
    const size_t logged = view.log.size();
    run->previewcheckClick();
    EXPECT_EQ(view.log.size(), logged);
}

TEST(RunReports, TheEnginesNumbersReadAsAnOutcome)
{
    EXPECT_EQ(ReadJobReport(40, 0), (JobReport{JobOutcome::Running, 40}));
    EXPECT_EQ(ReadJobReport(100, 0), (JobReport{JobOutcome::Running, 100}));
    EXPECT_EQ(ReadJobReport(100, 1), (JobReport{JobOutcome::Finished, 100}));
    // A failure is a failure whatever the state says.
    EXPECT_EQ(ReadJobReport(-1, 0), (JobReport{JobOutcome::Failed, 0}));
    EXPECT_EQ(ReadJobReport(-1, 1), (JobReport{JobOutcome::Failed, 0}));
}

TEST(RunTime, ElapsedTimeFormatAndWrap)
{
    double t = 0;
    for (int i = 0; i < 7201; ++i)
        t = AddTime(0, 0, 0.5, t);
    EXPECT_EQ(FormatElapsed(t), "01:00:00");
    EXPECT_EQ(FormatElapsed(AddTime(23, 59, 59.5, 0)), "23:59:59");
    EXPECT_EQ(FormatElapsed(AddTime(0, 0, 0.5, AddTime(23, 59, 59.5, 0))), "00:00:00");
    EXPECT_EQ(FormatElapsed(AddTime(25, 1, 2, 0)), "01:01:02");
    EXPECT_DOUBLE_EQ(AddTime(0, 0, -1, 0), 1 - 1 / 86400.0);
}

TEST(RunTime, SpeedTextKeepsFiveCharactersInTheUsersNotation)
{
    EXPECT_EQ(FpsText(23.976023, QLocale::c()), "FPS:23.97");
    EXPECT_EQ(FpsText(23.976023, QLocale(QLocale::German)), "FPS:23,97");
    EXPECT_EQ(FpsText(25.0, QLocale::c()), "FPS:25");
    EXPECT_EQ(FpsText(1234.5, QLocale(QLocale::English, QLocale::UnitedStates)), "FPS:1234.");
    EXPECT_EQ(CaptureFileName("MOVIE", 2), "MOVIE_02.bmp");
    EXPECT_EQ(CaptureFileName("MOVIE", 100), "MOVIE_100.bmp");
}

TEST_F(Run, StopWithBothCompletionOptionsOpensTheFolderAndNeverPowersOff)
{
    view.openOption = true;
    view.shutOption = true;
    run->btnconvertClick();
    Report(30, 0);
    d.engine.ClearCalls();
    run->btnabortClick();
    EXPECT_EQ(d.engine.calls, (std::vector<std::string>{"Converter_CancelConvert(1)", "Converter_CloseFile(1)"}));
    EXPECT_FALSE(view.shutOption);
    EXPECT_EQ(power.powerOffs, 0);
    EXPECT_EQ(view.LastStatus(), "User abort converting");
    const std::vector<std::string> tail(view.log.end() - 5, view.log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"idlepicture", "status:User abort converting",
                                              "shutoption:off", "finished", "openfolder"}));
    EXPECT_FALSE(run->RunOn());
}

TEST_F(Run, CompletedRunOpensTheFolderThenPowersOffOnlyWhenAllowed)
{
    view.openOption = true;
    view.shutOption = true;
    d.CheckOnly({&d.Title(0)});
    run->btnconvertClick();
    Report(100, 1);
    EXPECT_EQ(std::vector<std::string>(view.log.end() - 2, view.log.end()),
              (std::vector<std::string>{"openfolder", "poweroff"}));

    // Without the right to power off nothing happens, silently.
    for (const char *answer : {"no", "challenge", "na", ""}) {
        power.answer = answer;
        run->btnconvertClick();
        Report(100, 1);
    }
    EXPECT_EQ(power.powerOffs, 1);
    EXPECT_TRUE(std::none_of(view.log.begin(), view.log.end(),
                             [](const std::string &l) { return l.rfind("error:", 0) == 0 || l.rfind("message:", 0) == 0; }));
}

TEST_F(Run, CompletionActionsWaitUntilTheEngineHasFinishedTheFile)
{
    view.openOption = true;
    view.shutOption = true;
    d.engine.script.holdFinishing = true;
    d.CheckOnly({&d.Title(0)});
    run->btnconvertClick();
    Report(100, 1);
    EXPECT_EQ(view.Count("openfolder"), 0);
    EXPECT_EQ(power.powerOffs, 0);
    d.engine.FinishFiles("No space left on device");
    d.instance.DispatchReports();
    EXPECT_EQ(std::vector<std::string>(view.log.end() - 3, view.log.end()),
              (std::vector<std::string>{"hint:" + UnfinishedFileHint("/out/MOVIE_Title01.wmv", "No space left on device"),
                                        "openfolder", "poweroff"}));
}

TEST_F(Run, CaptureNamesSizesAndAFileThatCannotBeMade)
{
    run->btnconvertClick();
    run->Capture1Click();
    run->Capture1Click();
    EXPECT_EQ(view.saved, (std::vector<std::string>{"/out/MOVIE_01.bmp 320x240", "/out/MOVIE_02.bmp 320x240"}));
    EXPECT_EQ(d.engine.CallsNamed("Converter_Pause").size(), 2u);
    EXPECT_EQ(d.engine.CallsNamed("Converter_Resume").size(), 2u);
    EXPECT_TRUE(view.timer);

    // The file cannot be made: the job goes on first, then the reason shows.
    view.captureError = "Cannot save the captured picture as \"/out/MOVIE_03.bmp\": Permission denied.";
    d.engine.ClearCalls();
    run->Capture1Click();
    EXPECT_FALSE(d.engine.Paused());
    EXPECT_TRUE(view.timer);
    EXPECT_EQ(d.engine.calls.back(), "Converter_Resume(1)");
    EXPECT_EQ(view.log.back(), "error:" + view.captureError);

    // "Show" off: nothing at all.
    view.show = false;
    d.engine.ClearCalls();
    run->Capture1Click();
    EXPECT_TRUE(d.engine.calls.empty());
    EXPECT_EQ(run->CaptureCount, 3);

    // The count starts again with the next run.
    view.show = true;
    view.captureError.clear();
    run->btnabortClick();
    run->btnconvertClick();
    run->Capture1Click();
    EXPECT_EQ(view.saved.back(), "/out/MOVIE_01.bmp 320x240");
}

TEST_F(Run, NothingCheckedStaysConvertingUntilStop)
{
    d.CheckOnly({});
    run->btnconvertClick();
    EXPECT_TRUE(run->RunOn());
    EXPECT_TRUE(Converts().empty());
    EXPECT_EQ(view.Count("converting"), 1);
    EXPECT_EQ(view.Count("finished"), 0);
    run->btnabortClick();
    EXPECT_EQ(view.Count("finished"), 1);
}

TEST_F(Run, ProfileWithoutListsSaysSoAndStartsNothing)
{
    settings.profile = 8;
    run->btnconvertClick();
    EXPECT_FALSE(run->RunOn());
    EXPECT_EQ(view.log, (std::vector<std::string>{std::string("message:") + kNoProfileText}));
    EXPECT_TRUE(d.engine.calls.empty());
}
