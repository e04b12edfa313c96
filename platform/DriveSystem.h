// SPDX-License-Identifier: GPL-3.0-or-later
// What a scan of the machine's optical drives can ask, behind a seam so the
// rules above it run on any set of drives a test presents.
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
    virtual std::vector<DriveProbe> ProbeAll(const std::vector<std::string> &drives)
    {
        std::vector<DriveProbe> out;
        for (const auto &d : drives)
            out.push_back(Probe(d));
        return out;
    }
};

} // namespace pellavan
