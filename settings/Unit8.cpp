// SPDX-License-Identifier: GPL-3.0-or-later
#include "Unit8.h"

#include "SliderTexts.h"
#include "SettingsStore.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

using namespace pellavan;

namespace {
QSlider *Slider(SliderRange range, QWidget *parent)
{
    auto *s = new QSlider(Qt::Horizontal, parent);
    s->setRange(range.min, range.max);
    s->setValue(0);
    s->setToolTip(HundredthsText(0));
    return s;
}
} // namespace

Tfrmcolor::Tfrmcolor(SettingsEnvironment &settings, QWidget *parent) : QDialog(parent), m_settings(settings)
{
    setWindowTitle(QStringLiteral("Color Control"));
    vpreset = new QComboBox(this);
    for (const ColorPreset &p : ColorPresets())
        vpreset->addItem(QString::fromLatin1(p.text));
    vbright = Slider(kBrightRange, this);
    vcontrast = Slider(kContrastRange, this);
    vhue = Slider(kHueRange, this);
    vsaturat = Slider(kSaturatRange, this);
    spSkinButton2 = new QPushButton(QStringLiteral("&OK"), this);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Preset Effect:"), vpreset);
    form->addRow(QStringLiteral("Brightness:"), vbright);
    form->addRow(QStringLiteral("Contrast:"), vcontrast);
    form->addRow(QStringLiteral("Hue:"), vhue);
    form->addRow(QStringLiteral("Saturation:"), vsaturat);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(spSkinButton2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(vpreset, &QComboBox::currentIndexChanged, this, &Tfrmcolor::vpresetChange);
    connect(vbright, &QSlider::valueChanged, this, [this](int v) { SliderChange(vbright, m_color.bright, v); });
    connect(vcontrast, &QSlider::valueChanged, this, [this](int v) { SliderChange(vcontrast, m_color.contrast, v); });
    connect(vhue, &QSlider::valueChanged, this, [this](int v) { SliderChange(vhue, m_color.hue, v); });
    connect(vsaturat, &QSlider::valueChanged, this, [this](int v) { SliderChange(vsaturat, m_color.saturat, v); });
    for (QSlider *s : {vbright, vcontrast, vhue, vsaturat})
        connect(s, &QSlider::sliderPressed, this, &Tfrmcolor::vbrightStartDragButton);
    connect(spSkinButton2, &QPushButton::clicked, this, &Tfrmcolor::spSkinButton2Click);
}

void Tfrmcolor::SetSettings(const ColorSettings &settings)
{
    m_color = settings;
    m_color.Clamp();
    Refresh();
}

void Tfrmcolor::vpresetChange(int index)
{
    m_color.vpresetChange(index);
    Refresh();
}

void Tfrmcolor::vbrightStartDragButton()
{
    m_color.StartDrag();
    const QSignalBlocker block(vpreset);
    vpreset->setCurrentIndex(m_color.preset);
}

void Tfrmcolor::SliderChange(QSlider *slider, int &field, int position)
{
    field = position;
    slider->setToolTip(HundredthsText(position));
}

void Tfrmcolor::SaveColorSettings()
{
    if (m_settings.path.empty())
        return;
    if (auto error = pellavan::SaveColorSettings(m_settings.path, m_color))
        ReportSettingsError(m_settings, this, *error);
}

void Tfrmcolor::spSkinButton2Click()
{
    SaveColorSettings();
    accept();
}

void Tfrmcolor::Refresh()
{
    const QSignalBlocker block(vpreset);
    vpreset->setCurrentIndex(m_color.preset);
    const ColorSettings wanted = m_color; // setValue reports back through SliderChange
    vbright->setValue(wanted.bright);
    vcontrast->setValue(wanted.contrast);
    vhue->setValue(wanted.hue);
    vsaturat->setValue(wanted.saturat);
}
