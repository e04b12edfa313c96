// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConversionRun.h"

#include <cctype>
#include <cmath>
#include <cstdio>

namespace pellavan {

namespace {
constexpr double kMsPerDay = 86400000.0;
} // namespace

double AddTime(int hours, int minutes, double seconds, double base)
{
    double t = base + hours / 24 +
               (double(hours % 24) * 3600000.0 + minutes * 60000.0 + seconds * 1000.0) / kMsPerDay;
    return t < 0 ? t + 1 : t;
}

std::string FormatElapsed(double days)
{
    double whole;
    const double frac = std::modf(std::fabs(days), &whole);
    const long long ms = std::llround(frac * kMsPerDay) % 86400000LL;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.2lld:%.2lld:%.2lld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60);
    return buf;
}

std::string FpsText(double fps, const QLocale &locale)
{
    QLocale l = locale;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return "FPS:" + l.toString(fps, 'g', 15).left(5).toStdString();
}

std::string CaptureFileName(const std::string &discName, int count)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "_%.2d.bmp", count);
    return discName + buf;
}

JobReport ReadJobReport(int32_t progress, int32_t state)
{
    if (progress == -1)
        return {JobOutcome::Failed, 0};
    return {state == 1 ? JobOutcome::Finished : JobOutcome::Running, progress};
}

void RunCompletionActions(RunView &view, PowerControl &power)
{
    if (view.OpenFolderWhenDone())
        view.OpenOutputFolder();
    if (view.ShutdownWhenDone())
        ShutdownComputer(power);
}

ConversionRun::ConversionRun(RunContext context, RunView &view) : m_ctx(std::move(context)), m_view(view)
{
    m_ctx.instance.SetReportSink([this](int32_t progress, int32_t state) { return OnEngineReport(progress, state); });
    m_ctx.instance.SetFileSink([this](const std::string &path, const std::string &error) { OnFileDone(path, error); });
}

ConversionRun::~ConversionRun()
{
    m_ctx.instance.SetReportSink({});
    m_ctx.instance.SetFileSink({});
}

void ConversionRun::btnconvertClick()
{
    if (m_runOn)
        return;
    // Only a hand-edited profile number leaves the profile lists empty; say
    // so instead of starting jobs that cannot be built.
    const JobSettings first = m_ctx.settings();
    if (const char *problem = first.adv.ProfileProblem(first.profile)) {
        m_view.ShowMessage(problem);
        return;
    }
    m_plan = PlanRun(m_ctx.disc, first.merge, first.adv.EncoderIndex(), first.outputFolder);
    m_actionsWaiting = false;   // the new run's end does them
    m_next = m_current = 0;
    m_ended = 0;
    m_params = JobParams{};
    m_runOn = true;
    ElapsedTime = 0;
    m_damagedRegions = 0;
    StartNextJob();
    m_view.SetStatusHint("");   // the last run's
    CaptureCount = 0;
    // Every job refused at its start: the run is over already.
    if (!m_plan.jobs.empty() && JobsLeft() <= 0)
        FinishRun();
}

void ConversionRun::StartNextJob()
{
    // Nothing left to start: the run's end follows.
    if (m_next >= m_plan.jobs.size() && !m_plan.jobs.empty())
        return;
    // A job the engine refuses to start counts as a failed one, and the run
    // goes on with the next: no run is ever left waiting for a job that
    // never began.
    while (m_next < m_plan.jobs.size()) {
        m_current = m_next++;
        if (StartJob(m_plan.jobs[m_current]))
            break;
        EndJob(kJobFailedText);
    }
    EnterConvertingState();
}

bool ConversionRun::StartJob(const PlannedJob &job)
{
    // The settings of this moment; a merged run keeps the file it began with.
    const JobSettings s = m_ctx.settings();
    const JobStart js = ConvertJob(engine(), handle(), job, m_plan.OutputPath(job, s.outputFolder), s,
                                   ConverterInstance::Callback());
    m_params = js.params;
    if (!js.progressText.empty())
        m_view.SetProgressText(js.progressText);
    if (js.started) {
        m_view.SetTimerEnabled(true);
        m_view.SetStatus("Converting " + job.fileName + "...");
    }
    return js.started;
}

// The hint of the status panel, after a job that skipped unreadable parts
// of the disc: the file has gaps there, or ends early.
std::string DamageHint(int regions, const std::string &lost)
{
    std::string hint = "Unreadable parts of the disc were skipped in this run: " + std::to_string(regions) +
                       (regions == 1 ? " region" : " regions") + ", the files have gaps there";
    if (!lost.empty())
        hint += ". " + std::string(1, char(std::toupper(static_cast<unsigned char>(lost[0])))) + lost.substr(1);
    return hint;
}

std::string DiscGoneMessage(const std::string &lost) { return "The run ends here: " + lost + "."; }

bool ConversionRun::NoteDamage(std::string &lost)
{
    const int32_t end = engine().ReadEnd(handle(), lost);
    if (const int regions = engine().DamagedRegions(handle()); regions > 0) {
        m_damagedRegions += regions;
        m_view.SetStatusHint(DamageHint(m_damagedRegions, lost));
    }
    return end == DC_READ_DISC_GONE;
}

