// The engine instance the program holds: its handle's life, the wake-up
// that posts the drain to the owning thread, and the one callback that takes
// each report to the sink of the instance being drained.
#include "ScriptedEngine.h"
#include "engine/ConverterInstance.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

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

TEST(ConverterInstance, TheWakeUpPostsOneDrainToTheOwningThread)
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
    // Two wake-ups posted two drains; the second found the queue empty.
    EXPECT_EQ(r.engine.DispatchCount(), 2);

    // A drain still posted when the instance closes finds nothing to drain.
    r.engine.QueueReport(50, 0);
    r.instance.Close();
    QCoreApplication::processEvents();
    EXPECT_EQ(r.seen.size(), 2u);
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
