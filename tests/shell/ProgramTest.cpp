// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program, started as real processes on the offscreen platform.
#include "platform/InstanceLock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using pellavan::InstanceLock;

namespace {

class Program : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/pellavan-program-XXXXXX";
        m_root = ::mkdtemp(tmpl);
        fs::create_directories(m_root / "home");
        fs::create_directories(m_root / "run");
        fs::permissions(m_root / "run", fs::perms::owner_all);
        ::setenv("XDG_RUNTIME_DIR", (m_root / "run").c_str(), 1);   // this process's view of the guard
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert("QT_QPA_PLATFORM", "offscreen");
        m_env.insert("HOME", QString::fromStdString((m_root / "home").string()));
        m_env.insert("XDG_CONFIG_HOME", QString::fromStdString((m_root / "home" / ".config").string()));
        m_env.insert("XDG_RUNTIME_DIR", QString::fromStdString((m_root / "run").string()));
    }
    void TearDown() override { fs::remove_all(m_root); }

    void Start(QProcess &p)
    {
        p.setProcessEnvironment(m_env);
        p.start(QStringLiteral(PELLAVAN_EXE), {});
        ASSERT_TRUE(p.waitForStarted(10000));
    }
    // true once some process holds the guard (polled from outside).
    static bool GuardHeldWithin(int ms)
    {
        const QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            InstanceLock probe;
            if (probe.Acquire(pellavan::kInstanceGuardName) == pellavan::LockOutcome::HeldByAnother)
                return true;
            probe.Release();
            QThread::msleep(50);
        }
        return false;
    }

    fs::path m_root;
    QProcessEnvironment m_env;
};

} // namespace

TEST_F(Program, SecondStartEndsSilentlyAndAKilledFirstBlocksNothing)
{
    QProcess first;
    Start(first);
    ASSERT_TRUE(GuardHeldWithin(30000));
    ASSERT_EQ(first.state(), QProcess::Running);

    QProcess second;
    Start(second);
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);   // left untouched

    ::kill(pid_t(first.processId()), SIGKILL);
    first.waitForFinished(10000);
    QProcess third;
    Start(third);
    EXPECT_TRUE(GuardHeldWithin(30000));
    EXPECT_EQ(third.state(), QProcess::Running);
    third.kill();
    third.waitForFinished(10000);
}
