// SPDX-License-Identifier: GPL-3.0-or-later
// dvdconvert convert SOURCE OUTPUT JOB... [options]: titles or chapter
// ranges into one file, one engine job after another, driven the way the
// program drives the engine (the first job starts the file, the others
// append to it).
#include "command.h"

#include "dvdconvert.h"
#include "engine_library.h"

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace dvdconvert {

namespace {

// The loaded engine; the program does not link it (see engine_library.h).
const EngineLibrary *g_engine = nullptr;


struct Job {
    int title = 0;                   // 0-based
    int first = 0, last = -1;        // 0-based; last -1 = the title's last chapter
};

struct Options {
    int codec = DC_CODEC_H264;
    int width = 640, height = 480;
    int rateNum = -1, rateDen = -1;  // the title's own
    int vkbps = 0, akbps = 0, sampleRate = 0, quality = 50;
    int audio = -1;                  // -1: the title's first listed audio stream
    int subtitle = 0;
    int twoPass = 0, keepAspect = 0, angle = 0, deinterlace = 0;
    int crop[4] = {0, 0, 0, 0};
    float image[4] = {0, 0, 0, 0};
    float volume = 1.0f;
    int audioOffset = 0;
    int subX = 0, subY = 0;
};

// The host's side of the report queue: the wake-up only signals, this
// thread dispatches.
std::mutex g_mutex;
std::condition_variable g_wake;
bool g_woken = false;
int g_progress = 0, g_state = 0;
bool g_ended = false, g_failed = false;
int g_pass = 1;
int g_twoPass = 0;

// Set by SIGINT or SIGTERM; the wait below looks at it at least every 200 ms.
volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) { g_interrupted = 1; }

// The first Ctrl-C stops the conversion and finishes the file; the handler
// then resets itself, so a second one ends the process at once.
void CatchInterrupts()
{
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void Wake(void *)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_woken = true;
    g_wake.notify_one();
}

uint8_t Report(int32_t progress, int32_t state)
{
    if (progress < 0) {
        g_failed = g_ended = true;
        return 1;
    }
    g_progress = progress;
    g_state = state;
    if (state == 1)
        g_ended = true;
    std::fprintf(stderr, "\r  %s%3d%%", g_twoPass ? (g_pass == 1 ? "pass 1 " : "pass 2 ") : "", progress);
    if (g_twoPass && progress == 100 && state == 0)
        g_pass = 2;
    return 1;
}

bool ParseInt(const std::string &text, int &value)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 0);   // decimal or 0x hex
    if (*end || v < -2147483647L || v > 2147483647L)
        return false;
    value = int(v);
    return true;
}

bool ParseList(const std::string &text, char sep, int count, std::vector<std::string> &parts)
{
    parts.clear();
    size_t start = 0;
    for (;;) {
        size_t p = text.find(sep, start);
        parts.push_back(text.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos)
            break;
        start = p + 1;
    }
    return int(parts.size()) == count;
}

bool ParseJob(const std::string &text, Job &job)
{
    const size_t colon = text.find(':');
    int title = 0;
    if (!ParseCount(text.substr(0, colon), title) || title < 1)
        return false;
    job.title = title - 1;
    if (colon == std::string::npos)
        return true;
    std::vector<std::string> range;
    int a = 0, b = 0;
    if (!ParseList(text.substr(colon + 1), '-', 2, range) || !ParseCount(range[0], a) || !ParseCount(range[1], b) ||
        a < 1 || b < a)
        return false;
    job.first = a - 1;
    job.last = b - 1;
    return true;
}

