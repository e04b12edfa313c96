#include "platform/InstanceLock.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
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
    }
    void TearDown() override { fs::remove_all(m_dir); }

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
    ASSERT_TRUE(first.Acquire(kInstanceGuardName));
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
    EXPECT_FALSE(next.Acquire(kInstanceGuardName));
    ::kill(holder, SIGKILL);
    int status = 0;
    ::waitpid(holder, &status, 0);
    // The lock file is still there, but no longer locked.
    EXPECT_TRUE(fs::exists(m_dir + "/Corrimax"));
    EXPECT_TRUE(next.Acquire(kInstanceGuardName));
}

TEST_F(InstanceGuard, FallbackFolderRefusesPlantedLinks)
{
    ::setenv("XDG_RUNTIME_DIR", "relative/not/usable", 1);
    ::setenv("TMPDIR", m_dir.c_str(), 1);
    const std::string path = InstanceLock::LockFilePath(kInstanceGuardName);
    EXPECT_EQ(path, m_dir + "/Corrimax-" + std::to_string(::getuid()));
    fs::create_symlink(m_dir + "/elsewhere", path);
    InstanceLock lock;
    EXPECT_FALSE(lock.Acquire(kInstanceGuardName));
    EXPECT_FALSE(fs::exists(m_dir + "/elsewhere"));
    fs::remove(path);
    EXPECT_TRUE(lock.Acquire(kInstanceGuardName));
}
