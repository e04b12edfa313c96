// SPDX-License-Identifier: GPL-3.0-or-later
// The engine instance the program holds: its handle's life, the wake-up
// that asks the owning thread for a drain, and the one callback that takes
// each report to the sink of the instance being drained.
#include "ScriptedEngine.h"
#include "engine/ConverterInstance.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <utility>
#include <vector>

using namespace pellavan;
using namespace pellavan::testing;

namespace {

using Reports = std::vector<std::pair<int32_t, int32_t>>;

struct Recorded {
    ScriptedEngine engine;
    ConverterInstance instance{engine};
    Reports seen;

    Recorded()
    {
        instance.SetReportSink([this](int32_t p, int32_t s) {
            seen.emplace_back(p, s);
            return uint8_t(1);
        });
    }
    void Start()
    {
        instance.Replace();
        ASSERT_TRUE(engine.Converter_Convert(instance.Handle(), "/out/a.wmv", ConverterInstance::Callback()));
    }
};

} // namespace

TEST(ConverterInstance, ReplaceClosesTheOldInstanceAndCloseAndTheEndCloseTheLast)
{
    ScriptedEngine engine;
    {
        ConverterInstance instance(engine);
        EXPECT_EQ(instance.Handle(), 0u);
        instance.Close();   // nothing to close yet
        EXPECT_EQ(instance.Replace(), 1u);
        EXPECT_EQ(instance.Replace(), 2u);
        EXPECT_EQ(engine.OpenHandles(), std::vector<DCHandle>{2});
        instance.Close();
        EXPECT_EQ(instance.Handle(), 0u);
        EXPECT_TRUE(engine.OpenHandles().empty());
        instance.Replace();
    }
    EXPECT_TRUE(engine.OpenHandles().empty());
    EXPECT_EQ(engine.CallsNamed("CloseConverter").size(), 3u);
}

TEST(ConverterInstance, TheWakeUpAsksTheOwningThreadForADrain)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    Recorded r;
    r.Start();
    r.engine.QueueReport(40, 0);
    r.engine.QueueReport(100, 1);
    // Nothing runs inside the wake-up itself: the engine may call it while
    // it holds its own locks.
    EXPECT_TRUE(r.seen.empty());
    EXPECT_EQ(r.engine.DispatchCount(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(r.seen, (Reports{{40, 0}, {100, 1}}));
    // Both wake-ups came before the thread ran its events: one drain took
    // both reports, and a second look finds nothing more asked for.
    EXPECT_EQ(r.engine.DispatchCount(), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(r.engine.DispatchCount(), 1);

    // A wake-up after the drain asks for a new one.
    r.engine.QueueReport(70, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(r.seen, (Reports{{40, 0}, {100, 1}, {70, 0}}));
    EXPECT_EQ(r.engine.DispatchCount(), 2);

    // A drain still asked for when the instance closes never runs.
    r.engine.QueueReport(50, 0);
    r.instance.Close();
    QCoreApplication::processEvents();
    EXPECT_EQ(r.seen.size(), 3u);
    EXPECT_EQ(r.engine.DispatchCount(), 2);
}

TEST(ConverterInstance, AWakeUpRightAfterADrainEmptiedTheQueueIsNotLost)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    Recorded r;
    r.Start();
    bool queueOnce = true;
    r.engine.onDrained = [&] {
        if (std::exchange(queueOnce, false))
            r.engine.QueueReport(20, 0);
    };
    r.engine.QueueReport(10, 0);
    for (int round = 0; round < 5 && r.seen.size() < 2; ++round)
        QCoreApplication::processEvents();
    EXPECT_EQ(r.seen, (Reports{{10, 0}, {20, 0}}));
}

// The engine wakes the instance from its own threads.  Between a wake-up and
// the drain it asks for, this thread takes no lock the engine thread holds:
// only the hand-over itself may order the engine's work before the drain.
TEST(ConverterInstance, WakeUpsFromAnEngineThreadBringEveryReportInOrder)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    Recorded r;
    const std::thread::id owner = std::this_thread::get_id();
    bool elsewhere = false;
    r.instance.SetReportSink([&](int32_t p, int32_t s) {
        elsewhere = elsewhere || std::this_thread::get_id() != owner;
        r.seen.emplace_back(p, s);
        return uint8_t(1);
    });
    r.Start();
    constexpr int32_t kReports = 2000;
    std::thread engineThread([&r] {
        for (int32_t i = 0; i < kReports; ++i)
            r.engine.QueueReport(i, 0);
    });
    // A bound against a lost wake-up, not a speed target.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (r.seen.size() < size_t(kReports) && std::chrono::steady_clock::now() < giveUp)
        QCoreApplication::processEvents();
    engineThread.join();
    Reports expected;
    for (int32_t i = 0; i < kReports; ++i)
        expected.emplace_back(i, 0);
    EXPECT_EQ(r.seen, expected);
    EXPECT_FALSE(elsewhere);
}

TEST(ConverterInstance, ASinkThatRunsTheEventLoopGetsTheNextDrainInsideItsOwn)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    Recorded r;
    std::vector<int> depths;
    int depth = 0;
    r.instance.SetReportSink([&](int32_t p, int32_t s) {
        ++depth;
        depths.push_back(depth);
        r.seen.emplace_back(p, s);
        if (p == 10) {
            // As a message box does while the engine goes on reporting.
            r.engine.QueueReport(20, 0);
            QCoreApplication::processEvents();
        }
        --depth;
        return uint8_t(1);
    });
    r.Start();
    r.engine.QueueReport(10, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(r.seen, (Reports{{10, 0}, {20, 0}}));
    EXPECT_EQ(depths, (std::vector<int>{1, 2}));
    EXPECT_EQ(r.engine.DispatchCount(), 2);
}

TEST(ConverterInstance, ASinkMayCloseTheInstanceInADrainTheWakeUpAskedFor)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    Recorded r;
    r.instance.SetReportSink([&](int32_t p, int32_t s) {
        r.seen.emplace_back(p, s);
        r.instance.Close();
        return uint8_t(1);
    });
    r.Start();
    r.engine.QueueReport(10, 0);
    r.engine.QueueReport(20, 0);
    QCoreApplication::processEvents();
    // The close dropped the report after the first one.
    EXPECT_EQ(r.seen, (Reports{{10, 0}}));
    EXPECT_EQ(r.instance.Handle(), 0u);
    EXPECT_TRUE(r.engine.OpenHandles().empty());
    r.instance.Replace();
    r.engine.QueueReport(30, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(r.seen, (Reports{{10, 0}, {30, 0}}));
}

TEST(ConverterInstance, EachReportReachesTheSinkOfTheInstanceBeingDrained)
{
    Recorded a, b;
    a.Start();
    b.Start();
    a.engine.QueueReport(10, 0);
    b.engine.QueueReport(20, 0);
    b.instance.DispatchReports();
    EXPECT_TRUE(a.seen.empty());
    EXPECT_EQ(b.seen, (Reports{{20, 0}}));
    a.instance.DispatchReports();
    EXPECT_EQ(a.seen, (Reports{{10, 0}}));

    // Outside a drain the callback reaches no sink and lets the engine go on.
    EXPECT_EQ(ConverterInstance::Callback()(30, 0), 1);
    EXPECT_EQ(a.seen.size(), 1u);
    EXPECT_EQ(b.seen.size(), 1u);
}
