// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenSaver.h"

namespace pellavan {

ScreenSaverFilter::ScreenSaverFilter(std::unique_ptr<ScreenSaverBus> bus) : m_bus(std::move(bus)) {}

ScreenSaverFilter::~ScreenSaverFilter() { Release(); }

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

void ScreenSaverFilter::SetForeground(bool foreground)
{
    m_foreground = foreground;
    Update();
}

void ScreenSaverFilter::SetActivity(const std::string &reason)
{
    if (reason == m_reason)
        return;
    m_reason = reason;
    if (!m_cookie)
        return;
    const uint32_t old = *m_cookie;
    m_cookie = m_bus->Inhibit(m_reason);
    m_bus->UnInhibit(old);
}

void ScreenSaverFilter::ReplaceBus(std::unique_ptr<ScreenSaverBus> bus)
{
    Release();
    m_bus = std::move(bus);
    Update();
}

void ScreenSaverFilter::Release()
{
    if (m_cookie) {
        m_bus->UnInhibit(*m_cookie);
        m_cookie.reset();
    }
}

void ScreenSaverFilter::Update()
{
    const bool wanted = m_option && m_running && m_foreground && m_bus;
    if (wanted && !m_cookie)
        m_cookie = m_bus->Inhibit(m_reason);   // no bus: nothing to hold, nothing to report
    else if (!wanted)
        Release();
}

} // namespace pellavan
