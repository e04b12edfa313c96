// SPDX-License-Identifier: GPL-3.0-or-later
// The Color Control dialog: a view of the colour settings the job driver reads.
#pragma once

#include "ColorSettings.h"
#include "SettingsEnvironment.h"

#include <QDialog>

class QComboBox;
class QPushButton;
class QSlider;

class Tfrmcolor : public QDialog {
    Q_OBJECT
public:
    // `settings` outlives the dialog.
    explicit Tfrmcolor(pellavan::SettingsEnvironment &settings, QWidget *parent = nullptr);

    const pellavan::ColorSettings &Settings() const { return m_color; }
    // Used by the loader at start: the preset first, then the four positions.
    void SetSettings(const pellavan::ColorSettings &settings);
    // Stores the preset and the four positions in the settings file.
    void SaveColorSettings();

    QComboBox *vpreset;
    QSlider *vbright;
    QSlider *vcontrast;
    QSlider *vhue;
    QSlider *vsaturat;
    QPushButton *spSkinButton2; // "&OK"

private:
    void vpresetChange(int index);
    void vbrightStartDragButton();
    void SliderChange(QSlider *slider, int &field, int position);
    void spSkinButton2Click();
    void Refresh();

    pellavan::SettingsEnvironment &m_settings;
    pellavan::ColorSettings m_color;
};

