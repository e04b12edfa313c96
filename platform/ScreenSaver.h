// SPDX-License-Identifier: GPL-3.0-or-later
// The screensaver option: while "Disable screensaver when converting" is on
// and one of the program's windows is the active one, hold an inhibition of
// the desktop's screensaver (org.freedesktop.ScreenSaver) whose reason says
// what the program is doing; release it when the option goes off, the
// program goes to the background or is minimised, or ends. The bus sits
// behind a seam so tests need none.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace pellavan {

class ScreenSaverBus {
public:
    virtual ~ScreenSaverBus() = default;
    // The inhibition's cookie; no value when there is no session bus or no
    // screensaver service on it.
    virtual std::optional<uint32_t> Inhibit(const std::string &reason) = 0;
    virtual void UnInhibit(uint32_t cookie) = 0;
};

// org.freedesktop.ScreenSaver on the session bus (in the windowed library).
std::unique_ptr<ScreenSaverBus> CreateSessionScreenSaverBus();

class ScreenSaverFilter {
public:
    explicit ScreenSaverFilter(std::unique_ptr<ScreenSaverBus> bus);
    ~ScreenSaverFilter();
    ScreenSaverFilter(const ScreenSaverFilter &) = delete;
    ScreenSaverFilter &operator=(const ScreenSaverFilter &) = delete;

    // The "DisSaver" option (cdis).
    void SetOption(bool on);
    // From the main window's first showing to the program's end.
    void SetRunning(bool running);
    // One of the program's windows is active (not in the background, not
    // minimised).
    void SetForeground(bool foreground);
    // What the program is doing, the inhibition's reason. A held inhibition
    // is renewed with the new words (the new one taken before the old one
    // goes, so the screensaver never slips in between).
    void SetActivity(const std::string &reason);
    // Swaps the bus: what the old one held is released, the state carries over.
    void ReplaceBus(std::unique_ptr<ScreenSaverBus> bus);

    bool Running() const { return m_running; }
    bool Inhibited() const { return m_cookie.has_value(); }
    const std::string &Activity() const { return m_reason; }

private:
    void Update();
    void Release();

    std::unique_ptr<ScreenSaverBus> m_bus;
    bool m_option = false;
    bool m_running = false;
    bool m_foreground = false;
    std::string m_reason;   // the window sets it with its first state
    std::optional<uint32_t> m_cookie;
};

} // namespace pellavan
