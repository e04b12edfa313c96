// SPDX-License-Identifier: GPL-3.0-or-later
/*
 * dvdconvert.h - the flat C interface of the Pellavan conversion engine.
 *
 * The program reaches the engine only through these operations.  The 33
 * operations keep their historical names, argument orders and result types;
 * a handful of host operations (marked "host") make them work without the
 * window system the interface was first shaped for.
 *
 * Platform-neutral decisions, made once here:
 *
 *  - Handles.  A converter handle is an opaque 32-bit value; 0 means "none".
 *    The engine keeps a table of live instances, so a call on handle 0 or on
 *    a handle that was already closed is harmless: it does nothing and
 *    returns 0 / false / NULL.
 *
 *  - Booleans are one byte (DCBool): non-zero means success.
 *
 *  - Device context.  The preview operations take an opaque pointer in the
 *    old device-context position.  The engine does not use it; the program
 *    may pass NULL.
 *
 *  - Pictures.  An image result is an engine-allocated DCPicture (32-bit
 *    pixels, 0xAARRGGBB in native byte order, i.e. QImage::Format_RGB32 /
 *    BGRA in memory, alpha 0xFF).  Whoever receives a picture owns it and
 *    frees it with Converter_FreePicture.  NULL means "no picture".  A
 *    picture is one malloc() block: the DCPicture followed by its pixels,
 *    so Converter_FreePicture(p) is free(p) and hosts may make their own.
 *
 *  - Reports.  The engine never calls ConvertCallback on one of its own
 *    threads.  It queues reports per instance and calls the wake-up function
 *    the host registered with Converter_SetWakeup.  The wake-up may fire on
 *    any thread, even inside an API call; it must return at once and must not
 *    call into the engine.  The host then calls Converter_DispatchReports on
 *    its UI thread, which calls the callback given to Converter_Convert for
 *    each queued report, outside every engine lock, so the callback may call
 *    Converter_CloseFile, Converter_SetConvertInfo and Converter_Convert.
 *    Reports of a job are only ever delivered after its Converter_Convert has
 *    returned.  Progress reports may be merged (only the newest is kept);
 *    end reports (state 1) and failure reports (progress -1) are never merged
 *    or lost, and each job gets exactly one of them.  After
 *    Converter_CancelConvert no report of the cancelled job is delivered.
 *
 *  - Play times are milliseconds.  NTSC IFO times count frames at a nominal
 *    30 per second; the engine converts them as frames x 1001/30 ms, so its
 *    times are 0.1 % longer than a plain reading of the BCD fields.
 *
 *  - Paths are UTF-8, zero-terminated.
 *
 *  - Logging.  Engine messages (including libdvdread's) go to the log
 *    handler set with DVDConvert_SetLogHandler (process-wide; it may be
 *    called on any thread).  The reason of the last failure of an instance
 *    is kept and can be read with Converter_GetLastError.
 */
#ifndef PELLAVAN_DVDCONVERT_H
#define PELLAVAN_DVDCONVERT_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(DVDCONVERT_BUILDING)
#define DVDCONVERT_API __attribute__((visibility("default")))
#else
#define DVDCONVERT_API
#endif

typedef uint32_t DCHandle;   /* 0 = none */
typedef uint8_t DCBool;      /* non-zero = success */

/* Wire records: the program allocates them, the engine fills them in place.
 * Little-endian integers; texts are zero-terminated within their field. */
typedef struct TVideoInfo {
    int32_t width;          /* 0  */
    int32_t height;         /* 4  */
    int32_t videoStandard;  /* 8:  0 = NTSC, 1 = PAL */
    int32_t frameRateNum;   /* 12 */
    int32_t frameRateDen;   /* 16 */
    int32_t aspectCode;     /* 20: 0 = 4:3, 3 = 16:9 */
} TVideoInfo;

typedef struct TAudioInfo {
    int32_t sampleRate;     /* 0  */
    int32_t channels;       /* 4  */
    char language[32];      /* 8:  English name of the ISO 639-1 code ("English"), the code itself
                               when no name is known; "" when the disc names none */
    int32_t formatCode;     /* 40: 0 = AC3, 6 = DTS (see DC_AUDIO_*) */
    int32_t streamId;       /* 44: program-stream id passed back as "audio stream" */
    uint16_t listed;        /* 48: non-zero = show it */
    uint16_t reserved;      /* 50: not read */
} TAudioInfo;

