// Which drives hold a video DVD, and what the drive-choice list shows for
// them.  The machine's drives are reached through DriveSystem, so the rules
// run on any set of drives a test presents.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pellavan {

struct TVolumeInformation {
    std::string VolumeName;
    uint32_t SerialNumber = 0;
    uint32_t MaxComponentLength = 0;
    std::string FileSystemName;
};

// What one bounded query of a drive found.
struct DriveProbe {
    bool readable = false;           // a medium was there and could be read in time
    TVolumeInformation volume;       // reset values when not readable
    std::string root;                // mount point, or the device node when not mounted
    bool hasVideoTs = false;         // a "VIDEO_TS" folder at the root of the volume
};

class DriveSystem {
public:
    virtual ~DriveSystem() = default;
    // The optical drives (device nodes), in the system's order.
    virtual std::vector<std::string> OpticalDrives() = 0;
    virtual DriveProbe Probe(const std::string &drive) = 0;
    // Every drive of a scan, in the given order; one at a time unless a
    // system can ask them side by side.
    virtual std::vector<DriveProbe> ProbeAll(const std::vector<std::string> &drives);
};

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
