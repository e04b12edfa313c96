// The screensaver option: while "Disable screensaver when converting" is on
// and the program runs, hold an inhibition of the desktop's screensaver
// (org.freedesktop.ScreenSaver); release it when the option goes off or the
// program ends.  The bus sits behind a seam so tests need none.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

namespace pellavan {

class ScreenSaverBus {
public:
    virtual ~ScreenSaverBus() = default;
    // The inhibition's cookie; no value when there is no session bus or no
    // screensaver service on it.
    virtual std::optional<uint32_t> Inhibit() = 0;
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
    bool Running() const { return m_running; }
    bool Inhibited() const { return m_cookie.has_value(); }

private:
    void Update();

    std::unique_ptr<ScreenSaverBus> m_bus;
    bool m_option = false;
    bool m_running = false;
    std::optional<uint32_t> m_cookie;
};

} // namespace pellavan