typedef struct TSubInfo {
    char language[32];      /* 0:  as in TAudioInfo */
    int32_t streamId;       /* 32: program-stream id passed back as "subtitle stream" */
    int32_t listed;         /* 36: non-zero = show it */
} TSubInfo;

/* Audio format codes.  0 and 6 carry names in the program; the others are
 * the engine's own and deliberately outside that name table. */
enum {
    DC_AUDIO_AC3 = 0,
    DC_AUDIO_DTS = 6,
    DC_AUDIO_MPEG = 20,
    DC_AUDIO_LPCM = 21,
    DC_AUDIO_UNKNOWN = 22
};

/* Encoder codes (parameter 11 of Converter_SetConvertInfo). */
enum {
    DC_CODEC_H264 = 0,   /* H.264 Baseline + AAC-LC in MP4 */
    DC_CODEC_MPEG4 = 2,  /* MPEG-4 Part 2 Simple Profile + AAC-LC in MP4 */
    DC_CODEC_WMV = 3     /* Windows Media Video 8 + WMA 2 in ASF */
};

/* An engine-allocated picture; free with Converter_FreePicture. */
typedef struct DCPicture {
    int32_t width;
    int32_t height;
    int32_t stride;      /* bytes per row */
    uint32_t *pixels;    /* height rows of stride bytes, 0xAARRGGBB */
} DCPicture;

/* progress: 0..100 percent of the current pass, or -1 when the job failed;
 * state: 1 when the job has ended.  Return 1 after a progress report. */
typedef uint8_t (*ConvertCallback)(int32_t progress, int32_t state);

/* Host wake-up: see "Reports" above. */
typedef void (*DCWakeupFn)(void *context);

/* Log handler: level 0 = error, 1 = warning, 2 = information, 3 = debug. */
typedef void (*DCLogFn)(int level, const char *message, void *context);

/* ---- the 33 operations ------------------------------------------------ */

DVDCONVERT_API DCHandle CreateConverter(void);
DVDCONVERT_API void CloseConverter(DCHandle h);

/* root: a DVD folder (holding VIDEO_TS, or VIDEO_TS itself), an ISO image,
 * a block device or a mount point.  flags: always 1 from the program. */
DVDCONVERT_API DCBool Converter_OpenDVD(DCHandle h, const char *root, int32_t flags);

DVDCONVERT_API int32_t Converter_GetTitleCount(DCHandle h);
DVDCONVERT_API int32_t Converter_GetChapterCount(DCHandle h, int32_t title);
DVDCONVERT_API int32_t Converter_GetAngleCount(DCHandle h, int32_t title);
DVDCONVERT_API int32_t Converter_GetAudioCount(DCHandle h, int32_t title);
DVDCONVERT_API int32_t Converter_GetSubCount(DCHandle h, int32_t title);
DVDCONVERT_API int32_t Converter_GetTitlePlayTime(DCHandle h, int32_t title);
/* 0: chapter not listed (or out of range) */
DVDCONVERT_API int32_t Converter_GetChapterPlayTime(DCHandle h, int32_t title, int32_t chapter);
/* Out-of-range indexes or a NULL record leave the record untouched. */
DVDCONVERT_API void Converter_GetVideoInfo(DCHandle h, int32_t title, TVideoInfo *info);
DVDCONVERT_API void Converter_GetAudioInfo(DCHandle h, int32_t title, int32_t stream, TAudioInfo *info);
DVDCONVERT_API void Converter_GetSubInfo(DCHandle h, int32_t title, int32_t stream, TSubInfo *info);

/* The 15 job parameters, in order: title, first chapter, last chapter,
 * width, height, audio stream id (0 = none), subtitle stream id (0 = none),
 * frame-rate numerator, frame-rate denominator, 2-pass (0/1), encoder code
 * (DC_CODEC_*), keep aspect (0/1), new file (1 = start a new output file,
 * 0 = append to the file still open), angle (0-based), deinterlace (0/1).
 * true: taken for the next Converter_Convert. */
