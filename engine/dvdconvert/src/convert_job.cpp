// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert_job.h"

#include "convert_encode_stage.h"
#include "convert_log.h"
#include "convert_output.h"
#include "convert_picture_stage.h"
#include "convert_read_stage.h"
#include "convert_sound_stage.h"
#include "ifo_catalogue.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace dvdc {

namespace {

// The job as its file records it; its marks come when its pass has run.
FileJob FileJobOf(const JobRequest &r, int64_t startFrame)
{
    FileJob job;
    job.title = r.info.title;
    job.firstChapter = r.info.firstChapter;
    job.lastChapter = r.info.lastChapter;
    job.chapterTimes = r.source.chapterTimes;
    job.startFrame = startFrame;
    job.name = r.name;
    return job;
}

// What opens the reader of pass `index`.
ReaderOpener OpenerFor(JobRequest &r, int index)
{
    if (size_t(index) < r.openers.size())
        return r.openers[size_t(index)];
    auto ready = std::make_shared<std::unique_ptr<TitleReader>>(std::move(r.readers[size_t(index)]));
    return [ready](std::string &) { return std::move(*ready); };
}

// The chosen sound stream's language as the containers carry it.
std::string SoundLanguage(const JobRequest &r)
{
    const std::vector<int32_t> &ids = r.source.audioIds;
    for (size_t i = 0; i < ids.size() && i < r.source.audioLanguages.size(); ++i)
        if (ids[i] == r.info.audioStream && r.info.audioStream != 0)
            return LanguageCode3(r.source.audioLanguages[i]);
    return {};
}

void RemoveDir(const std::string &dir)
{
    if (dir.empty())
        return;
    if (DIR *d = ::opendir(dir.c_str())) {
        while (dirent *e = ::readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != "..")
                ::unlink((dir + "/" + name).c_str());
        }
        ::closedir(d);
    }
    ::rmdir(dir.c_str());
}

std::string MakeTempDir()
{
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/dvdconvert-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    return ::mkdtemp(buf.data()) ? std::string(buf.data()) : std::string();
}

} // namespace

// ---- the job ----------------------------------------------------------------

Job::Job(JobRequest request, ReportQueue &reports, std::unique_ptr<OutputFile> file, PreviewSlot &preview)
    : request_(std::move(request)), file_(std::move(file)), reports_(reports), preview_(preview)
{
}

Job::~Job()
{
    Cancel();
}

void Job::Start()
{
    {
        std::lock_guard<std::mutex> lock(timeMutex_);
        started_ = std::chrono::steady_clock::now();
    }
    thread_ = std::thread([this] { Run(); });
}

// Quick whatever the disc does: the job's threads wait on the disc only
// through the feed, which the stop releases (see convert_feed.h).
void Job::Cancel()
{
    if (thread_.joinable()) {
        cancelled_ = true;
        run_.Abort();
        {
            std::lock_guard lock(feedMutex_);
            if (feed_)
                feed_->Stop();
        }
        thread_.join();
    }
}

std::unique_ptr<OutputFile> Job::Join()
{
    if (thread_.joinable())
        thread_.join();
    return std::move(file_);
}
void Job::Pause()
{
    std::lock_guard<std::mutex> lock(timeMutex_);
    if (run_.Paused())
        return;
    pausedAt_ = std::chrono::steady_clock::now();
    run_.SetPaused(true);
}

void Job::Resume()
{
    std::lock_guard<std::mutex> lock(timeMutex_);
    if (!run_.Paused())
        return;
    pausedFor_ += std::chrono::steady_clock::now() - pausedAt_;
    run_.SetPaused(false);
}

double Job::Fps() const
{
    std::lock_guard<std::mutex> lock(timeMutex_);
    auto now = run_.Paused() ? pausedAt_ : std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - started_ - pausedFor_).count();
    return seconds > 0.05 ? framesEncoded_.load() / seconds : 0.0;
}

std::vector<DamagedRegion> Job::Damaged() const
{
    std::lock_guard lock(feedMutex_);
    if (feed_) {
        // A second pass reads the same damage again: never show fewer than the first.
        std::vector<DamagedRegion> now = feed_->Damaged();
        if (now.size() >= damaged_.size())
            return now;
    }
    return damaged_;
}

namespace {

// Lets Cancel reach the running pass's feed, and keeps its damage report.
class FeedRegistration {
public:
    FeedRegistration(std::mutex &mutex, ReadFeed *&slot, std::vector<DamagedRegion> &damaged, ReadFeed &feed,
                     bool stopped)
        : mutex_(mutex), slot_(slot), damaged_(damaged), feed_(feed)
    {
        std::lock_guard lock(mutex_);
        slot_ = &feed;
        if (stopped)
            feed.Stop();
    }
    ~FeedRegistration()
    {
        std::lock_guard lock(mutex_);
        slot_ = nullptr;
        damaged_ = feed_.Damaged();
    }

private:
    std::mutex &mutex_;
    ReadFeed *&slot_;
    std::vector<DamagedRegion> &damaged_;
    ReadFeed &feed_;
};

} // namespace

