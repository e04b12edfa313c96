// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CommandStates.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace pellavan;

TEST(CommandStateTable, EveryControlIsInExactlyOneRowAndConvertAndAbortShareThePlace)
{
    std::set<CommandControl> seen;
    std::set<std::string_view> names;
    for (const CommandRow &row : CommandStateTable())
        for (CommandControl c : row.controls())
            EXPECT_TRUE(seen.insert(c).second) << CommandControlName(c);
    EXPECT_EQ(seen.size(), size_t(kCommandControlCount));
    for (int c = 0; c < kCommandControlCount; ++c)
        EXPECT_TRUE(names.insert(CommandControlName(CommandControl(c))).second) << c;
    // Exactly one of the two buttons in the same place is visible in each state.
    for (int s = 0; s < kCommandStateCount; ++s) {
        const auto state = CommandState(s);
        const bool convert = CommandCell(CommandControl::btnconvert, state).visible == Switch::On;
        const bool abort = CommandCell(CommandControl::btnabort, state).visible == Switch::On;
        EXPECT_NE(convert, abort) << CommandStateName(state);
        EXPECT_NE(CommandCell(CommandControl::btnconvert, state).visible, Switch::Keep);
        EXPECT_NE(CommandCell(CommandControl::btnabort, state).visible, Switch::Keep);
    }
}
