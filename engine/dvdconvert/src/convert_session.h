// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion side of an instance: the settings that hold from job to
// job, the job that runs, the output file that stays open between merged
// jobs, and the queue of reports for the host.
#pragma once

#include "convert_job.h"
#include "convert_output.h"
#include "convert_reports.h"
#include "convert_settings.h"

#include <memory>
#include <string>
#include <vector>

namespace dvdc {

struct ConvertSession {
    ConvertSession();
    ~ConvertSession();   // stops the job and finishes the file, as CloseFile

    EncodeSettings settings;
    JobInfo info;
    bool hasInfo = false;
    ReportQueue reports;
    PreviewSlot preview;

    // Starts a job writing to request.path; false with `error` when it cannot.
    bool Start(JobRequest request, std::string &error);
    void Pause();
    void Resume();
    // Stops the running job; none of its reports is delivered afterwards.
    void Cancel();
    // Finishes the open file so it plays up to where it stopped.
    void CloseFile();
    double Fps() const;
    // The unreadable regions the current job, or the last one, skipped.
    std::vector<DamagedRegion> Damaged() const;
    bool Running() const { return job_ && !job_->Finished(); }

private:
    void ReapJob();
    void CloseOpenFile(bool keep);

    std::unique_ptr<OutputFile> file_;
    bool fileComplete_ = false;   // false: a cancelled job left it unfinished
    std::unique_ptr<Job> job_;
    uint64_t lastJobId_ = 0;
    double lastFps_ = 0;
    std::vector<DamagedRegion> lastDamaged_;
};

} // namespace dvdc
