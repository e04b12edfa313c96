// SPDX-License-Identifier: GPL-3.0-or-later
// A second process for the single-instance tests.
//   instance_probe try   exit 0 when the guard was free (taken and let go), 3 when held,
//                        4 when no place could hold it
//   instance_probe hold  take the guard, print "held", wait to be killed
#include "platform/InstanceLock.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    pellavan::InstanceLock lock;
    const pellavan::LockOutcome outcome = lock.Acquire(pellavan::kInstanceGuardName);
    if (std::strcmp(argv[1], "try") == 0)
        return outcome == pellavan::LockOutcome::Taken ? 0 : outcome == pellavan::LockOutcome::HeldByAnother ? 3 : 4;
    if (outcome != pellavan::LockOutcome::Taken)
        return 3;
    std::printf("held\n");
    std::fflush(stdout);
    for (;;)
        ::pause();
}
