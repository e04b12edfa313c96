// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion side of an instance: the settings that hold from job to
// job, the job that runs, the output file that stays open between merged
// jobs, the files being finished, and the queue of reports for the host.
// Its operations run on the host's thread, one at a time.
#pragma once

#include "convert_finisher.h"
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
    // Stops the job and finishes the file, as CloseFile, then waits until
    // every file is finished.
    ~ConvertSession();

    EncodeSettings settings;
    JobInfo info;
    bool hasInfo = false;
    std::string jobName;   // for the next job only
    ReportQueue reports;
    PreviewSlot preview;
    DCFileDoneFn fileDone = nullptr;   // the host's, called as file reports are delivered
    void *fileDoneContext = nullptr;

    // Starts a job writing to request.path; false with `error` when it cannot.
    bool Start(JobRequest request, std::string &error);
    void Pause();
    void Resume();
    // Stops the running job; none of its reports is delivered afterwards.
    void Cancel();
    // Hands the open file to the finisher, so it plays up to where it
    // stopped; returns at once.
    void CloseFile();
    // Files closed and not yet finished.
    int Finishing() const { return finisher_.Pending(); }
    double Fps() const;
    // The unreadable regions the current job, or the last one, skipped.
    std::vector<DamagedRegion> Damaged() const;
    bool Running() const { return job_ && !job_->Finished(); }

private:
    void ReapJob();
    void CloseOpenFile(bool keep);

    FileFinisher finisher_{reports};   // joined before the reports go
    std::unique_ptr<OutputFile> file_;   // the open file while no job has it
    bool fileComplete_ = false;   // false: a cancelled job left it unfinished
    std::unique_ptr<Job> job_;
    uint64_t lastJobId_ = 0;
    double lastFps_ = 0;
    std::vector<DamagedRegion> lastDamaged_;
};

} // namespace dvdc
