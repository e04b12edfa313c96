// One engine instance as the program holds it: the handle, the wake-up that
// brings the engine's reports to the thread that made this object, the drain
// of those reports, and the plain callback the engine calls for each report.
#pragma once

#include "ConverterEngine.h"

#include <QObject>

#include <cstdint>
#include <functional>

namespace pellavan {

class ConverterInstance {
public:
    // Receives each report of a conversion; its return value goes back to the engine.
    using ReportSink = std::function<uint8_t(int32_t progress, int32_t state)>;

    explicit ConverterInstance(ConverterEngine &engine);
    ~ConverterInstance();   // closes the instance
    ConverterInstance(const ConverterInstance &) = delete;
    ConverterInstance &operator=(const ConverterInstance &) = delete;

    ConverterEngine &Engine() const { return m_engine; }
    DCHandle Handle() const { return m_handle; }

    // Closes the current engine instance and makes a new one, its wake-up
    // registered; 0 when the engine could not make one.
    DCHandle Replace();
    // Clears the wake-up and closes the engine instance, if there is one.
    void Close();
    // Hands every queued report to the sink.  Runs on this object's thread,
    // posted there by the wake-up; callers may also drain directly.
    void DispatchReports();

    void SetReportSink(ReportSink sink) { m_sink = std::move(sink); }

    // The function to give Converter_Convert.  The engine calls it only
    // while an instance drains its reports, so it reaches the sink of the
    // instance draining on this thread; any other call is answered 1.
    static ::ConvertCallback Callback() { return &Trampoline; }

private:
    static uint8_t Trampoline(int32_t progress, int32_t state);

    ConverterEngine &m_engine;
    DCHandle m_handle = 0;
    ReportSink m_sink;
    // The target of the posted drains: a drain still queued when this
    // object goes is dropped with it.
    QObject m_thread;
};

} // namespace pellavan
