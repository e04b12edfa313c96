// SPDX-License-Identifier: GPL-3.0-or-later
#include "DriveList.h"

#include "TreeRules.h"
#include "platform/Drives.h"

#include <cstdio>

namespace pellavan {

std::string FormatSerial(uint32_t serial)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%4X-%4X", unsigned(serial >> 16), unsigned(serial & 0xFFFFu));
    std::string s = buf;
    for (char &c : s)
        if (c == ' ')
            c = '0';
    return s;
}

std::string DiscImageName(const std::string &imagePath)
{
    TVolumeInformation volume;
    const std::string name = platform::GetVolumeInfo(imagePath, volume) ? StripNameChars(volume.VolumeName) : "";
    return name.empty() ? kUnknownDiscName : name;
}

bool IsVideoDvd(const DriveProbe &probe)
{
    return probe.volume.SerialNumber != 0 && probe.volume.FileSystemName == "UDF" && probe.hasVideoTs;
}

std::vector<std::string> GetCDDrives(DriveSystem &drives) { return drives.OpticalDrives(); }

std::vector<DvdRow> FillDVDList(DriveSystem &drives, const std::vector<std::string> &driveList)
{
    std::vector<DvdRow> rows;
    for (const DriveProbe &p : drives.ProbeAll(driveList)) {
        if (!p.readable || !IsVideoDvd(p))
            continue;
        rows.push_back({p.root, StripNameChars(p.volume.VolumeName), FormatSerial(p.volume.SerialNumber)});
    }
    return rows;
}

} // namespace pellavan
