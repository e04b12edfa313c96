// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Power.h"

#include <gtest/gtest.h>

namespace {

struct FakePower : pellavan::PowerControl {
    std::string answer;
    int powerOffs = 0;
    std::string CanPowerOff() override { return answer; }
    void PowerOff() override { ++powerOffs; }
};

} // namespace

TEST(ShutdownComputer, PowersOffOnlyWhenAllowedWithoutAsking)
{
    for (const char *refused : {"no", "challenge", "na", "", "YES", "yes "}) {
        FakePower p;
        p.answer = refused;
        pellavan::ShutdownComputer(p);
        EXPECT_EQ(p.powerOffs, 0) << "answer '" << refused << "'";
    }
    FakePower allowed;
    allowed.answer = "yes";
    pellavan::ShutdownComputer(allowed);
    EXPECT_EQ(allowed.powerOffs, 1);
}
