// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's command states and, for each, which controls are
// enabled or visible. This table is the one description of the states: the
// window applies it and the tests read it.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace pellavan {

enum class CommandState { Idle, DiscLoaded, Converting, Paused };
inline constexpr int kCommandStateCount = 4;

// The controls the states switch.  The window maps each to its member in a
// switch without a default, so a control added here and not there, or a
// misspelt one, does not compile.
enum class CommandControl {
    btnopen, Open1, OpenDVDFolder1,
    btnproperty, DVDProperty1,
    btnselectall, SelectAllItems1, UnSelectAllItems1,
    btnsetting, AdvancedSettings1,
    CropSettings1, ColorControl1,
    SetoutputFolder1, GotoOutPutFolder1, spSkinButton2, btnhelp, HelpDocument1, Support1, Home1, About1, Exit1,
    previewcheck,
    chapterview, profilecom, Efolder, c2pass, csingle, btnpro,
    btnconvert, btnabort, btnpause, Pause1, remuse1, btncapture, Capture1,
};
inline constexpr int kCommandControlCount = int(CommandControl::Capture1) + 1;

// The control's object name on the window.
std::string_view CommandControlName(CommandControl control);

// What a state does to one property of a control; Keep leaves the value it
// had before the state was entered.
enum class Switch { Keep, On, Off };

struct StateCell {
    Switch enabled = Switch::Keep;
    Switch visible = Switch::Keep;
};

struct CommandRow {
    static constexpr size_t kMaxControls = 12;
    std::array<CommandControl, kMaxControls> members{};
    size_t count = 0;
    std::array<StateCell, kCommandStateCount> cells;   // indexed by CommandState

    std::span<const CommandControl> controls() const { return {members.data(), count}; }
};

std::span<const CommandRow> CommandStateTable();

// The cell of `control` in `state`.
StateCell CommandCell(CommandControl control, CommandState state);

const char *CommandStateName(CommandState state);

// What the program is doing in `state`, in words for the desktop (the
// screensaver inhibition's reason).
const char *ActivityText(CommandState state);

} // namespace pellavan
