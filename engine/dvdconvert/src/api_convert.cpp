// Conversion operations.  Until the conversion pipeline is in place every
// job is refused with a reason the host can read.
#include "convert_session.h"
#include "instance.h"

namespace {
void Refuse(DCHandle h)
{
    if (dvdc::Instance *in = dvdc::FindInstance(h))
        in->SetLastError("conversion is not available in this build");
}
} // namespace

namespace dvdc {
void DestroyConvertSession(ConvertSession *session) { delete session; }
} // namespace dvdc

extern "C" {

DVDCONVERT_API DCBool Converter_SetConvertInfo(DCHandle h, int32_t, int32_t, int32_t, int32_t, int32_t,
                                               int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                               int32_t, int32_t, int32_t, int32_t)
{
    Refuse(h);
    return 0;
}
DVDCONVERT_API void Converter_SetVideoCBRBitrate(DCHandle, int32_t) {}
DVDCONVERT_API void Converter_SetAudioBitrate(DCHandle, int32_t) {}
DVDCONVERT_API void Converter_SetVideoQuality(DCHandle, int32_t) {}
DVDCONVERT_API void Converter_SetAudioSamplerate(DCHandle, int32_t) {}
DVDCONVERT_API void Converter_SetSoundCof(DCHandle, float) {}
DVDCONVERT_API void Converter_SetCrops(DCHandle, int32_t, int32_t, int32_t, int32_t) {}
DVDCONVERT_API void Converter_SetImageParam(DCHandle, float, float, float, float) {}
DVDCONVERT_API void Converter_SetAudioOffset(DCHandle, int32_t) {}
DVDCONVERT_API void Converter_SetSubtitleOffset(DCHandle, int32_t, int32_t) {}
DVDCONVERT_API DCBool Converter_Convert(DCHandle h, const char *, ConvertCallback)
{
    Refuse(h);
    return 0;
}
DVDCONVERT_API void Converter_Pause(DCHandle) {}
DVDCONVERT_API void Converter_Resume(DCHandle) {}
DVDCONVERT_API void Converter_CancelConvert(DCHandle) {}
DVDCONVERT_API void Converter_CloseFile(DCHandle) {}
DVDCONVERT_API double Converter_GetEncodeFps(DCHandle) { return 0.0; }
DVDCONVERT_API DCPicture *Converter_GetPreview(DCHandle, void *) { return nullptr; }
DVDCONVERT_API void Converter_SetWakeup(DCHandle, DCWakeupFn, void *) {}
DVDCONVERT_API void Converter_DispatchReports(DCHandle) {}

} // extern "C"
