// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/InstanceLock.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using pellavan::InstanceLock;
using pellavan::kInstanceGuardName;

namespace {

class InstanceGuard : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/pellavan-runtime-XXXXXX";
        m_dir = ::mkdtemp(tmpl);
        ::setenv("XDG_RUNTIME_DIR", m_dir.c_str(), 1);   // children inherit it
        ::setenv("XDG_CACHE_HOME", (m_dir + "/cache").c_str(), 1);   // never the real home
    }
    void TearDown() override
    {
        ::unsetenv("TMPDIR");
        fs::remove_all(m_dir);
    }

    static int RunProbe(const char *mode)
    {
        const std::string cmd = std::string(INSTANCE_PROBE) + " " + mode;
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Starts a probe that holds the guard; returns once it holds it.
    static pid_t StartHolder()
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return -1;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(fds[1], STDOUT_FILENO);
            ::close(fds[0]);
            ::close(fds[1]);
            ::execl(INSTANCE_PROBE, INSTANCE_PROBE, "hold", static_cast<char *>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        char buf[8] = {};
        const ssize_t n = ::read(fds[0], buf, sizeof buf - 1);
        ::close(fds[0]);
        return n > 0 && std::string(buf).rfind("held", 0) == 0 ? pid : -1;
    }

    std::string m_dir;
};

} // namespace

TEST_F(InstanceGuard, SecondProcessIsRefusedWhileTheFirstRuns)
{
    InstanceLock first;
    ASSERT_EQ(first.Acquire(kInstanceGuardName), pellavan::LockOutcome::Taken);
    EXPECT_EQ(InstanceLock::LockFilePath(kInstanceGuardName), m_dir + "/Corrimax");
    EXPECT_EQ(RunProbe("try"), 3);
    EXPECT_TRUE(first.Held());   // the refused start leaves the first untouched
    EXPECT_EQ(RunProbe("try"), 3);
    first.Release();
    EXPECT_EQ(RunProbe("try"), 0);
}

TEST_F(InstanceGuard, KilledHolderDoesNotBlockTheNextStart)
{
    const pid_t holder = StartHolder();
    ASSERT_GT(holder, 0);
    InstanceLock next;
    EXPECT_EQ(next.Acquire(kInstanceGuardName), pellavan::LockOutcome::HeldByAnother);
    ::kill(holder, SIGKILL);
    int status = 0;
    ::waitpid(holder, &status, 0);
    // The lock file is still there, but no longer locked.
    EXPECT_TRUE(fs::exists(m_dir + "/Corrimax"));
    EXPECT_EQ(next.Acquire(kInstanceGuardName), pellavan::LockOutcome::Taken);
}

// A shared temporary folder may hold a link or another user's file under our
// name: that place is passed over for the per-user one, never followed, and
// a second start still finds the first there.
TEST_F(InstanceGuard, UnusablePlacesFallBackToThePerUserFolder)
{
    ::setenv("XDG_RUNTIME_DIR", "relative/not/usable", 1);
    ::setenv("TMPDIR", m_dir.c_str(), 1);
    const std::string shared = m_dir + "/Corrimax-" + std::to_string(::getuid());
    const std::string own = m_dir + "/cache/pellavan/Corrimax";
    EXPECT_EQ(InstanceLock::LockFilePlaces(kInstanceGuardName), (std::vector<std::string>{shared, own}));

    fs::create_symlink(m_dir + "/elsewhere", shared);
    InstanceLock lock;
    ASSERT_EQ(lock.Acquire(kInstanceGuardName), pellavan::LockOutcome::Taken);
    EXPECT_EQ(lock.HeldPath(), own);
    EXPECT_FALSE(fs::exists(m_dir + "/elsewhere"));   // the link was not followed
    EXPECT_EQ(RunProbe("try"), 3);
    lock.Release();
    EXPECT_EQ(RunProbe("try"), 0);

    // Another user's file (only root can leave one here for the test).
    fs::remove(shared);
    { std::FILE *f = std::fopen(shared.c_str(), "w"); ASSERT_NE(f, nullptr); std::fclose(f); }
    if (::getuid() == 0 && ::chown(shared.c_str(), 65534, 65534) == 0) {
        ASSERT_EQ(lock.Acquire(kInstanceGuardName), pellavan::LockOutcome::Taken);
        EXPECT_EQ(lock.HeldPath(), own);
        lock.Release();
    }
    fs::remove(shared);
    ASSERT_EQ(lock.Acquire(kInstanceGuardName), pellavan::LockOutcome::Taken);
    EXPECT_EQ(lock.HeldPath(), shared);   // the first usable place wins again
}

TEST_F(InstanceGuard, NoUsablePlaceIsToldApartFromAnotherInstance)
{
    ::setenv("XDG_RUNTIME_DIR", "relative/not/usable", 1);
    ::setenv("TMPDIR", m_dir.c_str(), 1);
    fs::create_symlink(m_dir + "/elsewhere", m_dir + "/Corrimax-" + std::to_string(::getuid()));
    { std::FILE *f = std::fopen((m_dir + "/file").c_str(), "w"); ASSERT_NE(f, nullptr); std::fclose(f); }
    ::setenv("XDG_CACHE_HOME", (m_dir + "/file/below").c_str(), 1);   // a folder cannot be made there

    InstanceLock lock;
    EXPECT_EQ(lock.Acquire(kInstanceGuardName), pellavan::LockOutcome::NoPlace);
    EXPECT_FALSE(lock.Held());
    EXPECT_EQ(RunProbe("try"), 4);

    const std::string text = pellavan::NoLockPlaceText(InstanceLock::LockFilePlaces(kInstanceGuardName));
    EXPECT_NE(text.find("cannot tell whether it is already running"), std::string::npos);
    EXPECT_NE(text.find(m_dir + "/file/below/pellavan/Corrimax"), std::string::npos);
    EXPECT_NE(text.find("It starts anyway"), std::string::npos);
}
