// Quiet stand-ins for the machine around the main window: no desktop to open
// things in, no optical drives, and a power-off that must never happen.
#pragma once

#include "catalogue/DriveList.h"
#include "platform/Desktop.h"
#include "platform/Power.h"

#include <gtest/gtest.h>

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

struct NoPower : PowerControl {
    std::string CanPowerOff() override { return "no"; }
    void PowerOff() override { ADD_FAILURE() << "power-off"; }
};

} // namespace pellavan::testing
