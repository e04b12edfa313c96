// SPDX-License-Identifier: GPL-3.0-or-later
#include "adv.h"

#include "SliderTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace pellavan;

namespace {

template <class Items>
void Fill(QComboBox *box, const Items &items, int selected)
{
    const QSignalBlocker block(box);
    box->clear();
    for (const auto &item : items)
        box->addItem(QString::fromUtf8(item.text));
    box->setCurrentIndex(selected);
}

QSlider *Slider(int max, QWidget *parent)
{
    auto *s = new QSlider(Qt::Horizontal, parent);
    s->setRange(0, max);
    return s;
}

} // namespace

Tfrmadv::Tfrmadv(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Advanced Settings"));

    auto *video = new QGroupBox(QStringLiteral("Video"), this);
    cvbitrate = new QComboBox(video);
    cvfrate = new QComboBox(video);
    cangle = new QComboBox(video);
    for (const char *a : AngleItems())
        cangle->addItem(QString::fromLatin1(a));
    sizecom = new QComboBox(video);
    lquality = new QLabel(QualityCaption(AdvSettings::kQualityNeutral), video);
    TVquality = Slider(AdvSettings::kQualityMax, video);
    formatcom = new QComboBox(video);
    for (const EncoderItem &e : Encoders())
        formatcom->addItem(QString::fromLatin1(e.text));
    formatcom->setEnabled(false); // the profile decides the encoder
    caspect = new QCheckBox(QStringLiteral("Keep aspect ratio"), video);
    cde = new QCheckBox(QStringLiteral("DeInterlace"), video);
    auto *vg = new QGridLayout(video);
    vg->addWidget(new QLabel(QStringLiteral("BitRate:"), video), 0, 0);
    vg->addWidget(cvbitrate, 0, 1);
    vg->addWidget(new QLabel(QStringLiteral("FrameRate:"), video), 0, 2);
    vg->addWidget(cvfrate, 0, 3);
    vg->addWidget(new QLabel(QStringLiteral("Angle:"), video), 1, 0);
    vg->addWidget(cangle, 1, 1);
    vg->addWidget(new QLabel(QStringLiteral("Resolution:"), video), 1, 2);
    vg->addWidget(sizecom, 1, 3);
    vg->addWidget(lquality, 2, 0);
    vg->addWidget(TVquality, 2, 1);
    vg->addWidget(new QLabel(QStringLiteral("Encoder:"), video), 2, 2);
    vg->addWidget(formatcom, 2, 3);
    vg->addWidget(caspect, 3, 1);
    vg->addWidget(cde, 3, 3);

    auto *audio = new QGroupBox(QStringLiteral("Audio"), this);
    cabitrate = new QComboBox(audio);
    casamlerate = new QComboBox(audio);
    for (const SampleRateItem &s : SampleRates())
        casamlerate->addItem(QString::fromLatin1(s.text));
    lvolume = new QLabel(VolumeCaption(AdvSettings::kVolumeNeutral), audio);
    tavolume = Slider(AdvSettings::kVolumeMax, audio);
    auto *sync = new QLabel(QStringLiteral("Sync Audio"), audio);
    sync->setStyleSheet(QStringLiteral("color: red;"));
    chead = new QCheckBox(QStringLiteral("Ahead"), audio);
    cdelay = new QCheckBox(QStringLiteral("Delay"), audio);
    etime = new QSpinBox(audio);
    etime->setRange(AdvSettings::kTimeMin, AdvSettings::kTimeMax);
    etime->setSingleStep(1);
    auto *ag = new QGridLayout(audio);
    ag->addWidget(new QLabel(QStringLiteral("BitRate:"), audio), 0, 0);
    ag->addWidget(cabitrate, 0, 1);
    ag->addWidget(new QLabel(QStringLiteral("SampleRate:"), audio), 0, 2);
    ag->addWidget(casamlerate, 0, 3);
    ag->addWidget(lvolume, 1, 0);
    ag->addWidget(tavolume, 1, 1, 1, 3);
    ag->addWidget(sync, 2, 0, 2, 1);
    ag->addWidget(chead, 2, 1);
    ag->addWidget(cdelay, 3, 1);
    ag->addWidget(etime, 2, 2, 2, 1);
    ag->addWidget(new QLabel(QStringLiteral("Milli Seconds"), audio), 2, 3, 2, 1);

    btnok = new QPushButton(QStringLiteral("&Ok"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnok);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(video);
    layout->addWidget(audio);
    layout->addLayout(buttons);

    connect(btnok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cvbitrate, &QComboBox::currentIndexChanged, this, [this](int i) { m_adv.SetVideoBitrateIndex(i); });
    connect(cvfrate, &QComboBox::currentIndexChanged, this, [this](int i) { m_adv.SetRateIndex(i); });
    connect(cangle, &QComboBox::currentIndexChanged, this, [this](int i) { m_adv.SetAngleIndex(i); });
    connect(sizecom, &QComboBox::currentIndexChanged, this, [this](int i) { m_adv.SetSizeIndex(i); });
    connect(cabitrate, &QComboBox::currentIndexChanged, this, [this](int i) { m_adv.SetAudioBitrateIndex(i); });
    connect(casamlerate, &QComboBox::currentIndexChanged, this, [this](int i) { m_adv.SetSampleRateIndex(i); });
    connect(TVquality, &QSlider::valueChanged, this, &Tfrmadv::TVqualityChange);
    connect(tavolume, &QSlider::valueChanged, this, &Tfrmadv::tavolumeChange);
    connect(caspect, &QCheckBox::toggled, this, [this](bool on) { m_adv.SetKeepAspect(on); });
    connect(cde, &QCheckBox::toggled, this, [this](bool on) { m_adv.SetDeinterlace(on); });
    connect(chead, &QCheckBox::clicked, this, &Tfrmadv::cheadClick);
    connect(cdelay, &QCheckBox::clicked, this, &Tfrmadv::cdelayClick);
    connect(etime, &QSpinBox::valueChanged, this, [this](int ms) { m_adv.SetTime(ms); });
    Refresh();
}

void Tfrmadv::ApplyProfile(int profile)
{
    m_adv.ApplyProfile(profile);
    Refresh();
}

void Tfrmadv::TVqualityChange(int position)
{
    m_adv.SetQuality(position);
    lquality->setText(QualityCaption(m_adv.Quality()));
}

void Tfrmadv::tavolumeChange(int position)
{
    m_adv.SetVolume(position);
    lvolume->setText(VolumeCaption(m_adv.Volume()));
}

void Tfrmadv::cheadClick(bool on)
{
    m_adv.cheadClick(on);
    Refresh();
}

void Tfrmadv::cdelayClick(bool on)
{
    m_adv.cdelayClick(on);
    Refresh();
}

void Tfrmadv::Refresh()
{
    Fill(sizecom, m_adv.SizeList(), m_adv.SizeIndex());
    Fill(cvbitrate, m_adv.VideoBitrateList(), m_adv.VideoBitrateIndex());
    Fill(cvfrate, m_adv.RateList(), m_adv.RateIndex());
    Fill(cabitrate, m_adv.AudioBitrateList(), m_adv.AudioBitrateIndex());
    const QSignalBlocker b1(formatcom), b2(casamlerate), b3(cangle), b4(TVquality), b5(tavolume), b6(caspect),
        b7(cde), b8(chead), b9(cdelay), b10(etime);
    formatcom->setCurrentIndex(m_adv.EncoderIndex());
    casamlerate->setCurrentIndex(m_adv.SampleRateIndex());
    cangle->setCurrentIndex(m_adv.AngleIndex());
    TVquality->setValue(m_adv.Quality());
    lquality->setText(QualityCaption(m_adv.Quality()));
    tavolume->setValue(m_adv.Volume());
    lvolume->setText(VolumeCaption(m_adv.Volume()));
    caspect->setChecked(m_adv.KeepAspect());
    cde->setChecked(m_adv.Deinterlace());
    chead->setChecked(m_adv.Ahead());
    cdelay->setChecked(m_adv.Delay());
    etime->setValue(m_adv.Time());
    etime->setEnabled(m_adv.TimeEnabled());
}
