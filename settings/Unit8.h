// The Color Control dialog: a view of the colour settings the job driver reads.
#pragma once

#include "ColorSettings.h"

#include <QDialog>

class QComboBox;
class QPushButton;
class QSlider;

class Tfrmcolor : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmcolor(QWidget *parent = nullptr);

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

    pellavan::ColorSettings m_color;
};

extern Tfrmcolor *frmcolor;
