// SPDX-License-Identifier: GPL-3.0-or-later
// The real main window and its dialogs for a test: a fresh home folder, as a
// new user has, message boxes recorded and answered "No", and the quiet
// stand-ins for the desktop, the drives and the power-off.
#pragma once

#include "NamedWindows.h"
#include "StandIns.h"
#include "catalogue/CatalogueCommands.h"
#include "widgets/Prompts.h"

#include <QDialog>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <string>

namespace pellavan::testing {

struct RecordedPrompts : UserPrompts {
    QStringList messages;                      // messages and error boxes, in order
    std::function<void(QDialog *)> onModal;    // sees each dialog before it is "closed"
    QString folder;                            // what the folder dialog chooses
    int WarningQuestion(QWidget *, const QString &) override { return kAnswerNo; }
    void Message(QWidget *, const QString &text) override { messages << text; }
    void ErrorBox(QWidget *, const QString &text) override { messages << text; }
    int ShowModal(QDialog *dialog) override
    {
        if (onModal)
            onModal(dialog);
        return QDialog::Rejected;
    }
    QString ChooseFolder(QWidget *, const QString &) override { return folder; }
};

class MainWindowHarness : public NamedWindows {
public:
    QTemporaryDir home;
    RecordedPrompts prompts;
    NoDesktop desktop;
    NoDrives drives;
    NoPower power;
    QString appPath;   // the program's folder (its "Skin" folder inside); empty: the test's own

    ~MainWindowHarness() { Stop(); }

    // Creates the eight windows over `engine` and shows the main window.
    void Start(ConverterEngine &engine)
    {
        m_oldHome = qgetenv("HOME");
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
        MainWindowServices s;
        s.engine = &engine;
        s.prompts = &prompts;
        s.desktop = &desktop;
        s.drives = &drives;
        s.power = &power;
        s.appPath = appPath;
        MakeWindows(s);
        m_started = true;
        frmmain->show();
    }
    void Stop()
    {
        if (!m_started)
            return;
        m_started = false;
        FreeWindows();
        qputenv("HOME", m_oldHome);
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
    }
    // The folder that "Open DVD Folder" is given.
    void ChooseFolder(const std::string &path) { prompts.folder = QString::fromStdString(path); }

private:
    bool m_started = false;
    QByteArray m_oldHome, m_oldConfig;
};

} // namespace pellavan::testing
