// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandStates.h"

namespace pellavan {

namespace {
constexpr StateCell K{Switch::Keep, Switch::Keep};
constexpr StateCell E{Switch::On, Switch::Keep};
constexpr StateCell D{Switch::Off, Switch::Keep};
constexpr StateCell VD{Switch::Off, Switch::On};
constexpr StateCell VE{Switch::On, Switch::On};
constexpr StateCell H{Switch::Keep, Switch::Off};

template <size_t N>
constexpr CommandRow Row(const CommandControl (&controls)[N], std::array<StateCell, kCommandStateCount> cells)
{
    static_assert(N <= CommandRow::kMaxControls);
    CommandRow row{};
    for (size_t i = 0; i < N; ++i)
        row.members[i] = controls[i];
    row.count = N;
    row.cells = cells;
    return row;
}

using enum CommandControl;

//                 controls                                                  idle disc conv paused
constexpr CommandRow kTable[] = {
    Row({btnopen, Open1, OpenDVDFolder1},                                    {E, E, D, D}),
    Row({btnproperty, DVDProperty1},                                         {D, E, K, K}),
    Row({btnselectall, SelectAllItems1, UnSelectAllItems1},                  {D, E, D, D}),
    Row({btnsetting, AdvancedSettings1},                                     {E, E, D, D}),
    Row({CropSettings1, ColorControl1},                                      {D, E, D, D}),
    Row({SetoutputFolder1, GotoOutPutFolder1, spSkinButton2, btnhelp, HelpDocument1, Support1, Home1, About1,
         Exit1, previewcheck},                                               {E, E, E, E}),
    Row({chapterview, profilecom, Efolder, c2pass, csingle, btnpro},         {E, E, D, D}),
    // Entering disc-loaded enables Convert; the tree's check marks then
    // enable and disable it.
    Row({btnconvert},                                                        {VD, VE, H, H}),
    Row({btnabort},                                                          {H, H, VE, VE}),
    Row({btnpause},                                                          {D, D, E, E}),
    Row({Pause1},                                                            {D, D, E, D}),
    Row({remuse1},                                                           {D, D, D, E}),
    // While converting, "Show" then switches capture on and off; pausing
    // keeps whatever it was.
    Row({btncapture, Capture1},                                              {D, D, E, K}),
};

constexpr std::string_view kNames[kCommandControlCount] = {
    "btnopen", "Open1", "OpenDVDFolder1",
    "btnproperty", "DVDProperty1",
    "btnselectall", "SelectAllItems1", "UnSelectAllItems1",
    "btnsetting", "AdvancedSettings1",
    "CropSettings1", "ColorControl1",
    "SetoutputFolder1", "GotoOutPutFolder1", "spSkinButton2", "btnhelp", "HelpDocument1", "Support1", "Home1",
    "About1", "Exit1",
    "previewcheck",
    "chapterview", "profilecom", "Efolder", "c2pass", "csingle", "btnpro",
    "btnconvert", "btnabort", "btnpause", "Pause1", "remuse1", "btncapture", "Capture1",
};
static_assert(kNames[kCommandControlCount - 1] == "Capture1", "one name per control, in the enum's order");
} // namespace

std::span<const CommandRow> CommandStateTable() { return kTable; }

std::string_view CommandControlName(CommandControl control) { return kNames[size_t(control)]; }

StateCell CommandCell(CommandControl control, CommandState state)
{
    for (const CommandRow &row : kTable)
        for (CommandControl c : row.controls())
            if (c == control)
                return row.cells[size_t(state)];
    return K;
}

const char *CommandStateName(CommandState state)
{
    switch (state) {
    case CommandState::Idle: return "idle";
    case CommandState::DiscLoaded: return "disc loaded";
    case CommandState::Converting: return "converting";
    case CommandState::Paused: return "paused";
    }
    return "";
}

const char *ActivityText(CommandState state)
{
    switch (state) {
    case CommandState::Idle: return "Waiting for a DVD";
    case CommandState::DiscLoaded: return "Showing the titles of a DVD";
    case CommandState::Converting: return "Converting a DVD to video files";
    case CommandState::Paused: return "Conversion of a DVD paused";
    }
    return "";
}

} // namespace pellavan
