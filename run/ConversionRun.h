// SPDX-License-Identifier: GPL-3.0-or-later
// A conversion run: the planned jobs one after another, the engine's
// reports, the 500 ms tick, pause, resume, Stop, frame capture and the
// actions at the end.  The main window implements RunView; everything
// decided here is plain code that tests drive against the recording engine.
#pragma once

#include "ConverterInstance.h"
#include "JobSetup.h"
#include "RunPlan.h"
#include "platform/Power.h"

#include <QLocale>

#include <functional>
#include <string>

namespace pellavan {

inline constexpr const char *kJobFailedText = "Sorry,Get wrong for rip this DVD Title.";
inline constexpr const char *kJobFinishedText = "Convert Finshed";
inline constexpr const char *kTwoPassText = "Two Pass ";
inline constexpr const char *kUserAbortText = "User abort converting";
inline constexpr const char *kElapsedPrefix = "Elapsed Time: ";

// The status panel's hint after jobs that skipped `regions` unreadable
// regions, and the engine's words for what the last one lost, if any.
std::string DamageHint(int regions, const std::string &lost = {});
// What the run says when it ends because the disc has gone.
std::string DiscGoneMessage(const std::string &lost);
// What one engine report says of the running job.
enum class JobOutcome { Running, Finished, Failed };
struct JobReport {
    JobOutcome outcome = JobOutcome::Running;
    int32_t progress = 0;   // percent of the current pass; 0 for a failure
    bool operator==(const JobReport &) const = default;
};
// The engine's two numbers: progress -1 is a failure, state 1 the job's end.
JobReport ReadJobReport(int32_t progress, int32_t state);

// What a run shows and switches on the main window.
class RunView {
public:
    virtual ~RunView() = default;
    virtual void SetStatus(const std::string &text) = 0;          // statusinfo
    // What the last jobs skipped, in plain words; "" when there is nothing to tell.
    virtual void SetStatusHint(const std::string &text) = 0;
    virtual void SetProgress(int percent) = 0;                    // spSkinGauge1
    virtual void SetProgressText(const std::string &text) = 0;    // the gauge's progress text
    virtual void SetSpeed(const std::string &text) = 0;           // convertinfo
    virtual void SetElapsed(const std::string &text) = 0;         // Timeinfo
    virtual bool TimerEnabled() const = 0;                        // Timer1
    virtual void SetTimerEnabled(bool on) = 0;
    virtual bool ShowChecked() const = 0;                         // previewcheck "Show"
    // Image1 takes the engine's frame; a null picture keeps what it shows.
    virtual void ShowPreview(PicturePtr picture) = 0;
    virtual void ShowIdlePicture() = 0;                           // Image1 <- "zune.jpg"
    // Saves what Image1 shows, stretched to width x height, as a Windows
    // bitmap file; the reason in plain words when it cannot, else "".
    virtual std::string SaveCapture(const std::string &path, int width, int height) = 0;
    virtual void ShowError(const std::string &text) = 0;          // the standard error box
    virtual void ShowMessage(const std::string &text) = 0;        // the program's message box
    virtual void SetCaptureEnabled(bool on) = 0;                  // btncapture, Capture1
    // The command states: Stop in place of Convert, the controls locked.
    virtual void EnterConvertingState() = 0;
    virtual void EnterPausedState() = 0;                          // Resume in place of Pause
    virtual void LeaveConvertingState() = 0;                      // controls of a finished run, "zune.jpg"
    // Completion options of the Misc Settings dialog.
    virtual bool OpenFolderWhenDone() const = 0;                  // copen
    virtual bool ShutdownWhenDone() const = 0;                    // cshut
    virtual void ClearShutdownWhenDone() = 0;                     // unchecked and stored so
    virtual void OpenOutputFolder() = 0;                          // GotoOutPutFolder1Click
};

// What a run works with.  The run takes the engine's reports of `instance`
// for as long as it lives; the instance is replaced each time a disc opens.
struct RunContext {
    ConverterInstance &instance;
    const DiscCatalogue &disc;
    std::function<JobSettings()> settings;   // read from the dialogs at each job start
    PowerControl &power;
    void *previewDC = nullptr;
};

class ConversionRun {
public:
    ConversionRun(RunContext context, RunView &view);
    ~ConversionRun();
    ConversionRun(const ConversionRun &) = delete;
    ConversionRun &operator=(const ConversionRun &) = delete;

