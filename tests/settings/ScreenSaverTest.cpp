// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ScreenSaver.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pellavan;

namespace {

struct FakeBus final : ScreenSaverBus {
    std::vector<std::string> *log;
    bool available = true;
    uint32_t next = 7;
    explicit FakeBus(std::vector<std::string> *l, bool a = true) : log(l), available(a) {}
    std::optional<uint32_t> Inhibit(const std::string &reason) override
    {
        log->push_back("Inhibit " + reason);
        if (!available)
            return std::nullopt;
        return next++;
    }
    void UnInhibit(uint32_t cookie) override { log->push_back("UnInhibit " + std::to_string(cookie)); }
};

} // namespace

TEST(ScreenSaverFilter, HeldWhileTheOptionIsOnAndTheProgramIsInTheForeground)
{
    std::vector<std::string> log;
    {
        ScreenSaverFilter f(std::make_unique<FakeBus>(&log));
        f.SetActivity("Waiting");
        f.SetOption(true);
        f.SetForeground(true);
        EXPECT_FALSE(f.Inhibited()); // not running yet
        f.SetRunning(true);
        EXPECT_TRUE(f.Inhibited());
        f.SetOption(true); // already held: no second inhibition
        f.SetOption(false);
        EXPECT_FALSE(f.Inhibited());
        f.SetOption(true);
        EXPECT_TRUE(f.Inhibited());
        f.SetForeground(false); // another program's window, or minimised
        EXPECT_FALSE(f.Inhibited());
        f.SetForeground(true);
        EXPECT_TRUE(f.Inhibited());
    } // program end
    EXPECT_EQ(log, (std::vector<std::string>{"Inhibit Waiting", "UnInhibit 7", "Inhibit Waiting", "UnInhibit 8",
                                             "Inhibit Waiting", "UnInhibit 9"}));
}

TEST(ScreenSaverFilter, ReasonFollowsWhatTheProgramDoes)
{
    std::vector<std::string> log;
    {
        ScreenSaverFilter f(std::make_unique<FakeBus>(&log));
        f.SetOption(true);
        f.SetRunning(true);
        f.SetActivity("Showing");   // not held yet: nothing to renew
        f.SetForeground(true);
        f.SetActivity("Converting");   // renewed: new first, then the old one goes
        f.SetActivity("Converting");   // same words: left alone
        f.SetForeground(false);
        f.SetActivity("Paused");   // in the background: nothing held, nothing taken
        EXPECT_FALSE(f.Inhibited());
        f.SetForeground(true);
        EXPECT_EQ(f.Activity(), "Paused");
    }
    EXPECT_EQ(log, (std::vector<std::string>{"Inhibit Showing", "Inhibit Converting", "UnInhibit 7", "UnInhibit 8",
                                             "Inhibit Paused", "UnInhibit 9"}));
}

TEST(ScreenSaverFilter, NoBusMeansNoInhibitionAndNothingToRelease)
{
    std::vector<std::string> log;
    {
        ScreenSaverFilter f(std::make_unique<FakeBus>(&log, false));
        f.SetForeground(true);
        f.SetRunning(true);
        f.SetOption(true);
        EXPECT_FALSE(f.Inhibited());
        f.SetOption(false);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"Inhibit "}));
    ScreenSaverFilter none(nullptr);
    none.SetForeground(true);
    none.SetRunning(true);
    none.SetOption(true);
    EXPECT_FALSE(none.Inhibited());
}

TEST(ScreenSaverFilter, SessionBusThatCannotBeReachedInhibitsNothing)
{
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/pellavan-test-bus");
    int argc = 1;
    char name[] = "test";
    char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    auto bus = CreateSessionScreenSaverBus();
    EXPECT_FALSE(bus->Inhibit("Testing"));
    bus->UnInhibit(1); // harmless without a bus
}
