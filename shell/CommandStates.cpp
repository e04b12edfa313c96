#include "CommandStates.h"

namespace pellavan {

namespace {
constexpr StateCell K{Switch::Keep, Switch::Keep};
constexpr StateCell E{Switch::On, Switch::Keep};
constexpr StateCell D{Switch::Off, Switch::Keep};
constexpr StateCell VD{Switch::Off, Switch::On};
constexpr StateCell VE{Switch::On, Switch::On};
constexpr StateCell H{Switch::Keep, Switch::Off};

//                 controls                                                  idle disc conv paused
constexpr CommandRow kTable[] = {
    {{"btnopen", "Open1", "OpenDVDFolder1"},                                 {E, E, D, D}},
    {{"btnproperty", "DVDProperty1"},                                        {D, E, K, K}},
    {{"btnselectall", "SelectAllItems1", "UnSelectAllItems1"},               {D, E, D, D}},
    {{"btnsetting", "AdvancedSettings1"},                                    {E, E, D, D}},
    {{"CropSettings1", "ColorControl1"},                                     {D, E, D, D}},
    {{"SetoutputFolder1", "GotoOutPutFolder1", "spSkinButton2", "btnhelp"},  {E, E, E, E}},
    {{"HelpDocument1", "Support1", "Home1", "About1", "Exit1", "previewcheck"}, {E, E, E, E}},
    {{"chapterview", "profilecom", "Efolder", "c2pass", "csingle", "btnpro"}, {E, E, D, D}},
    // Entering disc-loaded enables Convert; the tree's check marks then
    // enable and disable it.
    {{"btnconvert"},                                                         {VD, VE, H, H}},
    {{"btnabort"},                                                           {H, H, VE, VE}},
    {{"btnpause"},                                                           {D, D, E, E}},
    {{"Pause1"},                                                             {D, D, E, D}},
    {{"remuse1"},                                                            {D, D, D, E}},
    // While converting, "Show" then switches capture on and off; pausing
    // keeps whatever it was.
    {{"btncapture", "Capture1"},                                             {D, D, E, K}},
};
} // namespace

std::span<const CommandRow> CommandStateTable() { return kTable; }

StateCell CommandCell(std::string_view control, CommandState state)
{
    for (const CommandRow &row : kTable)
        for (std::string_view name : row.controls)
            if (!name.empty() && name == control)
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