DVDCONVERT_API DCBool Converter_SetConvertInfo(DCHandle h, int32_t title, int32_t firstChapter,
                                               int32_t lastChapter, int32_t width, int32_t height,
                                               int32_t audioStream, int32_t subtitleStream,
                                               int32_t frameRateNum, int32_t frameRateDen,
                                               int32_t twoPass, int32_t encoder, int32_t keepAspect,
                                               int32_t newFile, int32_t angle, int32_t deinterlace);

/* Bit rates and the sample rate hold for later jobs until set again.  Quality,
 * volume, crops, image parameters, audio and subtitle offsets hold for the next
 * Converter_Convert only, which takes them and returns them to neutral (quality
 * 50, volume 1, no crop, 0), whether it starts the job or not; a refused
 * Converter_SetConvertInfo drops them too.  The program sends them only
 * while they are not neutral.  Converter_Convert checks them;
 * Converter_SetConvertInfo checks only its own parameters. */
DVDCONVERT_API void Converter_SetVideoCBRBitrate(DCHandle h, int32_t kbps);
DVDCONVERT_API void Converter_SetAudioBitrate(DCHandle h, int32_t kbps);
DVDCONVERT_API void Converter_SetVideoQuality(DCHandle h, int32_t quality);   /* 0..100, 50 = default */
DVDCONVERT_API void Converter_SetAudioSamplerate(DCHandle h, int32_t hz);
DVDCONVERT_API void Converter_SetSoundCof(DCHandle h, float volume);          /* 1.0 = unchanged */
DVDCONVERT_API void Converter_SetCrops(DCHandle h, int32_t top, int32_t bottom, int32_t left,
                                       int32_t right);
/* Each 0 = unchanged; slider position / 100. */
DVDCONVERT_API void Converter_SetImageParam(DCHandle h, float brightness, float contrast, float hue,
                                            float saturation);
DVDCONVERT_API void Converter_SetAudioOffset(DCHandle h, int32_t milliseconds);
DVDCONVERT_API void Converter_SetSubtitleOffset(DCHandle h, int32_t x, int32_t y);

/* true: the job started; returns at once.  Reports: see "Reports". */
DVDCONVERT_API DCBool Converter_Convert(DCHandle h, const char *outputPath, ConvertCallback callback);
DVDCONVERT_API void Converter_Pause(DCHandle h);
DVDCONVERT_API void Converter_Resume(DCHandle h);
DVDCONVERT_API void Converter_CancelConvert(DCHandle h);
/* Returns at once: the file is finished (its rest, index and chapters
 * written) on an engine thread; see Converter_SetFileDone. */
DVDCONVERT_API void Converter_CloseFile(DCHandle h);
DVDCONVERT_API double Converter_GetEncodeFps(DCHandle h);

/* The newest converted frame at the output size, or NULL. */
DVDCONVERT_API DCPicture *Converter_GetPreview(DCHandle h, void *deviceContext);
/* multiChapter: 1 when the title lists more than one chapter. */
DVDCONVERT_API void Converter_BeginPreview(DCHandle h, int32_t title, int32_t multiChapter);
/* flag 1: the current still at the title's stored size; flag 0: step one
 * image on (returns NULL). */
DVDCONVERT_API DCPicture *Converter_GetPreview2(DCHandle h, void *deviceContext, int32_t flag);
DVDCONVERT_API void Converter_EndPreview(DCHandle h);

/* ---- host operations -------------------------------------------------- */

/* host: register the wake-up (NULL clears it; after it returns no wake-up
 * is still running). */
DVDCONVERT_API void Converter_SetWakeup(DCHandle h, DCWakeupFn wakeup, void *context);
/* host: deliver every queued report on the calling (UI) thread. */
DVDCONVERT_API void Converter_DispatchReports(DCHandle h);
/* host: free a picture returned by the engine (NULL is fine). */
DVDCONVERT_API void Converter_FreePicture(DCPicture *picture);
/* host: the reason of the instance's last failure ("" when none); valid
 * until the next call on that instance. */
DVDCONVERT_API const char *Converter_GetLastError(DCHandle h);
/* host: how many unreadable regions of the disc the current job (or, after
 * it, the last one) skipped. */
