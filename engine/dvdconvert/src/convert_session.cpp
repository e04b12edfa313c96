// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_session.h"

#include "convert_log.h"

namespace dvdc {

ConvertSession::ConvertSession() { RouteLibraryLog(); }

// Closing the instance with a job running or paused ends it as Stop does:
// the file keeps every finished job and what the current one converted.
ConvertSession::~ConvertSession()
{
    reports.SetWakeup(nullptr, nullptr);
    CloseFile();
}

void ConvertSession::ReapJob()
{
    if (!job_)
        return;
    file_ = job_->Join();
    lastFps_ = job_->Fps();
    lastDamaged_ = job_->Damaged();
    job_.reset();
}

std::vector<DamagedRegion> ConvertSession::Damaged() const { return job_ ? job_->Damaged() : lastDamaged_; }

// A file is kept when it plays; one without a single picture is removed.
void ConvertSession::CloseOpenFile(bool keep)
{
    if (!file_)
        return;
    if (keep && file_->VideoFrames() > 0)
        finisher_.Finish(std::move(file_));
    else
        file_->Discard();
    file_.reset();
    fileComplete_ = false;
}

bool ConvertSession::Start(JobRequest request, std::string &error)
{
    if (Running()) {
        error = "a conversion is already running";
        return false;
    }
    ReapJob();
    if (file_ && (request.info.newFile != 0 || file_->Path() != request.path))
        CloseOpenFile(fileComplete_);
    request.id = ++lastJobId_;
    lastDamaged_.clear();
    preview.Clear();
    fileComplete_ = true;
    job_ = std::make_unique<Job>(std::move(request), reports, std::move(file_), preview);
    job_->Start();
    return true;
}

void ConvertSession::Pause()
{
    if (job_)
        job_->Pause();
}

void ConvertSession::Resume()
{
    if (job_)
        job_->Resume();
}

void ConvertSession::Cancel()
{
    if (!job_)
        return;
    if (!job_->Finished())
        fileComplete_ = false;
    job_->Resume();
    job_->Cancel();
    reports.DropJob(job_->Id());
    ReapJob();
}

void ConvertSession::CloseFile()
{
    if (Running())
        Cancel();
    ReapJob();
    CloseOpenFile(true);
}

double ConvertSession::Fps() const { return job_ ? job_->Fps() : lastFps_; }

} // namespace dvdc
