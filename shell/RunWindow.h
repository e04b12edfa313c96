// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a conversion run sees it: which of its controls show
// what, where the settings of a job are read, and the completion options.
#pragma once

#include "run/ConversionRun.h"

#include <memory>

class Tfrmmain;

namespace pellavan {

struct ProgramWindows;

class RunWindow final : public RunView {
public:
    // `power`: null for logind over the system bus.
    RunWindow(ProgramWindows &windows, DiscCatalogue &disc, PowerControl *power);
    ~RunWindow() override;

    ConversionRun &Run() { return m_run; }

    // The settings of the dialogs and the main window at this moment.
    JobSettings ReadJobSettings() const;

    void SetStatus(const std::string &text) override;
    void SetStatusHint(const std::string &text) override;
    void SetProgress(int percent) override;
    void SetProgressText(const std::string &text) override;
    void SetSpeed(const std::string &text) override;
    void SetElapsed(const std::string &text) override;
    bool TimerEnabled() const override;
    void SetTimerEnabled(bool on) override;
    bool ShowChecked() const override;
    void ShowPreview(PicturePtr picture) override;
    void ShowIdlePicture() override;
    std::string SaveCapture(const std::string &path, int width, int height) override;
    void ShowError(const std::string &text) override;
    void ShowMessage(const std::string &text) override;
    void SetCaptureEnabled(bool on) override;
    void EnterConvertingState() override;
    void EnterPausedState() override;
    void LeaveConvertingState() override;
    bool OpenFolderWhenDone() const override;
    bool ShutdownWhenDone() const override;
    void ClearShutdownWhenDone() override;
    void OpenOutputFolder() override;

private:
    ProgramWindows &m_windows;
    Tfrmmain &m_w;
    std::unique_ptr<PowerControl> m_ownPower;
    ConversionRun m_run;
};

} // namespace pellavan
