// SPDX-License-Identifier: GPL-3.0-or-later
// Quiet stand-ins for the machine around the main window: no desktop to open
// things in, no optical drives, and a power-off that must never happen.
#pragma once

#include "catalogue/DriveList.h"
#include "platform/Desktop.h"
#include "platform/Power.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace pellavan::testing {

struct NoDesktop : Desktop {
    void OpenUrl(const QString &) override {}
    void OpenFolder(const QString &) override {}
    bool DocumentOpenerPresent() override { return false; }
    bool HelpViewerPresent() override { return false; }
    bool OpenDocument(const QString &) override { return false; }
};

struct NoDrives : DriveSystem {
    std::vector<std::string> OpticalDrives() override { return {}; }
    DriveProbe Probe(const std::string &) override { return {}; }
};

// Presents any set of drives, in the order added, and records each probe.
class FakeDrives : public DriveSystem {
public:
    std::vector<std::string> order;
    std::map<std::string, DriveProbe> probes;
    std::vector<std::string> probed;

    void Add(const std::string &dev, DriveProbe p)
    {
        order.push_back(dev);
        probes[dev] = std::move(p);
    }
    std::vector<std::string> OpticalDrives() override { return order; }
    DriveProbe Probe(const std::string &drive) override
    {
        probed.push_back(drive);
        auto it = probes.find(drive);
        return it == probes.end() ? DriveProbe{} : it->second;
    }
};

// A readable disc in a drive, mounted at `root`.
inline DriveProbe DiscProbe(const std::string &root, const std::string &label, uint32_t serial,
                            const std::string &fs = "UDF", bool videoTs = true)
{
    DriveProbe p;
    p.readable = true;
    p.root = root;
    p.volume.VolumeName = label;
    p.volume.SerialNumber = serial;
    p.volume.FileSystemName = fs;
    p.hasVideoTs = videoTs;
    return p;
}

struct NoPower : PowerControl {
    std::string CanPowerOff() override { return "no"; }
    void PowerOff() override { ADD_FAILURE() << "power-off"; }
};

} // namespace pellavan::testing
