// A conversion run: the jobs one after another, the engine's reports, the
// 500 ms tick, pause, resume, Stop, frame capture and the actions at the
// end.  The main window implements RunView; everything decided here is
// plain code that tests drive against the recording engine.
#pragma once

#include "ConverterInstance.h"
#include "JobDriver.h"
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
    virtual void SetStatusHint(const std::string &text) = 0;      // statusinfo's hint
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

    // Run fields.
    int32_t JobsLeft = 0;
    int32_t CurrentJobIndex = 0;
    double ElapsedTime = 0;      // days
    int32_t CaptureCount = 0;
    int32_t TwoPass = 0;
    bool MergeOutput = false;
    int32_t AngleIndex = 0;
    int32_t Deinterlace = 0;

    // From Convert until the run finishes or is stopped.
    bool RunOn() const { return m_runOn; }

    void btnconvertClick();
    void StartNextJob(int index);
    bool ConvertTitleJob(const TreeNode &title) { return StartJob(title); }
    bool ConvertChapterJob(const TreeNode &chapter) { return StartJob(chapter); }
    uint8_t ConvertCallback(int32_t progress, int32_t state);
    void Timer1Timer();
    void Pause1Click();
    void remuse1Click();
    void btnpauseClick();
    void btnabortClick();
    void Capture1Click();
    void previewcheckClick();
    void EnterConvertingState() { m_view.EnterConvertingState(); }
    void FinishRun();

private:
    bool StartJob(const TreeNode &node);
    // After a job's end report: what it skipped and lost goes into the
    // status panel's hint.  True when the disc has gone, which ends the run.
    bool NoteDamage(std::string &lost);
    void NextJobOrEnd(bool discGone, const std::string &lost);
    void EndJob(const char *text);
    void NextJobOrFinish();
    ConverterEngine &engine() const { return m_ctx.instance.Engine(); }
    DCHandle handle() const { return m_ctx.instance.Handle(); }

    RunContext m_ctx;
    RunView &m_view;
    bool m_runOn = false;
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

// Completion actions: the output folder, then the power-off, as chosen.
void RunCompletionActions(RunView &view, PowerControl &power);

} // namespace pellavan
