// dvdconvert still SOURCE TITLE [STEPS] OUT.png: the preview still of a
// title after STEPS steps (as the crop dialog shows it), as a PNG file.
#include "command.h"

#include "dvdconvert.h"

#include <cstdio>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

namespace dvdconvert {

namespace {

// PNG through FFmpeg's encoder; false when it cannot be written.
bool WritePng(const DCPicture &picture, const std::string &path)
{
    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
    AVCodecContext *ctx = codec ? avcodec_alloc_context3(codec) : nullptr;
    AVFrame *frame = av_frame_alloc();
    AVPacket *packet = av_packet_alloc();
    bool ok = false;
    if (ctx && frame && packet) {
        ctx->width = frame->width = picture.width;
        ctx->height = frame->height = picture.height;
        ctx->pix_fmt = AV_PIX_FMT_RGB24;
        frame->format = AV_PIX_FMT_RGB24;
        ctx->time_base = AVRational{1, 25};
        if (avcodec_open2(ctx, codec, nullptr) == 0 && av_frame_get_buffer(frame, 0) == 0) {
            for (int y = 0; y < picture.height; ++y) {
                const uint32_t *src = picture.pixels + size_t(y) * size_t(picture.stride / 4);
                uint8_t *dst = frame->data[0] + size_t(y) * size_t(frame->linesize[0]);
                for (int x = 0; x < picture.width; ++x) {
                    dst[3 * x] = uint8_t(src[x] >> 16);
                    dst[3 * x + 1] = uint8_t(src[x] >> 8);
                    dst[3 * x + 2] = uint8_t(src[x]);
                }
            }
            if (avcodec_send_frame(ctx, frame) == 0 && avcodec_send_frame(ctx, nullptr) == 0 &&
                avcodec_receive_packet(ctx, packet) == 0) {
                if (FILE *f = std::fopen(path.c_str(), "wb")) {
                    ok = std::fwrite(packet->data, 1, size_t(packet->size), f) == size_t(packet->size);
                    ok = std::fclose(f) == 0 && ok;
                }
            }
        }
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&ctx);
    return ok;
}

int RunStill(const std::vector<std::string> &args)
{
    if (args.size() != 3 && args.size() != 4) {
        PrintError("still needs SOURCE TITLE [STEPS] OUT.png");
        return kExitUsage;
    }
    int title = 0, steps = 0;
    if (!ParseCount(args[1], title) || title < 1 || (args.size() == 4 && !ParseCount(args[2], steps))) {
        PrintError("TITLE counts from 1 and STEPS from 0");
        return kExitUsage;
    }
    const std::string &out = args.back();
    DCHandle h = CreateConverter();
    auto close = std::unique_ptr<void, void (*)(void *)>(&h, [](void *p) { CloseConverter(*static_cast<DCHandle *>(p)); });
    if (!Converter_OpenDVD(h, args[0].c_str(), 1)) {
        PrintError("cannot open " + args[0] + ": " + Converter_GetLastError(h));
        return kExitNoDisc;
    }
    if (title > Converter_GetTitleCount(h)) {
        PrintError("no title " + args[1] + " (the disc has " + std::to_string(Converter_GetTitleCount(h)) + ")");
        return kExitNoSuchItem;
    }
    Converter_BeginPreview(h, title - 1, Converter_GetChapterCount(h, title - 1) > 1);
    for (int i = 0; i < steps; ++i)
        Converter_GetPreview2(h, nullptr, 0);
    DCPicture *picture = Converter_GetPreview2(h, nullptr, 1);
    Converter_EndPreview(h);
    if (!picture) {
        PrintError(std::string("no picture: ") + Converter_GetLastError(h));
        return kExitFailed;
    }
    bool written = WritePng(*picture, out);
    Converter_FreePicture(picture);
    if (!written) {
        PrintError("cannot write " + out);
        return kExitOutput;
    }
    return kExitOk;
}

const CommandRegistration stillCommand{"still", "SOURCE TITLE [STEPS] OUT.png",
                                       "writes the preview still of TITLE (from 1) after STEPS steps of about "
                                       "half a second",
                                       RunStill};

} // namespace

} // namespace dvdconvert