    // Run fields.  The job fields are views of the plan and of the job that
    // runs (or ran last): its parameters were taken as it started.
    double ElapsedTime = 0;      // days
    int32_t CaptureCount = 0;
    int32_t JobsLeft() const { return int32_t(m_plan.jobs.size()) - m_ended; }
    int32_t CurrentJobIndex() const { return m_current < m_plan.jobs.size() ? m_plan.jobs[m_current].node : 0; }
    int32_t TwoPass() const { return m_params.twoPass; }
    bool MergeOutput() const { return m_plan.merge; }
    int32_t AngleIndex() const { return m_params.angle; }
    int32_t Deinterlace() const { return m_params.deinterlace; }
    const RunPlan &Plan() const { return m_plan; }

    // From Convert until the run finishes or is stopped.
    bool RunOn() const { return m_runOn; }

    // Plans the run from the checked nodes and starts its first job.
    void btnconvertClick();
    // Starts the plan's next job; one the engine refuses counts as failed
    // and the one after it is tried.
    void StartNextJob();
    // The engine's report of the running job (its callback, through the instance).
    uint8_t OnEngineReport(int32_t progress, int32_t state);
    void Timer1Timer();
    void Pause1Click();
    void remuse1Click();
    void btnpauseClick();
    void btnabortClick();
    void Capture1Click();
    void previewcheckClick();
    void EnterConvertingState() { m_view.EnterConvertingState(); }
    // The run is over; its completion actions follow once every file the
    // engine is still finishing is whole: a power-off never cuts one short.
    void FinishRun();
    // The engine finished a file the run closed.
    void OnFileDone(const std::string &path, const std::string &error);

private:
    bool StartJob(const PlannedJob &job);
    // A job's end or failure: what it skipped and lost goes into the status
    // hint, then the next job starts or the run ends (at once when the disc
    // has gone).
    void JobEnded(const char *text);
    // True when the disc has gone; `lost` says what the job could not read.
    bool NoteDamage(std::string &lost);
    void EndJob(const char *text);
    void NextJobOrFinish();
    ConverterEngine &engine() const { return m_ctx.instance.Engine(); }
    DCHandle handle() const { return m_ctx.instance.Handle(); }

    RunContext m_ctx;
    RunView &m_view;
    RunPlan m_plan;
    size_t m_next = 0;          // the plan's next job to start
    size_t m_current = 0;       // the plan's job that runs or ran last
    int32_t m_ended = 0;        // jobs ended, failed or refused
    JobParams m_params;         // of the job that runs or ran last
    bool m_runOn = false;
    bool m_actionsWaiting = false;   // the last run's completion actions, until its files are whole
    int m_damagedRegions = 0;   // skipped by the run's jobs so far
};

// base + hours, minutes and seconds, all in days; below 0 wraps by a day.
double AddTime(int hours, int minutes, double seconds, double base);
// "hh:nn:ss" of a time in days; the hours wrap after 23:59:59.
std::string FormatElapsed(double days);
// "FPS:" and the first five characters of the speed as the user's locale writes it.
std::string FpsText(double fps, const QLocale &locale = QLocale::system());
// "%s_%.2d.bmp"
std::string CaptureFileName(const std::string &discName, int count);

// The status hint after a file the engine could not finish as it should.
std::string UnfinishedFileHint(const std::string &path, const std::string &error);
// Completion actions: the output folder, then the power-off, as chosen.
void RunCompletionActions(RunView &view, PowerControl &power);

} // namespace pellavan
