// SPDX-License-Identifier: GPL-3.0-or-later
// The machine's optical drives on Linux: the kernel's list of drives, the
// volume facts libblkid reads, mount points, and the "VIDEO_TS" test inside
// an unmounted disc with libudfread.  Every query of a drive runs on a worker
// thread with a time limit, so an empty or slow drive never holds up the
// window and nothing ever asks the user anything.
#pragma once

#include "platform/DriveSystem.h"

#include <chrono>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace pellavan::platform {

// Block devices whose SCSI type is 5 (CD/DVD), as "/dev/<name>", in the
// kernel's order (by device number).  `sysRoot` is "/sys" outside tests.
std::vector<std::string> ListOpticalDrives(const std::string &sysRoot = "/sys",
                                           const std::string &devRoot = "/dev");

// Label, serial and file-system name of the volume in a device or image
// file.  A UDF volume is named "UDF" and an ISO 9660 one "CDFS"; others get
// the probe's name in capitals.  False (with reset values) when nothing
// readable is there.
bool GetVolumeInfo(const std::string &path, pellavan::TVolumeInformation &info);

// The first 8 hexadecimal digits of a volume UUID as a number (fewer digits
// give a smaller number); 0 when the UUID holds none.
uint32_t SerialFromUuid(const std::string &uuid);

// The mount point of a device in /proc/self/mountinfo text: matched by the
// device number of a block device, else by the mount source; "" when none.
std::string MountPointIn(const std::string &mountinfo, dev_t device, const std::string &source);

// Whether the UDF volume in a device or image file has a "VIDEO_TS" folder at
// its root, the name compared without regard to case.
bool UdfHasVideoTs(const std::string &path);

// Whether a folder (a mount point) holds a "VIDEO_TS" folder, any case.
bool HasVideoTsFolder(const std::string &folder);

// The drive seam over the machine.
class LinuxDrives final : public pellavan::DriveSystem {
public:
    struct Paths {
        std::string sysRoot = "/sys";
        std::string devRoot = "/dev";
        std::string mountinfo = "/proc/self/mountinfo";
    };
    explicit LinuxDrives(std::chrono::milliseconds perDriveLimit = std::chrono::milliseconds(2500));
    LinuxDrives(Paths paths, std::chrono::milliseconds perDriveLimit);
    ~LinuxDrives() override;   // waits for queries still running past their limit

    std::vector<std::string> OpticalDrives() override;
    pellavan::DriveProbe Probe(const std::string &drive) override;
    // All drives side by side, under one time limit.
    std::vector<pellavan::DriveProbe> ProbeAll(const std::vector<std::string> &drives) override;

    // The query without a time limit, as the worker runs it.
    static pellavan::DriveProbe ProbeNow(const std::string &drive, const std::string &mountinfoPath);

private:
    struct Late;
    Paths m_paths;
    std::chrono::milliseconds m_limit;
    std::unique_ptr<Late> m_late;
};

} // namespace pellavan::platform
