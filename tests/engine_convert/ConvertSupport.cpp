// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConvertSupport.h"

#include <chrono>
#include <thread>
#include <cstdio>
#include <utility>

namespace ct {

namespace {

Host *g_host = nullptr;

uint8_t Callback(int32_t progress, int32_t state)
{
    if (g_host)
        g_host->reports.push_back({0, progress, state});
    return 1;
}

} // namespace

dvdc::SourceInfo SourceInfoFor(const SourceSpec &s)
{
    dvdc::SourceInfo info;
    info.video.width = 720;
    info.video.height = s.pal ? 576 : 480;
    info.video.videoStandard = s.pal ? 1 : 0;
    info.video.frameRateNum = s.pal ? 25 : 30000;
    info.video.frameRateDen = s.pal ? 1 : 1001;
    info.video.aspectCode = s.wide ? 3 : 0;
    info.audioIds = {0x80};
    if (s.subtitle)
        info.subtitleIds = {0x20};
    // A DVD palette: entry 1 white, the rest black (0x00YYCrCb).
    info.palette.fill(0x00108080);
    info.palette[1] = 0x00EB8080;
    return info;
}
FileTitleReader::FileTitleReader(const std::string &path)
{
    file_ = std::fopen(path.c_str(), "rb");
    if (file_) {
        std::fseek(file_, 0, SEEK_END);
        total_ = std::ftell(file_);
        std::fseek(file_, 0, SEEK_SET);
    }
}

FileTitleReader::~FileTitleReader()
{
    if (file_)
        std::fclose(file_);
}

int FileTitleReader::Read(uint8_t *buffer, int size)
{
    if (!file_)
        return 0;
    const size_t n = std::fread(buffer, 1, size_t(size / 2048) * 2048, file_);
    read_ += int64_t(n);
    return int(n);
}

Host::Host(dvdc::ConvertSession &s) : session(s)
{
    g_host = this;
    session.reports.SetWakeup(&Host::Wake, this);
}

Host::~Host()
{
    if (!forgotten_)
        session.reports.SetWakeup(nullptr, nullptr);
    g_host = nullptr;
}

void Host::Wake(void *self)
{
    auto *h = static_cast<Host *>(self);
    std::lock_guard<std::mutex> lock(h->mutex_);
    ++h->wakes_;
    h->cv_.notify_all();
}

dvdc::JobInfo DefaultInfo(int32_t encoder, int width, int height)
{
    dvdc::JobInfo info;
    info.width = width;
    info.height = height;
    info.audioStream = 0x80;
    info.rateNum = -1;
    info.rateDen = -1;
    info.encoder = encoder;
    info.newFile = 1;
    return info;
}

dvdc::JobRequest Host::Request(const SourceSpec &spec, const std::string &path, dvdc::JobInfo info)
{
    dvdc::JobRequest r;
    r.info = info;
    r.settings = session.settings;
    r.source = SourceInfoFor(spec);
    r.path = path;
    r.callback = &Callback;
    const std::string src = MakeSource(spec);
    for (int i = 0; i < (info.twoPass ? 2 : 1); ++i)
        r.readers.push_back(std::make_unique<FileTitleReader>(src));
    return r;
}

bool Host::Start(dvdc::JobRequest request, std::string *error)
{
    std::string e;
    const std::string reason = dvdc::CheckJob(request.info, request.settings, request.source, request.target);
    if (!reason.empty()) {
        if (error)
            *error = reason;
        return false;
    }
    bool ok = session.Start(std::move(request), e);
    if (error)
        *error = e;
    return ok;
}

void Host::CloseFile()
{
    session.CloseFile();
    while (session.Finishing() > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    Dispatch();
}

void Host::Dispatch()
{
    dvdc::Report r;
    while (session.reports.Pop(r)) {
        if (r.progress < 0)
            reasons.push_back(r.reason);
        g_host = this;
        Callback(r.progress, r.state);
        reports.back().job = r.job;
        if (onReport)
            onReport(reports.back());
    }
}

bool Host::WaitEnd(Seen *end, double timeoutSeconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    size_t seen = reports.size();
    for (;;) {
        Dispatch();
        for (size_t i = seen; i < reports.size(); ++i)
            if (reports[i].state == 1 || reports[i].progress < 0) {
                if (end)
                    *end = reports[i];
                return true;
            }
        seen = reports.size();
        std::unique_lock<std::mutex> lock(mutex_);
        if (!cv_.wait_until(lock, deadline, [&] { return wakes_ > 0; }))
            return false;
        wakes_ = 0;
    }
}
} // namespace ct