// The options of convert; ParseOptions below gives each its meaning.
const std::vector<OptionHelp> kConvertOptions = {
    {"--codec", "0|2|3",
     "the encoder: 0 H.264 with AAC sound in MP4 (the default), 2 MPEG-4 Part 2 with AAC in MP4, "
     "3 Windows Media Video 8 with WMA 2 in ASF"},
    {"--size", "WxH", "the frame size in pixels (default 640x480)"},
    {"--rate", "NUM/DEN", "the frame rate, for example 30000/1001 (default: the title's own)"},
    {"--vbitrate", "KBPS", "the video bit rate in kbit/s (default: the engine's choice)"},
    {"--abitrate", "KBPS", "the sound's bit rate in kbit/s (default: the engine's choice)"},
    {"--samplerate", "HZ", "the sound's sample rate in Hz (default: the engine's choice)"},
    {"--audio", "STREAMID", "the audio stream, its id as info prints it (decimal or 0x hex); 0 for no sound"},
    {"--subtitle", "STREAMID", "the subtitle stream drawn into the picture, its id as info prints it; 0 for none"},
    {"--two-pass", "", "encodes each job twice for an even quality"},
    {"--keep-aspect", "", "keeps the picture's aspect ratio inside the frame size, with black bars"},
    {"--angle", "N", "the camera angle, from 1"},
    {"--deinterlace", "",
     "treats each picture for what it holds: deinterlaces video, puts film split by pulldown together, "
     "leaves progressive pictures as they are"},
    {"--crop", "T,B,L,R", "pixels cut off at the top, bottom, left and right"},
    {"--image", "B,C,H,S", "brightness, contrast, hue and saturation changes (0 leaves each unchanged)"},
    {"--volume", "F", "the sound's volume as a factor (1 leaves it unchanged)"},
    {"--audio-offset", "MS", "moves the sound against the picture by MS milliseconds"},
    {"--subtitle-offset", "X,Y", "moves the subtitles by X and Y pixels"},
    {"--quality", "Q", "the video quality from 0 to 100 (50 is the engine's default)"},
};

