// SPDX-License-Identifier: GPL-3.0-or-later
// A main window with all its dialogs over the scripted engine, a temporary
// home and program folder, answered message boxes and a desktop that only
// records what it was asked to open. Life-cycle steps are logged into the
// engine's call list as "step:<name>", so their order against engine calls
// can be checked.
#pragma once

#include "NamedWindows.h"
#include "ScriptedEngine.h"
#include "StandIns.h"
#include "platform/Desktop.h"
#include "widgets/Prompts.h"
#include "shell/Unit1.h"

#include <QDialog>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace pellavan::testing {

class RecordingPrompts final : public UserPrompts {
public:
    explicit RecordingPrompts(std::vector<std::string> &log) : m_log(log) {}
    int answer = kAnswerYes;
    QStringList questions, messages, errors;
    std::vector<QDialog *> modals;
    QString folder;   // what the folder dialog chooses

    int WarningQuestion(QWidget *, const QString &text) override
    {
        m_log.push_back("question");
        questions << text;
        return answer;
    }
    void Message(QWidget *, const QString &text) override { messages << text; }
    void ErrorBox(QWidget *, const QString &text) override { errors << text; }
    int ShowModal(QDialog *dialog) override
    {
        modals.push_back(dialog);
        return QDialog::Rejected;
    }
    QString ChooseFolder(QWidget *, const QString &) override { return folder; }

private:
    std::vector<std::string> &m_log;
};

class FakeDesktop final : public Desktop {
public:
    bool opener = true, viewer = true, browser = false;
    int probes = 0;
    QStringList urls, folders, documents;

    void OpenUrl(const QString &url) override { urls << url; }
    void OpenFolder(const QString &path) override { folders << path; }
    bool DocumentOpenerPresent() override
    {
        ++probes;
        return opener;
    }
    bool HelpViewerPresent() override { return viewer; }
    bool BrowserPresent() override { return browser; }
    bool OpenDocument(const QString &path) override
    {
        documents << path;
        return true;
    }
};

class ShellTest : public ::testing::Test, public NamedWindows {
protected:
    void SetUp() override;
    void TearDown() override;

    // Puts the skin picture into the program folder (a copy of the real one
    // unless `bytes` are given).
    void WriteSkinPicture(const QByteArray *bytes = nullptr);
    // Creates the eight windows (not shown).
    void CreateWindows();
    // Shows the main window as the message loop would: FormShow runs.
    void ShowMain();
    void DestroyWindows();
    // Steps and engine calls so far, in order.
    std::vector<std::string> &Log() { return engine.calls; }
    // Index of the first entry equal to `entry` in the log, or -1.
    int Find(const std::string &entry) const;
    bool Logged(const std::string &entry) const { return Find(entry) >= 0; }

    std::filesystem::path root, home, app;
    ScriptedEngine engine;
    RecordingPrompts prompts{engine.calls};
    FakeDesktop desktop;
    // The start-up Open DVD and a run's end reach no real drive or power-off.
    NoDrives drives;
    NoPower power;
    MainWindowServices services;
};

} // namespace pellavan::testing
