// SPDX-License-Identifier: GPL-3.0-or-later
// The system-wide single-instance guard: an advisory lock (flock) on a file
// named after the guard. The kernel drops the lock when the holding process
// ends, however it ends, so a crash never leaves a stale guard behind.
#pragma once

#include <string>
#include <vector>

namespace pellavan {

enum class LockOutcome {
    Taken,           // this process now holds the guard
    HeldByAnother,   // another process holds it: this start should end
    NoPlace,         // no place could hold a lock file: nothing is guarded
};

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // Tries the places of LockFilePlaces in order. Only a lock that another
    // process holds ends the search; a place that cannot be used (a file of
    // another user, a planted link, a folder that cannot be written) passes
    // on to the next.
    LockOutcome Acquire(const std::string &name);
    bool Held() const { return m_fd >= 0; }
    // The file locked, "" when none is.
    const std::string &HeldPath() const { return m_path; }
    void Release();

    // Where the lock file may lie, in the order tried: $XDG_RUNTIME_DIR/<name>
    // when that folder is usable, a per-user file in the temporary folder,
    // then <name> in the per-user cache folder ($XDG_CACHE_HOME or ~/.cache,
    // under "pellavan/").
    static std::vector<std::string> LockFilePlaces(const std::string &name);
    // The first of them.
    static std::string LockFilePath(const std::string &name);

private:
    enum class Try { Taken, Busy, Unusable };
    Try TryPlace(const std::string &path);

    int m_fd = -1;
    std::string m_path;
};

// The guard's name.
inline constexpr const char *kInstanceGuardName = "Corrimax";

// The words shown when no place could hold the guard and the program starts
// unguarded.
std::string NoLockPlaceText(const std::vector<std::string> &places);

} // namespace pellavan
