// SPDX-License-Identifier: GPL-3.0-or-later
// A disc loaded into the recording engine, with helpers to pick the checked
// nodes and the settings a job reads.
#pragma once

#include "ScriptedEngine.h"
#include "catalogue/Catalogue.h"
#include "run/JobSetup.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace pellavan::testing {

struct RunDisc {
    ScriptedEngine engine;
    ConverterInstance instance{engine};
    DiscCatalogue disc;

    void Load(std::vector<ScriptedTitle> titles, const std::string &name = "MOVIE")
    {
        engine.script.titles = std::move(titles);
        ASSERT_TRUE(LoadDisc(instance, disc, "/media/dvd", name));
        engine.ClearCalls();
    }
    DCHandle handle() const { return instance.Handle(); }
    TreeNode &Title(int i) const { return *disc.tree.DiscNode()->children.at(size_t(i)); }
    // The chapter node at `position` among the title's chapter nodes.
    TreeNode &Chapter(int title, int position) const
    {
        int seen = 0;
        for (auto &c : Title(title).children)
            if (c->IsChapter() && seen++ == position)
                return *c;
        throw std::out_of_range("no such chapter node");
    }
    TreeNode &Group(int title, int image) const
    {
        for (auto &c : Title(title).children)
            if (c->imageIndex == image)
                return *c;
        throw std::out_of_range("no such group");
    }
    // Unchecks every title and chapter, then checks the given ones (a title
    // with all its chapters, as a click on it does).
    void CheckOnly(std::initializer_list<TreeNode *> nodes)
    {
        for (TreeNode *n : disc.tree.Nodes())
            if (n->level == LevelTitle || n->IsChapter())
                disc.tree.SetState(*n, StateUnchecked);
        for (TreeNode *n : nodes) {
            disc.tree.SetState(*n, StateChecked);
            if (n->level == LevelTitle)
                ApplyTitleStateToChapters(disc.tree, *n);
        }
    }
    // Checks one stream node of its group and unchecks the others.
    void ChooseStream(TreeNode &stream)
    {
        for (auto &s : stream.parent->children)
            disc.tree.SetState(*s, s.get() == &stream ? StateChecked : StateUnchecked);
    }
};

// Profile `p` applied as the profile box does, output to "/out/".
inline JobSettings SettingsFor(int profile)
{
    JobSettings s;
    s.profile = profile;
    s.adv.ApplyProfile(profile);
    s.outputFolder = "/out/";
    return s;
}

// Profile numbers by what they give.
constexpr int kWmv320 = 3;   // WMV, 320*240, 30 fps, 640 + 32 kbps, 44100 Hz
constexpr int kH264 = 5;     // H264(MP4), 640*480, 29.97 fps, 1500 + 96 kbps, 44100 Hz
constexpr int kXvid = 2;     // Xvid(MP4)

} // namespace pellavan::testing
