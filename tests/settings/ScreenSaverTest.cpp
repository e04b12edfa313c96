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
    std::optional<uint32_t> Inhibit() override
    {
        log->push_back("Inhibit");
        if (!available)
            return std::nullopt;
        return next++;
    }
    void UnInhibit(uint32_t cookie) override { log->push_back("UnInhibit " + std::to_string(cookie)); }
};

} // namespace

TEST(ScreenSaverFilter, HeldWhileTheOptionIsOnAndTheProgramRuns)
{
    std::vector<std::string> log;
    {
        ScreenSaverFilter f(std::make_unique<FakeBus>(&log));
        f.SetOption(true);
        EXPECT_FALSE(f.Inhibited()); // not running yet
        f.SetRunning(true);
        EXPECT_TRUE(f.Inhibited());
        f.SetOption(true); // already held: no second inhibition
        f.SetOption(false);
        EXPECT_FALSE(f.Inhibited());
        f.SetOption(true);
        EXPECT_TRUE(f.Inhibited());
    } // program end
    EXPECT_EQ(log, (std::vector<std::string>{"Inhibit", "UnInhibit 7", "Inhibit", "UnInhibit 8"}));
}

TEST(ScreenSaverFilter, NoBusMeansNoInhibitionAndNothingToRelease)
{
    std::vector<std::string> log;
    {
        ScreenSaverFilter f(std::make_unique<FakeBus>(&log, false));
        f.SetRunning(true);
        f.SetOption(true);
        EXPECT_FALSE(f.Inhibited());
        f.SetOption(false);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"Inhibit"}));
    ScreenSaverFilter none(nullptr);
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
    EXPECT_FALSE(bus->Inhibit());
    bus->UnInhibit(1); // harmless without a bus
}
