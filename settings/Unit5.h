// SPDX-License-Identifier: GPL-3.0-or-later
// The Misc Settings dialog: its three check boxes are the live options, and
// "Disable screensaver when converting" drives the screensaver inhibition.
#pragma once

#include "SettingsEnvironment.h"
#include "SettingsStore.h"
#include "platform/ScreenSaver.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QPushButton;

class TForm5 : public QDialog {
    Q_OBJECT
public:
    // `settings` outlives the dialog.
    explicit TForm5(pellavan::SettingsEnvironment &settings, QWidget *parent = nullptr);

    pellavan::MiscSettings Settings() const;
    void SetSettings(const pellavan::MiscSettings &settings);
    void SaveMiscSettings();
    void DefaultClick();

    pellavan::ScreenSaverFilter &ScreenSaver() { return *m_screenSaver; }
    // Replaces the bus (tests use one without D-Bus); the state carries over.
    void UseScreenSaverBus(std::unique_ptr<pellavan::ScreenSaverBus> bus);

    QCheckBox *copen;
    QCheckBox *cdis;
    QCheckBox *cshut;
    QPushButton *btndefault;
    QPushButton *btnok;

signals:
    // "Default" pressed: the main window turns "Show" on and sets the output
    // folder to MiscDefaultOutputFolder(), before the Misc keys are stored.
    void DefaultsChosen();

private:
    void btnokClick();

    pellavan::SettingsEnvironment &m_settings;
    std::unique_ptr<pellavan::ScreenSaverFilter> m_screenSaver;
};

