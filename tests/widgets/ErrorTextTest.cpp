// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/ErrorText.h"

#include <gtest/gtest.h>

using pellavan::ErrorBoxText;

TEST(ErrorBoxText, AppendsFullStopAfterCharactersSortingAfterIt)
{
    EXPECT_EQ(ErrorBoxText("Cannot create /home/u/Documents/Varnock/quintar/"), "Cannot create /home/u/Documents/Varnock/quintar/.");
    EXPECT_EQ(ErrorBoxText("disk full"), "disk full.");
    EXPECT_EQ(ErrorBoxText("code 7"), "code 7.");
    EXPECT_EQ(ErrorBoxText("C:\\"), "C:\\.");
}

TEST(ErrorBoxText, KeepsTextsEndingAtOrBeforeFullStop)
{
    EXPECT_EQ(ErrorBoxText("Function HTMLHELP cannot loaded!"), "Function HTMLHELP cannot loaded!");
    EXPECT_EQ(ErrorBoxText("done."), "done.");
    EXPECT_EQ(ErrorBoxText("a, b,"), "a, b,");
    EXPECT_EQ(ErrorBoxText(""), "");
}
