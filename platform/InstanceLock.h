// The system-wide single-instance guard: an advisory lock (flock) on a file
// named after the guard in the user's runtime folder. The kernel drops the
// lock when the holding process ends, however it ends, so a crash never
// leaves a stale guard behind.
#pragma once

#include <string>

namespace pellavan {

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // true: this process now holds the guard; false: another process holds
    // it (or the lock file could not be opened safely).
    bool Acquire(const std::string &name);
    bool Held() const { return m_fd >= 0; }
    void Release();

    // $XDG_RUNTIME_DIR/<name> when that folder is usable, otherwise a
    // per-user file in the temporary folder.
    static std::string LockFilePath(const std::string &name);

private:
    int m_fd = -1;
};

// The guard's name.
inline constexpr const char *kInstanceGuardName = "Corrimax";

} // namespace pellavan
