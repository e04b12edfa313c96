// SPDX-License-Identifier: GPL-3.0-or-later
#include "Unit5.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

using namespace pellavan;

TForm5::TForm5(SettingsEnvironment &settings, QWidget *parent)
    : QDialog(parent), m_settings(settings), m_screenSaver(std::make_unique<ScreenSaverFilter>(CreateSessionScreenSaverBus()))
{
    setWindowTitle(QStringLiteral("Misc Settings"));
    auto *group = new QGroupBox(QStringLiteral("Misc"), this);
    copen = new QCheckBox(QStringLiteral("When Conversion complete, open the output folder"), group);
    cdis = new QCheckBox(QStringLiteral("Disable screensaver when converting"), group);
    cshut = new QCheckBox(QStringLiteral("Shut down computer when conversion is complete"), group);
    auto *checks = new QVBoxLayout(group);
    checks->addWidget(copen);
    checks->addWidget(cdis);
    checks->addWidget(cshut);
    btndefault = new QPushButton(QStringLiteral("Default"), this);
    btnok = new QPushButton(QStringLiteral("&Ok"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btndefault);
    buttons->addStretch();
    buttons->addWidget(btnok);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);

    connect(cdis, &QCheckBox::toggled, this, [this](bool on) { m_screenSaver->SetOption(on); });
    // Held only while one of the program's windows is the active one: the
    // application goes inactive in the background and when minimised.
    m_screenSaver->SetForeground(QGuiApplication::applicationState() == Qt::ApplicationActive);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) { m_screenSaver->SetForeground(state == Qt::ApplicationActive); });
    connect(btndefault, &QPushButton::clicked, this, &TForm5::DefaultClick);
    connect(btnok, &QPushButton::clicked, this, &TForm5::btnokClick);
    SetSettings(MiscSettings{});
    m_screenSaver->SetOption(cdis->isChecked());
}

MiscSettings TForm5::Settings() const
{
    return MiscSettings{copen->isChecked(), cdis->isChecked(), cshut->isChecked()};
}

void TForm5::SetSettings(const MiscSettings &settings)
{
    copen->setChecked(settings.open);
    cdis->setChecked(settings.disSaver);
    cshut->setChecked(settings.shut);
}

void TForm5::SaveMiscSettings()
{
    if (m_settings.path.empty())
        return;
    if (auto error = pellavan::SaveMiscSettings(m_settings.path, Settings()))
        ReportSettingsError(m_settings, this, *error);
}

void TForm5::DefaultClick()
{
    SetSettings(MiscSettings{});
    emit DefaultsChosen();
    SaveMiscSettings();
}

void TForm5::btnokClick()
{
    SaveMiscSettings();
    accept();
}

void TForm5::UseScreenSaverBus(std::unique_ptr<ScreenSaverBus> bus) { m_screenSaver->ReplaceBus(std::move(bus)); }
