// A second process for the single-instance tests.
//   instance_probe try   exit 0 when the guard was free (taken and let go), 3 when held
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
    const bool held = lock.Acquire(pellavan::kInstanceGuardName);
    if (std::strcmp(argv[1], "try") == 0)
        return held ? 0 : 3;
    if (!held)
        return 3;
    std::printf("held\n");
    std::fflush(stdout);
    for (;;)
        ::pause();
}
