// SPDX-License-Identifier: GPL-3.0-or-later
// The Advanced Settings dialog: a view of an AdvSettings object, which holds
// the values the job driver reads.
#pragma once

#include "AdvSettings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

class Tfrmadv : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmadv(QWidget *parent = nullptr);

    const pellavan::AdvSettings &Settings() const { return m_adv; }

    // Refills the profile lists and selects profile p's defaults.
    void ApplyProfile(int profile);

    // Lookups for a job, keyed by the profile box's index.
    std::optional<int> GetVideoBitrate(int profile) const { return m_adv.GetVideoBitrate(profile); }
    std::optional<int> GetAudioBitrate(int profile) const { return m_adv.GetAudioBitrate(profile); }
    std::optional<pellavan::FrameRate> GetFrameRate(int profile) const { return m_adv.GetFrameRate(profile); }
    std::optional<pellavan::FrameSize> GetFrameSize(int profile) const { return m_adv.GetFrameSize(profile); }
    std::optional<int> GetSampleRate() const { return m_adv.GetSampleRate(); }

    // Group "Video"
    QComboBox *cvbitrate;
    QComboBox *cvfrate;
    QComboBox *cangle;
    QComboBox *sizecom;
    QSlider *TVquality;
    QLabel *lquality;
    QComboBox *formatcom;
    QCheckBox *caspect;
    QCheckBox *cde;
    // Group "Audio"
    QComboBox *cabitrate;
    QComboBox *casamlerate;
    QSlider *tavolume;
    QLabel *lvolume;
    QCheckBox *chead;
    QCheckBox *cdelay;
    QSpinBox *etime;
    QPushButton *btnok;

    // The close box closes with OK as well: changes are in force at once.
    void reject() override { accept(); }

private:
    void TVqualityChange(int position);
    void tavolumeChange(int position);
    void cheadClick(bool on);
    void cdelayClick(bool on);
    // Shows the object's state in the controls.
    void Refresh();

    pellavan::AdvSettings m_adv;
};
