// SPDX-License-Identifier: GPL-3.0-or-later
// Film behind soft pulldown: an NTSC title whose MPEG-2 pictures are coded
// at the film's own 24000/1001 and only flagged to repeat fields on
// playback.  Such a title's own frame rate is the film's, so that keeping
// it gives every film frame once.  Found from the picture headers at the
// title's start and middle: a few blocks each, so opening a disc stays
// quick.  No codec library: the catalogue side runs without one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dvdc {

class Disc;
struct TitleCatalogue;

// What the MPEG-2 headers in a stretch of a video elementary stream say.
struct PictureFlags {
    int pictures = 0;       // picture coding extensions seen
    int progressive = 0;    // of them with progressive_frame
    int repeating = 0;      // of them with repeat_first_field
    int frameRateCode = 0;  // of the last sequence header, 0 if none
};

// Adds the headers complete in es[0..size) to `flags`; returns how far it
// got (the caller keeps the rest for when more of the stream has come).
size_t ReadPictureFlags(const uint8_t *es, size_t size, PictureFlags &flags);

// Whether pictures with these flags are film behind soft pulldown: all
// progressive, some repeating a field, in a 30000/1001 sequence.
bool SoftPulldown(const PictureFlags &flags);

// Gives every NTSC title found to be soft-pulldown film the rate 24000/1001.
void MarkFilmTitles(Disc &disc, std::vector<TitleCatalogue> &titles);

} // namespace dvdc
