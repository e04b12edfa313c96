// SPDX-License-Identifier: GPL-3.0-or-later
// One output file: the muxer, its audio encoder and the audio waiting to be
// encoded, and the video encoder of the job that is writing to it.  A file
// outlives its job when later jobs append to it (new-file flag 0); its
// timeline then runs on from where the previous job ended.
//
// A file has one owner at a time and no lock: the session between jobs, the
// job's thread before and after a pass, the encoding stage during one (see
// convert_pass.h), the finisher at the end (convert_finisher.h).
#pragma once

#include "convert_chapters.h"
#include "convert_encoders.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVAudioFifo;
struct AVFrame;
struct AVPacket;

namespace dvdc {

class OutputFile {
public:
    // Sound held for pictures not yet encoded, in seconds at the file's
    // rate; what comes on top is dropped (PushAudio).
    static constexpr int kMaxAudioAheadSeconds = 30;

    // What the header says besides the streams: the first job (whose
    // chapters an ASF header makes room for) and the sound's language
    // (ISO 639-2, "" unknown).  The title is the file's own name.
    struct Tags {
        FileJob first;
        std::string language;
    };

    // Opens the file and writes its header.  `video` is the first job's
    // opened video encoder (the file borrows its parameters; the caller
    // hands it over with SetVideoEncoder).
    static std::unique_ptr<OutputFile> Create(const std::string &path, int32_t encoder,
                                              const VideoTarget &target, AVCodecContext *video,
                                              int sampleRate, int audioKbps, std::string &error,
                                              const Tags &tags = {});
    ~OutputFile();   // discards an unfinished file

    const std::string &Path() const { return path_; }
    int32_t Encoder() const { return encoder_; }
    const VideoTarget &Target() const { return target_; }
    int SampleRate() const;

    // The job's video encoder; the file frees it.  A previous one must have
    // been flushed (EndVideo) first.
    void SetVideoEncoder(AVCodecContext *enc);

    // Encodes one picture at the next frame time of the file.  false with
    // `error` on a write or encoder failure.
    bool EncodeVideo(AVFrame *frame, std::string &error);
    int64_t VideoFrames() const { return frames_; }

    // Audio at the file's rate, fltp stereo; the caller's timeline position
    // is implied: samples follow each other.
    bool PushAudio(const AVFrame *frame, std::string &error);
    // More than a second of sound waits for pictures not yet encoded.
    bool SoundAhead() const;
    // Silence up to the current video time (used when a job has no sound).
    bool PadAudioToVideo(std::string &error);

    // End of a job: flushes the job's video encoder, then cuts or pads the
    // audio to the video time so the next job starts in step.
    bool EndVideo(std::string &error);

    // A job's part of the file, for its chapters; `startFrame` is the
    // VideoFrames() the job began at.
    void AddJob(FileJob job);

    // Writes the rest, the chapters and the index: the file plays.  May
    // copy the whole file once more (see PutChapters): it belongs on a
    // thread that nobody waits on.  false with `error`; the file is then
    // removed.  true with `error` when the file plays but its chapters could
    // not be copied in (a full disk, say).
    bool Finish(std::string &error);
    // Closes and deletes the file.
    void Discard();
    bool Open() const { return fmt_ != nullptr; }

private:
    OutputFile() = default;
    bool WriteHeader(const Tags &tags, std::string &error);
    // Sends `frame` (nullptr: the end) to `enc` and writes every packet it
    // gives to stream `stream`.
    bool Encode(AVCodecContext *enc, const AVFrame *frame, int stream, std::string &error);
    bool EncodeAudio(bool jobEnded, std::string &error);
    bool PayOwedSilence(std::string &error);
    bool EncodeAudioRest(std::string &error);
    bool CloseMuxer(std::string &error);
    void PutChapters();
    // The sound samples that play as long as the pictures encoded so far.
    int64_t SamplesToVideo() const;
    AVRational FrameBase() const;
    int64_t ChapterShiftUs() const;

    std::string path_;
    int32_t encoder_ = 0;
    VideoTarget target_;
    AVFormatContext *fmt_ = nullptr;
    AVCodecContext *video_ = nullptr;
    AVCodecContext *audio_ = nullptr;
    AVAudioFifo *fifo_ = nullptr;
    AVPacket *pkt_ = nullptr;
    int64_t frames_ = 0;          // video frames in the file
    int64_t audioQueued_ = 0;     // samples handed to the fifo since the start
    int64_t audioEncoded_ = 0;    // samples given to the encoder
    // Silence that belongs after the fifo's sound and before any sound still
    // to come: dropped sound, padding.  Counted in audioQueued_.
    int64_t audioOwed_ = 0;
    bool droppingAudio_ = false;  // within a stretch of dropped sound (logged once)
    bool created_ = false;        // the file exists on disk because of us
    std::vector<FileJob> jobs_;
    std::vector<ChapterEntry> headerChapters_;   // what an ASF header was written with
    // Chapters that the header could not take: put in by a copy after the end.
    std::vector<ChapterEntry> copyChapters_;
};

} // namespace dvdc
