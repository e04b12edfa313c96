// SPDX-License-Identifier: GPL-3.0-or-later
// Which drives hold a video DVD, and what the drive-choice list shows for
// them.  The machine's drives are reached through DriveSystem, so the rules
// run on any set of drives a test presents.
#pragma once

#include "platform/DriveSystem.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pellavan {

// One row of the drive-choice list.
struct DvdRow {
    std::string root;      // "DVD Drive": handed to LoadDisc
    std::string volume;    // "DVD Volume": the cleaned label, the disc name
    std::string serial;    // "DVD Serial"
};

// The disc name of a source that has no label of its own.
inline constexpr const char *kUnknownDiscName = "Unknow Disc";

// The disc name of a disc image: its volume label cleaned as a drive's is,
// or kUnknownDiscName when it has none (or none can be read).
std::string DiscImageName(const std::string &imagePath);

// "%4X-%4X" of the serial's halves, blanks as zeros: always 9 characters.
std::string FormatSerial(uint32_t serial);
bool IsVideoDvd(const DriveProbe &probe);
// GetCDDrives: the drive list of a scan.
std::vector<std::string> GetCDDrives(DriveSystem &drives);
// FillDVDList: one row per drive of `driveList` that holds a video DVD.
std::vector<DvdRow> FillDVDList(DriveSystem &drives, const std::vector<std::string> &driveList);

} // namespace pellavan
