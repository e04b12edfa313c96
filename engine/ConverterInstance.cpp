// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterInstance.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

namespace pellavan {

namespace {
thread_local ConverterInstance *t_draining = nullptr;
} // namespace

ConverterInstance::ConverterInstance(ConverterEngine &engine) : m_engine(engine) {}

ConverterInstance::~ConverterInstance() { Close(); }

DCHandle ConverterInstance::Replace()
{
    Close();
    m_handle = m_engine.CreateConverter();
    if (m_handle != 0)
        OpenWakeup();
    return m_handle;
}

void ConverterInstance::Close()
{
    if (m_handle == 0)
        return;
    m_engine.SetWakeup(m_handle, nullptr);
    // No wake-up runs any more, so the counter can go, and with the
    // notifier any drain it still had to make.
    CloseWakeup();
    m_engine.CloseConverter(m_handle);
    m_handle = 0;
}

void ConverterInstance::OpenWakeup()
{
    // Nothing would ever read the counter on a thread without an event loop.
    if (!QAbstractEventDispatcher::instance())
        return;
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_wakeFd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] {
        // Take the count before draining: a wake-up from now on asks for
        // another drain, so no report is left waiting.
        eventfd_t count;
        if (::eventfd_read(m_wakeFd, &count) == 0)
            DispatchReports();
    });
    // May fire on an engine thread, even inside an engine call: only count.
    // A full counter still reads as a wake-up, so a failed write loses none.
    const int fd = m_wakeFd;
    m_engine.SetWakeup(m_handle, [fd] { ::eventfd_write(fd, 1); });
}

void ConverterInstance::CloseWakeup()
{
    m_notifier.reset();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
    m_wakeFd = -1;
}

void ConverterInstance::DispatchReports()
{
    if (m_handle == 0)
        return;
    // Restored on the way out, a throwing sink included; drains may nest.
    struct Draining {
        ConverterInstance *outer = t_draining;
        explicit Draining(ConverterInstance *self) { t_draining = self; }
        ~Draining() { t_draining = outer; }
    } draining(this);
    m_engine.DispatchReports(m_handle);
}

uint8_t ConverterInstance::Trampoline(int32_t progress, int32_t state)
{
    ConverterInstance *const instance = t_draining;
    if (!instance || !instance->m_sink)
        return 1;
    return instance->m_sink(progress, state);
}

} // namespace pellavan
