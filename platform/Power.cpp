// SPDX-License-Identifier: GPL-3.0-or-later
#include "Power.h"

namespace pellavan {

void ShutdownComputer(PowerControl &power)
{
    if (power.CanPowerOff() == "yes")
        power.PowerOff();
}

} // namespace pellavan
