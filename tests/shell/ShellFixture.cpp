// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShellFixture.h"

#include <QApplication>
#include <QFile>
#include <QTest>

#include <cstdlib>

namespace fs = std::filesystem;

namespace pellavan::testing {

void ShellTest::SetUp()
{
    char tmpl[] = "/tmp/pellavan-shell-XXXXXX";
    root = ::mkdtemp(tmpl);
    home = root / "home";
    app = root / "app";
    fs::create_directories(home);
    fs::create_directories(app);
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    WriteSkinPicture();
    services.engine = &engine;
    services.prompts = &prompts;
    services.desktop = &desktop;
    services.drives = &drives;
    services.power = &power;
    services.appPath = QString::fromStdString(app.string());
    services.trace = [this](const QString &step) { engine.calls.push_back("step:" + step.toStdString()); };
}

void ShellTest::TearDown()
{
    DestroyWindows();
    fs::remove_all(root);
}

void ShellTest::WriteSkinPicture(const QByteArray *bytes)
{
    fs::create_directories(app / "Skin");
    const QString target = QString::fromStdString((app / "Skin" / "zune.jpg").string());
    QFile::remove(target);
    if (bytes) {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(*bytes);
    } else {
        ASSERT_TRUE(QFile::copy(QStringLiteral(SKIN_DIR "/zune.jpg"), target));
    }
}

void ShellTest::CreateWindows() { MakeWindows(services); }

void ShellTest::ShowMain()
{
    frmmain->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frmmain));
}

void ShellTest::DestroyWindows() { FreeWindows(); }

int ShellTest::Find(const std::string &entry) const
{
    for (size_t i = 0; i < engine.calls.size(); ++i)
        if (engine.calls[i] == entry)
            return int(i);
    return -1;
}

} // namespace pellavan::testing
