// Test support for the conversion side: sources made with the ffmpeg
// command, a title reader over a file, a job runner that plays the host's
// part, and output checks through ffprobe and ffmpeg.
#pragma once

#include "convert_session.h"
#include "title_reader.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace ct {

std::string MakeTempDir();
void RemoveTree(const std::string &dir);
bool FileExists(const std::string &path);
std::vector<std::string> ListDir(const std::string &dir);

struct SourceSpec {
    double seconds = 2.0;
    bool detailed = false;          // test pattern instead of a flat colour
    std::string colour = "0x2040C0";
    int toneHz = 440;
    bool wide = false;              // 16:9 instead of 4:3
    bool subtitle = false;          // a white subpicture from 0.5 s to 2.5 s
    bool pal = false;
    bool border = false;            // a white frame 40 pixels wide round the picture
    double toneStart = 0;           // silence before the tone starts
};
// An MPEG-2 program stream the way a DVD carries it.  Cached by spec.
std::string MakeSource(const SourceSpec &spec);
dvdc::SourceInfo SourceInfoFor(const SourceSpec &spec);

class FileTitleReader : public dvdc::TitleReader {
public:
    explicit FileTitleReader(const std::string &path);
    ~FileTitleReader() override;
    int Read(uint8_t *buffer, int size) override;
    int64_t BytesRead() const override { return read_; }
    int64_t TotalBytes() const override { return total_; }
    int64_t TimestampOffsetAt(int64_t) const override { return 0; }

private:
    FILE *file_ = nullptr;
    std::atomic<int64_t> read_{0};   // read on the feed's thread, asked on the job's
    int64_t total_ = 0;
};

// Plays the host: a wake-up that signals, dispatch on the test thread.
class Host {
public:
    explicit Host(dvdc::ConvertSession &session);
    ~Host();
    struct Seen {
        uint64_t job;
        int progress, state;
    };
    dvdc::JobRequest Request(const SourceSpec &spec, const std::string &path, dvdc::JobInfo info = {});
    bool Start(dvdc::JobRequest request, std::string *error = nullptr);
    // Dispatches until the job's end report or the timeout; the end report.
    bool WaitEnd(Seen *end = nullptr, double timeoutSeconds = 120);
    // Dispatches what is queued now.
    void Dispatch();
    // The session is about to be destroyed under the host's feet.
    void Forget() { forgotten_ = true; }
    std::vector<Seen> reports;
    std::vector<std::string> reasons;
    // Called after each delivered report, as the program's callback would act.
    std::function<void(const Seen &)> onReport;
    dvdc::ConvertSession &session;

private:
    static void Wake(void *self);
    std::mutex mutex_;
    std::condition_variable cv_;
    int wakes_ = 0;
    bool forgotten_ = false;
};

dvdc::JobInfo DefaultInfo(int32_t encoder, int width = 320, int height = 240);

// ffprobe's answers for one stream ("v:0", "a:0") and the format.
std::map<std::string, std::string> Probe(const std::string &path, const std::string &stream);
double Duration(const std::string &path);
// Packet timestamps (seconds) of a stream, in file order.
std::vector<double> PacketTimes(const std::string &path, const std::string &stream);
// The picture at `seconds` as rgb24 rows of the output size.
std::vector<uint8_t> FrameAt(const std::string &path, double seconds, int width, int height);
// The dominant tone of the first channel between `from` and `from + seconds`.
double ToneHz(const std::string &path, double from, double seconds = 1.0);
// Root mean square level of the first channel between `from` and `from + 1` s (0..1).
double SoundLevel(const std::string &path, double from);
// When the sound first rises above a sixteenth of full scale, in seconds.
double SoundOnset(const std::string &path);
// When each flash of the picture starts (a frame brighter than mid-grey after a
// darker one), in the file's presentation times.
std::vector<double> FlashStarts(const std::string &path);
// When each tone of the sound starts after at least 50 ms of silence, to a
// millisecond, on the same clock as FlashStarts.
std::vector<double> ToneStarts(const std::string &path);
// Mean of r, g, b over a rectangle of an rgb24 picture.
struct Rgb {
    double r, g, b;
};
Rgb MeanRgb(const std::vector<uint8_t> &rgb, int width, int x, int y, int w, int h);

} // namespace ct

namespace ct {

// A DVD folder authored with dvdauthor, NTSC 4:3, AC3 at 0x80:
//  title 1: 3 s, chapters at 0, 1 and 2 s, picture 0x2040C0, tone 440 Hz;
//  title 2: 2 s, one chapter, picture 0xC02020, tone 1000 Hz, and a white
//           200x40 subpicture (0x20) at (200, 380) from 0.5 s to 2.5 s;
//  title 3: 12 s test pattern, for stopping jobs midway.
// Made once per test program.
std::string TestDisc();

} // namespace ct
