#include "ConverterInstance.h"

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
    if (m_handle != 0) {
        // May fire on an engine thread, even inside an engine call: only
        // post the drain, explicitly queued.
        m_engine.SetWakeup(m_handle, [this] {
            QMetaObject::invokeMethod(&m_thread, [this] { DispatchReports(); }, Qt::QueuedConnection);
        });
    }
    return m_handle;
}

void ConverterInstance::Close()
{
    if (m_handle == 0)
        return;
    m_engine.SetWakeup(m_handle, nullptr);
    m_engine.CloseConverter(m_handle);
    m_handle = 0;
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
