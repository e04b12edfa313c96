// Host operations that need no disc: pictures and the log handler.
#include "dvdconvert.h"

#include <cstdlib>

extern "C" {

DVDCONVERT_API void Converter_FreePicture(DCPicture *picture) { std::free(picture); }

} // extern "C"