void ConversionRun::EndJob(const char *text)
{
    m_view.SetStatus(text);
    ++m_ended;
    // A merged run shares one file: it closes with the last job only.
    if (!MergeOutput() || JobsLeft() <= 0)
        engine().Converter_CloseFile(handle());
    m_view.SetTimerEnabled(false);
}

void ConversionRun::NextJobOrFinish()
{
    StartNextJob();
    if (JobsLeft() <= 0)
        FinishRun();
}

// A disc that has gone would fail every job left: the run ends with one
// message instead, a shared file finished with what it holds.
void ConversionRun::JobEnded(const char *text)
{
    std::string lost;
    const bool discGone = NoteDamage(lost);
    EndJob(text);
    if (!discGone)
        return NextJobOrFinish();
    if (MergeOutput() && JobsLeft() > 0)
        engine().Converter_CloseFile(handle());
    FinishRun();
    m_view.ShowMessage(DiscGoneMessage(lost));
}

uint8_t ConversionRun::OnEngineReport(int32_t progress, int32_t state)
{
    // A late report after Stop or the end of the run has nothing left to act on.
    if (!m_runOn)
        return 1;
    const JobReport report = ReadJobReport(progress, state);
    if (report.outcome == JobOutcome::Failed) {
        JobEnded(kJobFailedText);
        return 1;
    }
    m_view.SetProgress(report.progress);
    m_view.SetSpeed(FpsText(engine().Converter_GetEncodeFps(handle())));
    if (report.outcome == JobOutcome::Finished) {
        JobEnded(kJobFinishedText);
    } else if (TwoPass() == 1 && report.progress == 100) {
        // The first pass is through; the second begins.
        m_view.SetProgressText(kTwoPassText);
    }
    return 1;
}

void ConversionRun::Timer1Timer()
{
    if (m_view.ShowChecked())
        m_view.ShowPreview(engine().Converter_GetPreview(handle(), m_ctx.previewDC));
    ElapsedTime = AddTime(0, 0, 0.5, ElapsedTime);
    m_view.SetElapsed(kElapsedPrefix + FormatElapsed(ElapsedTime));
}

void ConversionRun::Pause1Click()
{
    if (!m_runOn)
        return;
    m_view.SetTimerEnabled(false);
    engine().Converter_Pause(handle());
    m_view.EnterPausedState();
}

void ConversionRun::remuse1Click()
{
    if (!m_runOn)
        return;
    engine().Converter_Resume(handle());
    m_view.SetTimerEnabled(true);
    EnterConvertingState();
    // Capture goes on following "Show", as before the pause.
    previewcheckClick();
}

void ConversionRun::btnpauseClick()
{
    if (m_view.TimerEnabled())
        Pause1Click();
    else
        remuse1Click();
}

void ConversionRun::btnabortClick()
{
    engine().Converter_CancelConvert(handle());
    engine().Converter_CloseFile(handle());
    m_view.SetTimerEnabled(false);
    m_view.ShowIdlePicture();
    m_view.SetStatus(kUserAbortText);
    // A stopped run may open the folder but never powers the machine off.
    m_view.ClearShutdownWhenDone();
    FinishRun();
}

void ConversionRun::Capture1Click()
{
    if (!m_view.ShowChecked() || !m_runOn)
        return;
    ++CaptureCount;
    const JobSettings s = m_ctx.settings();
    const std::string path = s.outputFolder + CaptureFileName(m_ctx.disc.tree.DiscNode()
                                                                  ? m_ctx.disc.tree.DiscNode()->label
                                                                  : std::string(),
                                                              CaptureCount);
    const FrameSize size = s.adv.GetFrameSize(s.profile).value_or(FrameSize{0, 0});

    m_view.SetTimerEnabled(false);
    engine().Converter_Pause(handle());
    const std::string error = m_view.SaveCapture(path, size.width, size.height);
    // Whatever the save did, the job goes on before anything is shown.
    engine().Converter_Resume(handle());
    m_view.SetTimerEnabled(true);
    if (!error.empty())
        m_view.ShowError(error);
}

void ConversionRun::previewcheckClick()
{
    if (m_view.TimerEnabled())
        m_view.SetCaptureEnabled(m_view.ShowChecked());
}

void ConversionRun::FinishRun()
{
    m_runOn = false;
    m_view.LeaveConvertingState();
    m_actionsWaiting = m_ctx.instance.FilesFinishing() > 0;
    if (!m_actionsWaiting)
        RunCompletionActions(m_view, m_ctx.power);
}

std::string UnfinishedFileHint(const std::string &path, const std::string &error)
{
    return "Finishing " + path + ": " + error;
}

void ConversionRun::OnFileDone(const std::string &path, const std::string &error)
{
    if (!error.empty())
        m_view.SetStatusHint(UnfinishedFileHint(path, error));
    if (m_actionsWaiting && m_ctx.instance.FilesFinishing() == 0) {
        m_actionsWaiting = false;
        RunCompletionActions(m_view, m_ctx.power);
    }
}

} // namespace pellavan