DVDCONVERT_API int32_t Converter_GetDamagedCount(DCHandle h);
/* host: region `index` (0-based) of those: where it lies in the title (ms)
 * and how much was skipped (KB); false when there is no such region. */
DVDCONVERT_API DCBool Converter_GetDamagedRegion(DCHandle h, int32_t index, int32_t *timeMs, int32_t *kilobytes);
/* How the reading of a job ended (Converter_GetReadEnd). */
enum {
    DC_READ_WHOLE = 0,     /* to the end of its chapters, skipped regions aside */
    DC_READ_STOPPED = 1,   /* nothing after a point could be read: the job ended there, done, its file
                              keeps what was converted */
    DC_READ_DISC_GONE = 2  /* the disc was taken out or its drive went away: the job ended there */
};
/* host: how the reading of the current job (or, after it, the last one)
 * ended (DC_READ_*).  Unless it was whole, `text` (may be NULL) gets up to
 * `size` bytes of it in plain words, zero-terminated ("the disc could not be
 * read after 0:01:02; 21:58 of the title is missing"); else "".  The job's
 * last damaged region is the one the reading ended in. */
DVDCONVERT_API int32_t Converter_GetReadEnd(DCHandle h, char *text, int32_t size);
/* host: files closed (Converter_CloseFile, a job that begins a new file,
 * CloseConverter) are finished on an engine thread.  When one is, a report
 * is queued: Converter_DispatchReports calls `fn` with its path and "" when
 * it is whole and plays, else what went wrong: a file that could not be
 * finished is removed; one whose chapters could not be put in plays, and the
 * text says so.  CloseConverter
 * waits until every file is finished: none is ever cut short. */
typedef void (*DCFileDoneFn)(const char *path, const char *error, void *context);
DVDCONVERT_API void Converter_SetFileDone(DCHandle h, DCFileDoneFn fn, void *context);
/* host: how many closed files are not yet finished (a file's count drops
 * before its report is queued). */
DVDCONVERT_API int32_t Converter_GetFinishingCount(DCHandle h);
/* host: the next job's name: the name its own file would have, without
 * folder or extension ("DISC_Title01_03", see dvdconvert_names.h).  A merged
 * file names the job's chapter so.  Holds for the next Converter_Convert
 * only; without it the engine names the job after the range it covers. */
DVDCONVERT_API void Converter_SetJobName(DCHandle h, const char *name);
/* host: process-wide log handler (NULL = messages are dropped). */
DVDCONVERT_API void DVDConvert_SetLogHandler(DCLogFn fn, void *context);

#ifdef __cplusplus
} /* extern "C" */

static_assert(sizeof(TVideoInfo) == 24, "TVideoInfo is 24 bytes");
static_assert(offsetof(TVideoInfo, height) == 4, "");
static_assert(offsetof(TVideoInfo, videoStandard) == 8, "");
static_assert(offsetof(TVideoInfo, frameRateNum) == 12, "");
static_assert(offsetof(TVideoInfo, frameRateDen) == 16, "");
static_assert(offsetof(TVideoInfo, aspectCode) == 20, "");
static_assert(sizeof(TAudioInfo) == 52, "TAudioInfo is 52 bytes");
static_assert(offsetof(TAudioInfo, channels) == 4, "");
static_assert(offsetof(TAudioInfo, language) == 8, "");
static_assert(offsetof(TAudioInfo, formatCode) == 40, "");
static_assert(offsetof(TAudioInfo, streamId) == 44, "");
static_assert(offsetof(TAudioInfo, listed) == 48, "");
static_assert(sizeof(TSubInfo) == 40, "TSubInfo is 40 bytes");
static_assert(offsetof(TSubInfo, streamId) == 32, "");
static_assert(offsetof(TSubInfo, listed) == 36, "");
#else
_Static_assert(sizeof(TVideoInfo) == 24, "TVideoInfo is 24 bytes");
_Static_assert(sizeof(TAudioInfo) == 52, "TAudioInfo is 52 bytes");
_Static_assert(sizeof(TSubInfo) == 40, "TSubInfo is 40 bytes");
_Static_assert(offsetof(TAudioInfo, streamId) == 44, "");
_Static_assert(offsetof(TSubInfo, listed) == 36, "");
#endif

#endif
