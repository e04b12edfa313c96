// SPDX-License-Identifier: GPL-3.0-or-later
/* What a title's pictures hold, for tools that tell a user whether to
 * turn "DeInterlace" on.  An addition to the operations of dvdconvert.h,
 * exported by the same library; the program's window does not use it. */
#pragma once

#include "dvdconvert.h"

#ifdef __cplusplus
extern "C" {
#endif

enum {
    DC_CONTENT_UNKNOWN = 0,      /* nothing readable, or nothing moves */
    DC_CONTENT_PROGRESSIVE = 1,  /* whole frames */
    DC_CONTENT_SOFT_FILM = 2,    /* film coded at its own rate, flagged for pulldown */
    DC_CONTENT_HARD_FILM = 3,    /* film with the pulldown recorded into interlaced frames */
    DC_CONTENT_INTERLACED = 4,   /* interlaced video */
    DC_CONTENT_MIXED = 5         /* different kinds at different places */
};

/* Decodes a few seconds at several places of the title (0-based) and tells
 * what they hold: a DC_CONTENT_ value, or -1 when the title cannot be read
 * (Converter_GetLastError says why).  Reads the disc before it returns, so
 * a window must not call it on its own thread. */
DVDCONVERT_API int32_t Converter_ScanTitle(DCHandle h, int32_t title);

#ifdef __cplusplus
}
#endif
