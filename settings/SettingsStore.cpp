// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsStore.h"

#include "Profiles.h"
#include "platform/UserFolders.h"

namespace pellavan {

namespace {

constexpr const char *kMainLower = "main"; // "profile" is written under this spelling
constexpr const char *kMain = "Main";
constexpr const char *kMisc = "Misc";
constexpr const char *kColor = "ColorControl";

std::string UnableToWrite(const std::string &path) { return "Unable to write to " + path; }

// Reads the file afresh, lets edit change it, and replaces it.
template <class Edit>
std::optional<std::string> Update(const std::string &path, const WriteFunction &write, Edit edit)
{
    bool readable = true;
    IniFile file = IniFile::Load(path, &readable);
    if (!readable) // rewriting it would lose what we could not read
        return UnableToWrite(path);
    edit(file);
    if (!ReplaceFileAtomically(path, file.Text(), nullptr, write))
        return UnableToWrite(path);
    return std::nullopt;
}

} // namespace

std::string SettingsFilePath(const std::string &dataPath) { return dataPath + "mervale.ini"; }

std::string DefaultOutputFolder() { return UserHomeFolder() + "Varnockoutput/"; }

std::string MiscDefaultOutputFolder() { return UserHomeFolder() + "Tessaryoutput/"; }

std::string OutputFolderText(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

MainSettings LoadMainSettings(const std::string &path)
{
    const IniFile file = IniFile::Load(path);
    MainSettings s;
    s.profile = file.ReadInteger(kMainLower, "profile", 0);
    if (!FindProfile(s.profile))
        s.profile = 0;
    s.twoPass = file.ReadBool(kMain, "TwoPass", false);
    s.single = file.ReadBool(kMain, "Single", false);
    s.preview = file.ReadBool(kMain, "Preview", true);
    s.output = file.ReadString(kMain, "Output", "");
    if (s.output.empty())
        s.output = DefaultOutputFolder();
    return s;
}

MiscSettings LoadMiscSettings(const std::string &path)
{
    const IniFile file = IniFile::Load(path);
    MiscSettings s;
    s.open = file.ReadBool(kMisc, "Open", true);
    s.disSaver = file.ReadBool(kMisc, "DisSaver", true);
    s.shut = file.ReadBool(kMisc, "Shut", false);
    return s;
}

ColorSettings LoadColorSettings(const std::string &path)
{
    const IniFile file = IniFile::Load(path);
    ColorSettings s;
    s.preset = file.ReadInteger(kColor, "preste", 0);
    s.bright = file.ReadInteger(kColor, "bright", 0);
    s.contrast = file.ReadInteger(kColor, "contrast", 0);
    s.hue = file.ReadInteger(kColor, "hue", 0);
    s.saturat = file.ReadInteger(kColor, "saturat", 0);
    s.Clamp();
    return s;
}

std::optional<std::string> SaveMainSettings(const std::string &path, const MainSettings &s,
                                            const WriteFunction &write)
{
    return Update(path, write, [&](IniFile &f) {
        f.WriteInteger(kMainLower, "profile", s.profile);
        f.WriteBool(kMain, "TwoPass", s.twoPass);
        f.WriteBool(kMain, "Single", s.single);
        f.WriteBool(kMain, "Preview", s.preview);
        f.Write(kMain, "Output", s.output);
    });
}

std::optional<std::string> SaveMiscSettings(const std::string &path, const MiscSettings &s,
                                            const WriteFunction &write)
{
    return Update(path, write, [&](IniFile &f) {
        f.WriteBool(kMisc, "Open", s.open);
        f.WriteBool(kMisc, "DisSaver", s.disSaver);
        f.WriteBool(kMisc, "Shut", s.shut);
    });
}

std::optional<std::string> SaveColorSettings(const std::string &path, const ColorSettings &s,
                                             const WriteFunction &write)
{
    return Update(path, write, [&](IniFile &f) {
        f.WriteInteger(kColor, "preste", s.preset);
        f.WriteInteger(kColor, "bright", s.bright);
        f.WriteInteger(kColor, "contrast", s.contrast);
        f.WriteInteger(kColor, "hue", s.hue);
        f.WriteInteger(kColor, "saturat", s.saturat);
    });
}

} // namespace pellavan
