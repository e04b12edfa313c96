// SPDX-License-Identifier: GPL-3.0-or-later
// One engine instance as the program holds it: the handle, the wake-up that
// brings the engine's reports to the thread that made this object, the drain
// of those reports, and the plain callback the engine calls for each report.
// An instance replaced while it still finishes files stays open, drained
// with the current one, until its last file is whole.
#pragma once

#include "ConverterEngine.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

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

    // Closes the current engine instance (once its files are finished) and
    // makes a new one, its wake-up registered; 0 when the engine could not
    // make one.  Replace and Close run on the thread that made this object.
    DCHandle Replace();
    // Clears the wake-ups and closes the engine instances, the replaced
    // ones too; it waits until their files are finished.  A drain the
    // wake-up asked for and that has not run yet is dropped.
    void Close();
    // Files closed and still being finished, by this instance and those it replaced.
    int FilesFinishing() const;
    // Hands every queued report to the sink.  Runs on this object's thread
    // when its event loop sees a wake-up (wake-ups that come before it gets
    // there make one drain); callers may also drain directly, and must on a
    // thread with no event dispatcher, where no wake-up is registered.
    void DispatchReports();

    void SetReportSink(ReportSink sink) { m_sink = std::move(sink); }
    // Receives each finished file: its path, and "" when it is whole, else why not.
    void SetFileSink(ConverterEngine::FileDone sink) { m_fileSink = std::move(sink); }

    // The function to give Converter_Convert.  The engine calls it only
    // while an instance drains its reports, so it reaches the sink of the
    // instance draining on this thread; any other call is answered 1.
    static ::ConvertCallback Callback() { return &Trampoline; }

private:
    static uint8_t Trampoline(int32_t progress, int32_t state);

    void OpenWakeup();
    void CloseWakeup();
    void Register(DCHandle h);
    void CloseHandle(DCHandle h);
    void CloseFinishedRetirees();

    ConverterEngine &m_engine;
    DCHandle m_handle = 0;
    std::vector<DCHandle> m_retiring;   // replaced, still finishing files
    ReportSink m_sink;
    ConverterEngine::FileDone m_fileSink;
    // The wake-up only adds to this counter; the notifier, on this object's
    // thread, reads it and drains.  The write and the read order the engine
    // thread's work before the drain where race checkers see it, which a
    // call queued through Qt's event loop does not.  Both serve every
    // handle, until Close.
    int m_wakeFd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace pellavan
