#include "ScreenSaver.h"

namespace pellavan {

ScreenSaverFilter::ScreenSaverFilter(std::unique_ptr<ScreenSaverBus> bus) : m_bus(std::move(bus)) {}

ScreenSaverFilter::~ScreenSaverFilter()
{
    m_running = false;
    Update();
}

void ScreenSaverFilter::SetOption(bool on)
{
    m_option = on;
    Update();
}

void ScreenSaverFilter::SetRunning(bool running)
{
    m_running = running;
    Update();
}

void ScreenSaverFilter::Update()
{
    const bool wanted = m_option && m_running && m_bus;
    if (wanted && !m_cookie) {
        m_cookie = m_bus->Inhibit(); // no bus: nothing to hold, nothing to report
    } else if (!wanted && m_cookie) {
        m_bus->UnInhibit(*m_cookie);
        m_cookie.reset();
    }
}

} // namespace pellavan
