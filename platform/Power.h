// SPDX-License-Identifier: GPL-3.0-or-later
// Powering the machine off at the end of a run, behind a seam so that no
// test can ever switch a machine off.
#pragma once

#include <memory>
#include <string>

namespace pellavan {

class PowerControl {
public:
    virtual ~PowerControl() = default;
    // The login manager's answer: "yes" when this user may power off now
    // without further authentication; "no", "challenge", "na" or "" else.
    virtual std::string CanPowerOff() = 0;
    virtual void PowerOff() = 0;
};

// Powers off only when the answer is "yes" (the equivalent of holding the
// shutdown privilege); anything else does nothing, silently.
void ShutdownComputer(PowerControl &power);

// logind over the system bus; without a bus CanPowerOff answers "".
std::unique_ptr<PowerControl> CreateLogindPowerControl();

} // namespace pellavan
