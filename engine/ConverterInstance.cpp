// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterInstance.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>

namespace pellavan {

namespace {
thread_local ConverterInstance *t_draining = nullptr;
} // namespace

ConverterInstance::ConverterInstance(ConverterEngine &engine) : m_engine(engine) {}

ConverterInstance::~ConverterInstance() { Close(); }

DCHandle ConverterInstance::Replace()
{
    // A file being finished keeps its instance open until it is whole.
    if (m_handle != 0 && m_engine.FilesFinishing(m_handle) > 0)
        m_retiring.push_back(std::exchange(m_handle, 0));
    else
        CloseHandle(std::exchange(m_handle, 0));
    m_handle = m_engine.CreateConverter();
    if (m_handle != 0)
        Register(m_handle);
    return m_handle;
}

void ConverterInstance::Close()
{
    for (DCHandle h : std::exchange(m_retiring, {}))
        CloseHandle(h);
    CloseHandle(std::exchange(m_handle, 0));
    // No wake-up runs any more, so the counter can go, and with the
    // notifier any drain it still had to make.
    CloseWakeup();
}

int ConverterInstance::FilesFinishing() const
{
    int n = m_handle != 0 ? m_engine.FilesFinishing(m_handle) : 0;
    for (DCHandle h : m_retiring)
        n += m_engine.FilesFinishing(h);
    return n;
}

void ConverterInstance::Register(DCHandle h)
{
    OpenWakeup();
    if (m_wakeFd >= 0) {
        // May fire on an engine thread, even inside an engine call: only count.
        // A full counter still reads as a wake-up, so a failed write loses none.
        const int fd = m_wakeFd;
        m_engine.SetWakeup(h, [fd] { ::eventfd_write(fd, 1); });
    }
    m_engine.SetFileDone(h, [this](const std::string &path, const std::string &error) {
        if (m_fileSink)
            m_fileSink(path, error);
    });
}

void ConverterInstance::CloseHandle(DCHandle h)
{
    if (h == 0)
        return;
    m_engine.SetWakeup(h, nullptr);
    m_engine.SetFileDone(h, nullptr);
    m_engine.CloseConverter(h);   // waits for files still being finished
}

void ConverterInstance::OpenWakeup()
{
    // Nothing would ever read the counter on a thread without an event loop.
    if (m_wakeFd >= 0 || !QAbstractEventDispatcher::instance())
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
    // Restored on the way out, a throwing sink included; drains may nest.
    struct Draining {
        ConverterInstance *outer = t_draining;
        explicit Draining(ConverterInstance *self) { t_draining = self; }
        ~Draining() { t_draining = outer; }
    } draining(this);
    for (DCHandle h : std::vector<DCHandle>(m_retiring))
        m_engine.DispatchReports(h);
    if (m_handle != 0)
        m_engine.DispatchReports(m_handle);
    // Not inside another drain, which may be delivering that instance's reports.
    if (!draining.outer)
        CloseFinishedRetirees();
}

void ConverterInstance::CloseFinishedRetirees()
{
    std::vector<DCHandle> done;
    std::erase_if(m_retiring, [&](DCHandle h) {
        const bool whole = m_engine.FilesFinishing(h) == 0;
        if (whole)
            done.push_back(h);
        return whole;
    });
    // The last file's report is queued by now: delivered before the close.
    for (DCHandle h : done) {
        m_engine.DispatchReports(h);
        CloseHandle(h);
    }
}

uint8_t ConverterInstance::Trampoline(int32_t progress, int32_t state)
{
    ConverterInstance *const instance = t_draining;
    if (!instance || !instance->m_sink)
        return 1;
    return instance->m_sink(progress, state);
}

} // namespace pellavan