bool ParseOptions(const std::vector<std::string> &args, size_t from, Options &o, std::string &error)
{
    for (size_t i = from; i < args.size(); ++i) {
        const std::string &name = args[i];
        auto value = [&](std::string &out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        std::string v;
        std::vector<std::string> parts;
        bool ok = true;
        const OptionHelp *known = FindOption(kConvertOptions, name);
        if (!known) {
            error = "unknown option " + name;
            return false;
        }
        if (name == "--two-pass")
            o.twoPass = 1;
        else if (name == "--keep-aspect")
            o.keepAspect = 1;
        else if (name == "--deinterlace")
            o.deinterlace = 1;
        else if (!value(v)) {
            error = name + " needs a value";
            return false;
        }
        else if (name == "--codec")
            ok = ParseInt(v, o.codec) && (o.codec == 0 || o.codec == 2 || o.codec == 3);
        else if (name == "--size")
            ok = ParseList(v, 'x', 2, parts) && ParseCount(parts[0], o.width) && ParseCount(parts[1], o.height);
        else if (name == "--rate")
            ok = ParseList(v, '/', 2, parts) && ParseInt(parts[0], o.rateNum) && ParseInt(parts[1], o.rateDen);
        else if (name == "--vbitrate")
            ok = ParseCount(v, o.vkbps);
        else if (name == "--abitrate")
            ok = ParseCount(v, o.akbps);
        else if (name == "--samplerate")
            ok = ParseCount(v, o.sampleRate);
        else if (name == "--audio")
            ok = ParseInt(v, o.audio) && o.audio >= 0;
        else if (name == "--subtitle")
            ok = ParseInt(v, o.subtitle) && o.subtitle >= 0;
        else if (name == "--angle")
            ok = ParseCount(v, o.angle) && o.angle >= 1;
        else if (name == "--quality")
            ok = ParseCount(v, o.quality) && o.quality <= 100;
        else if (name == "--audio-offset")
            ok = ParseInt(v, o.audioOffset);
        else if (name == "--volume")
            ok = (o.volume = std::strtof(v.c_str(), nullptr)) >= 0;
        else if (name == "--crop")
            ok = ParseList(v, ',', 4, parts) && ParseCount(parts[0], o.crop[0]) && ParseCount(parts[1], o.crop[1]) &&
                 ParseCount(parts[2], o.crop[2]) && ParseCount(parts[3], o.crop[3]);
        else if (name == "--image") {
            ok = ParseList(v, ',', 4, parts);
            for (int k = 0; ok && k < 4; ++k)
                o.image[k] = std::strtof(parts[size_t(k)].c_str(), nullptr);
        } else if (name == "--subtitle-offset")
            ok = ParseList(v, ',', 2, parts) && ParseInt(parts[0], o.subX) && ParseInt(parts[1], o.subY);
        if (!ok) {
            error = "bad value for " + name;
            return false;
        }
    }
    return true;
}

// Dispatches reports until the job ends or the user interrupts.
// One line for each unreadable region the job skipped that was not told
// yet.  The newest may still grow until the job ends (`all`).
void TellDamage(DCHandle h, int &told, bool all)
{
    int32_t timeMs = 0, kilobytes = 0;
    while (told < g_engine->Converter_GetDamagedCount(h) - (all ? 0 : 1) &&
           g_engine->Converter_GetDamagedRegion(h, told, &timeMs, &kilobytes)) {
        ++told;
        std::fprintf(stderr, "\r  unreadable region at %d:%02d:%02d.%d in the title: %d KB skipped\n",
                     timeMs / 3600000, timeMs / 60000 % 60, timeMs / 1000 % 60, timeMs / 100 % 10, kilobytes);
    }
}

void WaitForEnd(DCHandle h)
{
    int told = 0;
    while (!g_ended && !g_interrupted) {
        std::unique_lock<std::mutex> lock(g_mutex);
        g_wake.wait_for(lock, std::chrono::milliseconds(200), [] { return g_woken; });
        g_woken = false;
        lock.unlock();
        TellDamage(h, told, false);
        g_engine->Converter_DispatchReports(h);
    }
    TellDamage(h, told, true);
}

// The engine finishes a closed file (its chapters, its index) on a thread
// of its own; the command ends only once the file is whole, and says so
// when it could not be finished.
std::string g_finishError;

void OnFileDone(const char *path, const char *error, void *)
{
    if (error && *error)
        g_finishError = std::string(path) + ": " + error;
}

bool CloseAndFinish(DCHandle h)
{
    g_engine->Converter_CloseFile(h);
    while (g_engine->Converter_GetFinishingCount(h) > 0) {
        std::unique_lock<std::mutex> lock(g_mutex);
        g_wake.wait_for(lock, std::chrono::milliseconds(200), [] { return g_woken; });
        g_woken = false;
        lock.unlock();
        g_engine->Converter_DispatchReports(h);
    }
    g_engine->Converter_DispatchReports(h);
    if (g_finishError.empty())
        return true;
    PrintError("the file could not be finished: " + g_finishError);
    return false;
}

int RunConvert(const std::vector<std::string> &args)
{
    // SOURCE OUTPUT JOB... then options.
    size_t firstOption = 2;
    while (firstOption < args.size() && args[firstOption].rfind("--", 0) != 0)
        ++firstOption;
    if (args.size() < 3 || firstOption < 3) {
        PrintError("convert needs SOURCE OUTPUT JOB...");
        return kExitUsage;
    }
    std::vector<Job> jobs;
    for (size_t i = 2; i < firstOption; ++i) {
        Job job;
        if (!ParseJob(args[i], job)) {
            PrintError("bad job " + args[i] + " (TITLE or TITLE:A-B, 1-based)");
            return kExitUsage;
        }
        jobs.push_back(job);
    }
    Options o;
    std::string error;
    if (!ParseOptions(args, firstOption, o, error)) {
        PrintError(error);
        return kExitUsage;
    }
    g_engine = LoadEngine();
    if (!g_engine)
        return kExitFailed;

    DCHandle h = g_engine->CreateConverter();
    struct Closer {
        DCHandle h;
        ~Closer() { g_engine->CloseConverter(h); }
    } closer{h};
    if (!g_engine->Converter_OpenDVD(h, args[0].c_str(), 1)) {
        PrintError("cannot open " + args[0] + ": " + g_engine->Converter_GetLastError(h));
        return kExitNoDisc;
    }
    g_engine->Converter_SetWakeup(h, &Wake, nullptr);
    g_engine->Converter_SetFileDone(h, &OnFileDone, nullptr);
    g_twoPass = o.twoPass;
    CatchInterrupts();

    const auto start = std::chrono::steady_clock::now();
    double fps = 0;
    for (size_t i = 0; i < jobs.size(); ++i) {
        Job &job = jobs[i];
        const int chapters = g_engine->Converter_GetChapterCount(h, job.title);
        if (job.last < 0)
            job.last = chapters - 1;
        if (chapters <= 0 || job.last >= chapters) {
            PrintError("title " + std::to_string(job.title + 1) + " has no chapters " + std::to_string(job.first + 1) +
                       " to " + std::to_string(job.last + 1));
            return kExitNoSuchItem;
        }
        int audio = o.audio;
        if (audio < 0) {
            audio = 0;
            for (int a = 0; a < g_engine->Converter_GetAudioCount(h, job.title); ++a) {
                TAudioInfo info{};
                g_engine->Converter_GetAudioInfo(h, job.title, a, &info);
                if (info.listed && info.streamId) {
                    audio = info.streamId;
                    break;
                }
            }
        }
        // The order the program pushes settings in.
        if (o.vkbps)
            g_engine->Converter_SetVideoCBRBitrate(h, o.vkbps);
        if (o.quality != 50)
            g_engine->Converter_SetVideoQuality(h, o.quality);
        if (o.akbps)
            g_engine->Converter_SetAudioBitrate(h, o.akbps);
        if (o.sampleRate)
            g_engine->Converter_SetAudioSamplerate(h, o.sampleRate);
        if (o.volume != 1.0f)
            g_engine->Converter_SetSoundCof(h, o.volume);
        if (!g_engine->Converter_SetConvertInfo(h, job.title, job.first, job.last, o.width, o.height, audio, o.subtitle,
                                      o.rateNum, o.rateDen, o.twoPass, o.codec, o.keepAspect, i == 0 ? 1 : 0,
                                      o.angle > 0 ? o.angle - 1 : 0, o.deinterlace)) {
            PrintError(g_engine->Converter_GetLastError(h));
            return kExitNoSuchItem;
        }
        if (o.twoPass)
            g_engine->Converter_SetVideoCBRBitrate(h, 0);
        g_engine->Converter_SetCrops(h, o.crop[0], o.crop[1], o.crop[2], o.crop[3]);
        g_engine->Converter_SetSubtitleOffset(h, o.subX, o.subY);
        g_engine->Converter_SetImageParam(h, o.image[0], o.image[1], o.image[2], o.image[3]);
        g_engine->Converter_SetAudioOffset(h, o.audioOffset);

        std::fprintf(stderr, "job %zu of %zu: title %d, chapters %d-%d\n", i + 1, jobs.size(), job.title + 1,
                     job.first + 1, job.last + 1);
        g_ended = g_failed = false;
        g_pass = 1;
        if (!g_engine->Converter_Convert(h, args[1].c_str(), &Report)) {
            PrintError(g_engine->Converter_GetLastError(h));
            return kExitOutput;
        }
        WaitForEnd(h);
        fps = g_engine->Converter_GetEncodeFps(h);
        std::fprintf(stderr, "\n");
        if (g_interrupted && !g_ended) {
            g_engine->Converter_CancelConvert(h);
            if (!CloseAndFinish(h))
                return kExitOutput;
            PrintError("interrupted: " + args[1] + " holds what was converted");
            return kExitInterrupted;
        }
        // A job that ended early is done, with the loss told; a disc that has
        // gone ends the run.
        char loss[512];
        const int32_t end = g_engine->Converter_GetReadEnd(h, loss, sizeof loss);
        if (end != DC_READ_WHOLE && !g_failed)
            std::fprintf(stderr, "  %s\n", loss);
        if (g_failed) {
            PrintError(std::string("job failed: ") + g_engine->Converter_GetLastError(h));
            CloseAndFinish(h);
            return kExitFailed;
        }
        if (end == DC_READ_DISC_GONE && i + 1 < jobs.size()) {
            if (!CloseAndFinish(h))
                return kExitOutput;
            PrintError("the disc is gone: jobs " + std::to_string(i + 2) + " to " + std::to_string(jobs.size()) +
                       " were not converted; " + args[1] + " holds what was");
            return kExitNoDisc;
        }
    }
    if (!CloseAndFinish(h))
        return kExitOutput;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("done: %s in %.2f s, %.1f frames per second\n", args[1].c_str(), seconds, fps);
    return kExitOk;
}

const CommandRegistration convertCommand{
    "convert", "SOURCE OUTPUT JOB... [OPTION]...",
    "converts titles (JOB = TITLE) or chapter ranges (JOB = TITLE:A-B), 1-based, one after another into OUTPUT;\n"
    "the first listed audio stream unless --audio; 640x480 H.264 at the title's own rate unless told otherwise;\n"
    "the file marks each chapter (one chapter per JOB when there are several) and names its sound's language;\n"
    "unreadable parts of the disc are skipped and told; when nothing further can be read, or the disc is gone,\n"
    "the job ends there, its file finished, saying where reading stopped and how much is missing;\n"
    "Ctrl-C stops and finishes the file up to where it got",
    RunConvert, kConvertOptions};

} // namespace

} // namespace dvdconvert
