#include "shell/CommandStates.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace pellavan;

TEST(CommandStateTable, EveryControlIsNamedOnceAndConvertAndAbortShareThePlace)
{
    std::set<std::string_view> seen;
    for (const CommandRow &row : CommandStateTable())
        for (std::string_view name : row.controls)
            if (!name.empty()) {
                EXPECT_TRUE(seen.insert(name).second) << name;
            }
    // Exactly one of the two buttons in the same place is visible in each state.
    for (int s = 0; s < kCommandStateCount; ++s) {
        const auto state = CommandState(s);
        const bool convert = CommandCell("btnconvert", state).visible == Switch::On;
        const bool abort = CommandCell("btnabort", state).visible == Switch::On;
        EXPECT_NE(convert, abort) << CommandStateName(state);
        EXPECT_NE(CommandCell("btnconvert", state).visible, Switch::Keep);
        EXPECT_NE(CommandCell("btnabort", state).visible, Switch::Keep);
    }
    EXPECT_EQ(CommandCell("nosuchcontrol", CommandState::Idle).enabled, Switch::Keep);
}