AVCodecContext *Job::OpenEncoder(EncodePass pass, std::string &error)
{
    VideoEncoderParams vp;
    vp.encoder = request_.info.encoder;
    vp.target = request_.target;
    vp.kbps = request_.settings.videoKbps;
    vp.quality = request_.settings.quality;
    vp.pass = pass;
    vp.statsPath = statsDir_ + "/video.log";
    vp.globalHeader = vp.encoder != DC_CODEC_WMV;
    AVCodecContext *enc = OpenVideoEncoder(vp, error);
    if (!enc || pass == EncodePass::First)
        return enc;
    // The pass that writes: into the open file, or a file of its own.
    if (!file_) {
        file_ = OutputFile::Create(request_.path, vp.encoder, request_.target, enc, request_.settings.sampleRate,
                                   request_.settings.audioKbps, error,
                                   OutputFile::Tags{FileJobOf(request_, 0), SoundLanguage(request_)});
        if (!file_) {
            FreeEncoder(enc);
            return nullptr;
        }
        createdFile_ = true;
    }
    file_->SetVideoEncoder(enc);
    return enc;
}

bool Job::RunPass(int index, EncodePass kind, std::string &error)
{
    ReadFeed feed(OpenerFor(request_, index));
    FeedRegistration registration(feedMutex_, feed_, damaged_, feed, run_.Aborted());
    {
        std::lock_guard<std::mutex> lock(timeMutex_);
        started_ = std::chrono::steady_clock::now();
        pausedFor_ = {};
        if (run_.Paused())
            pausedAt_ = started_;
        framesEncoded_ = 0;
    }
    // A job appended to an open file keeps that file's format.
    if (file_ && request_.info.newFile == 0) {
        request_.info.encoder = file_->Encoder();
        request_.target = file_->Target();
    }
    AVCodecContext *enc = OpenEncoder(kind, error);
    if (!enc)
        return false;
    const bool statsOnly = kind == EncodePass::First;
    FileJob fileJob = FileJobOf(request_, file_ ? file_->VideoFrames() : 0);

    PassContext pass(run_);
    const EncodeStage::Ports out{pass.frames, pass.soundFrames, preview_, framesEncoded_};
    std::unique_ptr<EncodeStage> encoding =
        statsOnly ? std::make_unique<EncodeStage>(run_, out, enc, statsDir_ + "/video.log",
                                                  request_.info.encoder == DC_CODEC_H264)
                  : std::make_unique<EncodeStage>(run_, out, *file_, request_.info.audioStream == 0);
    ReadingStage reading(request_, run_, reports_, feed,
                         {pass.pictures, pass.sound, pass.subtitles, pass.pictureParams, pass.soundParams, !statsOnly});
    if (!reading.Open(error))
        return false;
    SoundStage sound(request_.settings, file_ ? file_->SampleRate() : request_.settings.sampleRate, run_,
                     {pass.sound, pass.soundParams, pass.soundFrames});
    PictureStage pictures(request_, run_, {pass.pictures, pass.pictureParams, pass.subtitles, pass.frames});
    std::thread soundThread([&] { sound.Run(); });
    std::thread pictureThread([&] { pictures.Run(); });
    std::thread encodeThread([&] { encoding->Run(); });
    std::string readError;
    reading.Run(readError);   // a failure of its own stops the run
    soundThread.join();
    pictureThread.join();
    encodeThread.join();
    if (!statsOnly) {
        fileJob.marks = reading.Marks();
        file_->AddJob(std::move(fileJob));
    }
    error = run_.Error();
    return error.empty() && !run_.Aborted();
}

// Codecs that keep their own statistics say whether the bit rate can be
// reached; when it cannot, the second pass is a single one.
bool Job::ChooseSecondPass()
{
    if (request_.info.encoder == DC_CODEC_H264)
        return true;
    std::ifstream in(statsDir_ + "/video.log", std::ios::binary);
    std::string stats((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string reason;
    if (StatsAllowBitrate(stats, request_.settings.videoKbps, request_.target.rateNum, request_.target.rateDen,
                          reason))
        return true;
    Log(1, "%s; encoding in one pass instead", reason.c_str());
    return false;
}

bool Job::RunPasses(std::string &error)
{
    const bool twoPass = request_.info.twoPass != 0 &&
                         std::max(request_.readers.size(), request_.openers.size()) >= 2;
    if (!twoPass)
        return RunPass(0, EncodePass::Single, error);
    statsDir_ = MakeTempDir();
    if (statsDir_.empty()) {
        error = "cannot create a folder for the first pass's statistics";
        return false;
    }
    bool ok = RunPass(0, EncodePass::First, error);
    if (ok) {
        reports_.PostEvent(request_.id, request_.callback, 100, 0);
        ok = RunPass(1, ChooseSecondPass() ? EncodePass::Second : EncodePass::Single, error);
    }
    RemoveDir(statsDir_);
    return ok;
}

void Job::Run()
{
    std::string error;
    bool ok = RunPasses(error);
    if (cancelled_) {
        finished_ = true;
        return;   // the host decides what happens to the file
    }
    if (ok && file_ && !file_->EndVideo(error))
        ok = false;
    End(ok, std::move(error));
}

// The job's one end report.  A failed job leaves no file of its own; a file
// that earlier jobs wrote stays playable to where they got.
void Job::End(bool ok, std::string error)
{
    if (!ok) {
        if (error.empty())
            error = "the conversion stopped";
        Log(0, "conversion of title %d to %s failed: %s", request_.info.title + 1, request_.path.c_str(),
            error.c_str());
        if (file_ && createdFile_) {
            file_->Discard();
            file_.reset();
        } else if (file_) {
            std::string ignored;
            file_->EndVideo(ignored);
        }
    }
    finished_ = true;
    if (ok)
        reports_.PostEvent(request_.id, request_.callback, 100, 1);
    else
        reports_.PostEvent(request_.id, request_.callback, -1, 1, error);
}

} // namespace dvdc
