// SPDX-License-Identifier: GPL-3.0-or-later
// The program's side of the C interface for the tests: the callback, the
// wake-up and report dispatch on the test's thread, and the settings the
// program sends for one job.
#pragma once

#include "MediaTools.h"
#include "dvdconvert.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace apitest {

using namespace std::chrono_literals;

struct Delivered {
    int progress, state;
};

// The program's side: callback, wake-up, dispatch on this thread.
struct ApiHost {
    DCHandle h = 0;
    std::atomic<int> wakes{0};
    bool inConvert = false;
    bool deliveredInConvert = false;
    std::vector<Delivered> reports;
    std::vector<std::string> fileErrors;   // one per file finished: "" when whole
    std::function<void(const Delivered &)> onReport;

    static inline ApiHost *current = nullptr;
    static void Wake(void *self) { ++static_cast<ApiHost *>(self)->wakes; }
    static uint8_t Callback(int32_t progress, int32_t state)
    {
        current->deliveredInConvert |= current->inConvert;
        current->reports.push_back({progress, state});
        if (current->onReport)
            current->onReport(current->reports.back());
        return 1;
    }

    static void FileDone(const char *, const char *error, void *self)
    {
        static_cast<ApiHost *>(self)->fileErrors.push_back(error);
    }

    ApiHost()
    {
        current = this;
        h = CreateConverter();
        Converter_SetWakeup(h, &Wake, this);
        Converter_SetFileDone(h, &FileDone, this);
    }
    // Closes the open file and waits until it is finished.
    void CloseFile()
    {
        Converter_CloseFile(h);
        const auto deadline = std::chrono::steady_clock::now() + 120s;
        while (Converter_GetFinishingCount(h) > 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(2ms);
        Converter_DispatchReports(h);
    }
    ~ApiHost()
    {
        if (h)
            CloseConverter(h);
        current = nullptr;
    }
    bool Open() { return Converter_OpenDVD(h, ct::TestDisc().c_str(), 1); }
    bool Convert(const std::string &path)
    {
        inConvert = true;
        bool ok = Converter_Convert(h, path.c_str(), &Callback);
        inConvert = false;
        return ok;
    }
    int Ends() const
    {
        int n = 0;
        for (auto &r : reports)
            n += r.state == 1 || r.progress < 0;
        return n;
    }
    // Dispatches until `ends` end reports have come.
    bool WaitEnds(int ends)
    {
        const auto deadline = std::chrono::steady_clock::now() + 120s;
        while (Ends() < ends && std::chrono::steady_clock::now() < deadline) {
            if (wakes.exchange(0) > 0)
                Converter_DispatchReports(h);
            else
                std::this_thread::sleep_for(2ms);
        }
        return Ends() >= ends;
    }
};

// What the program sends for one job at 320x240, 25 frames per second.
inline bool SetJob(DCHandle h, int title, int first, int last, int encoder, int audio = 0x80, int sub = 0, int newFile = 1)
{
    Converter_SetVideoCBRBitrate(h, 640);
    Converter_SetAudioBitrate(h, 96);
    Converter_SetAudioSamplerate(h, 44100);
    return Converter_SetConvertInfo(h, title, first, last, 320, 240, audio, sub, 25000, 1000, 0, encoder, 1, newFile,
                                    0, 0);
}

} // namespace apitest
