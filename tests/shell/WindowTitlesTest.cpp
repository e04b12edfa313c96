// SPDX-License-Identifier: GPL-3.0-or-later
// The captions the window system shows: every window of the program, started
// on a real X server (an Xvfb of the test's own), read back from the X
// properties a window manager puts in the title bar.
#include "MainWindowHarness.h"
#include "ScriptedEngine.h"
#include "widgets/DiscSourceDialog.h"
#include "catalogue/Unit2.h"
#include "catalogue/Unit3.h"
#include "settings/Unit5.h"
#include "settings/Unit7.h"
#include "settings/Unit8.h"
#include "settings/adv.h"
#include "shell/Unit4.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>
#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pellavan;
using pellavan::testing::MainWindowHarness;
using pellavan::testing::ScriptedEngine;

namespace {

// Why the tests cannot run; empty when the X server is up.
std::string g_noServer;

// Starts Xvfb on a display it picks itself; its pid, or -1 with *why set.
pid_t StartXvfb(std::string *why)
{
    if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) {
        *why = "Xvfb is not installed (package xvfb, see tools/install-deps.sh)";
        return -1;
    }
    int fds[2];
    if (::pipe(fds) != 0) {
        *why = "no pipe for Xvfb";
        return -1;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);   // never outlives a test that crashed
        ::close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "1024x768x24",
                 static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    char buf[16] = {};
    size_t got = 0;
    while (got < sizeof buf - 1) {
        const ssize_t n = ::read(fds[0], buf + got, sizeof buf - 1 - got);
        if (n <= 0 || buf[got + size_t(n) - 1] == '\n') {
            got += n > 0 ? size_t(n) : 0;
            break;
        }
        got += size_t(n);
    }
    ::close(fds[0]);
    if (got == 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
        *why = "Xvfb did not start";
        return -1;
    }
    ::setenv("DISPLAY", (":" + std::string(buf, got - (buf[got - 1] == '\n' ? 1 : 0))).c_str(), 1);
    return pid;
}

xcb_atom_t Atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t atom = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return atom;
}

// A text property of a window as the server holds it.
std::string Property(QWidget *w, const char *name, const char *type)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return "<no X11 connection>";
    xcb_connection_t *c = x11->connection();
    const xcb_atom_t property = Atom(c, name), kind = Atom(c, type);
    xcb_get_property_reply_t *r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, xcb_window_t(w->winId()), property, kind, 0, 1024), nullptr);
    std::string text;
    if (r)
        text.assign(static_cast<const char *>(xcb_get_property_value(r)), size_t(xcb_get_property_value_length(r)));
    else
        text = "<no property>";
    std::free(r);
    return text;
}

// What a title bar shows: the UTF-8 name, and the old Latin-1 one beside it.
struct Title {
    std::string net, wm;
};
Title Shown(QWidget *w)
{
    QApplication::processEvents();
    return {Property(w, "_NET_WM_NAME", "UTF8_STRING"), Property(w, "WM_NAME", "STRING")};
}

void ExpectTitle(QWidget *w, const std::string &caption)
{
    const Title t = Shown(w);
    EXPECT_EQ(t.net, caption) << w->metaObject()->className();
    EXPECT_EQ(t.wm, caption) << w->metaObject()->className();
}

// Reads the title of the modal box `open` shows, then closes the box.
std::string TitleOfModal(const std::function<void()> &open)
{
    std::string seen = "<no box>";
    QTimer::singleShot(0, [&] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box)
            return;
        seen = QTest::qWaitForWindowExposed(box) ? Shown(box).net : "<not shown>";
        box->close();
    });
    open();
    return seen;
}

class WindowTitles : public ::testing::Test, public MainWindowHarness {
protected:
    void SetUp() override
    {
        if (!g_noServer.empty())
            GTEST_SKIP() << g_noServer;
        SetUpApplication();   // as the program does before its windows exist
        appPath = QStringLiteral(SKIN_DIR "/../");
        Start(engine);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frmmain));
    }
    void TearDown() override { Stop(); }
    ScriptedEngine engine;
};

} // namespace

TEST_F(WindowTitles, EveryWindowShowsExactlyItsCaption)
{
    ExpectTitle(frmmain, "Pellavan ");
    const std::vector<std::pair<QWidget *, std::string>> dialogs = {
        {frmdvdlist, "Select DVD to Convert"}, {frmadv, "Advanced Settings"}, {Form3, "DVD Proptery"},
        {Form4, "About Pellavan"},         {frmcolor, "Color Control"},     {Form5, "Misc Settings"},
        {frmpre, "Crop image settings"},
    };
    for (const auto &[dialog, caption] : dialogs) {
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog)) << caption;
        ExpectTitle(dialog, caption);
        dialog->hide();
    }
    DiscSourceDialog folder(frmmain, QStringLiteral("Select DVD folder"));
    folder.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&folder));
    ExpectTitle(&folder, "Select DVD folder");
    for (const char *name : {"backButton", "forwardButton", "toParentButton", "newFolderButton", "listModeButton",
                             "detailModeButton"}) {   // no navigation tool bar
        const QWidget *button = folder.findChild<QWidget *>(QLatin1String(name));
        EXPECT_TRUE(button && !button->isVisible()) << name;
    }
}

TEST_F(WindowTitles, MessageBoxesShowTheirCaptionsExactly)
{
    UserPrompts &boxes = DesktopPrompts();
    EXPECT_EQ(TitleOfModal([&] { boxes.WarningQuestion(frmmain, QStringLiteral("Now Converting,be sure Close Program?")); }),
              "Warning");
    EXPECT_EQ(TitleOfModal([&] { boxes.Message(frmmain, QStringLiteral("No DVD Media Find.")); }), "Pellavan ");
    EXPECT_EQ(TitleOfModal([&] { boxes.ErrorBox(frmmain, QStringLiteral("Cannot create /x.")); }), "Pellavan ");
    EXPECT_EQ(TitleOfModal([&] { boxes.ChooseOutputFolder(frmmain, QStringLiteral("Set Output Folder"), "/"); }),
              "Set Output Folder");
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    pid_t server = -1;
    // Listing the tests needs no server.
    if (!::testing::GTEST_FLAG(list_tests)) {
        server = StartXvfb(&g_noServer);
        if (server > 0)
            qputenv("QT_QPA_PLATFORM", "xcb");
    }
    if (server <= 0)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int result = 0;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (server > 0) {
        ::kill(server, SIGTERM);
        ::waitpid(server, nullptr, 0);
    }
    return result;
}
