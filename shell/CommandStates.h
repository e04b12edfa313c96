// The main window's command states and, for each, which controls are
// enabled or visible. This table is the one description of the states: the
// window applies it and the tests read it.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace pellavan {

enum class CommandState { Idle, DiscLoaded, Converting, Paused };
inline constexpr int kCommandStateCount = 4;

// What a state does to one property of a control; Keep leaves the value it
// had before the state was entered.
enum class Switch { Keep, On, Off };

struct StateCell {
    Switch enabled = Switch::Keep;
    Switch visible = Switch::Keep;
};

struct CommandRow {
    std::array<std::string_view, 6> controls;   // object names; unused slots empty
    std::array<StateCell, kCommandStateCount> cells;   // indexed by CommandState
};

std::span<const CommandRow> CommandStateTable();

// The cell of `control` in `state`; a control the table does not name gets
// Keep/Keep.
StateCell CommandCell(std::string_view control, CommandState state);

const char *CommandStateName(CommandState state);

// What the program is doing in `state`, in words for the desktop (the
// screensaver inhibition's reason).
const char *ActivityText(CommandState state);

} // namespace pellavan
