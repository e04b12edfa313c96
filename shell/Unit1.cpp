// SPDX-License-Identifier: GPL-3.0-or-later
#include "Unit1.h"

#include "catalogue/CatalogueCommands.h"
#include "catalogue/ChapterView.h"

#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/ProgramFiles.h"
#include "platform/UserFolders.h"
#include "shell/RunWindow.h"
#include "settings/Unit5.h"
#include "shell/AppError.h"
#include "widgets/Prompts.h"
#include "shell/ProgramWindows.h"
#include "shell/Unit4.h"
#include "widgets/BrambleForm.h"
#include "widgets/ElidedComboBox.h"
#include "widgets/NoticeStrip.h"
#include "widgets/Skin.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

using namespace pellavan;

namespace {
template <class T> T *Named(T *object, const char *name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}
} // namespace

Tfrmmain::Tfrmmain(const MainWindowServices &services, QWidget *parent)
    : QWidget(parent),
      ConverterHandle(*services.engine),
      m_prompts(services.prompts ? *services.prompts : DesktopPrompts()),
      m_desktop(services.desktop ? *services.desktop : SystemDesktop()),
      m_trace(services.trace),
      m_help(m_desktop),
      m_settings{{}, m_prompts},
      m_drives(*services.drives),
      m_power(services.power)
{
    setObjectName(QStringLiteral("frmmain"));
    AppPath = services.appPath.isEmpty() ? QString::fromStdString(ProgramFolder(ExecutableFolder()))
                                         : QString::fromStdString(SetTrailingDelimiter(services.appPath.toStdString(), true));
    BuildControls();
    BuildMenus();
    ConnectCommands();
    FormCreate();
}

Tfrmmain::~Tfrmmain() { FormDestroy(); }

ProgramWindows &Tfrmmain::Windows() const
{
    if (!m_windows)
        throw AppError("the dialogs do not exist yet");
    return *m_windows;
}

void Tfrmmain::Step(const QString &name)
{
    if (m_trace)
        m_trace(name);
}

void Tfrmmain::Guard(const std::function<void()> &fn)
{
    try {
        fn();
    } catch (const std::exception &e) {
        ShowErrorBox(m_prompts, this, QString::fromStdString(e.what()));
    }
}

// ---- layout ---------------------------------------------------------------

void Tfrmmain::BuildControls()
{
    setWindowTitle(QStringLiteral("Pellavan "));
    setWindowIcon(QIcon(QPixmap::fromImage(SkinPicture("icon"))));
    // A fixed dialog frame: minimise and close, no resizing or maximising.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(697, 400);
    setFont(WindowFont());

    spSkinMainMenuBar1 = Named(new QMenuBar(this), "spSkinMainMenuBar1");
    spSkinMainMenuBar1->setNativeMenuBar(false);
    spSkinMainMenuBar1->setGeometry(0, 0, 697, 22);

    spSkinToolBar1 = Named(new QWidget(this), "spSkinToolBar1");
    spSkinToolBar1->setGeometry(0, 22, 697, 25);
    spSkinToolBar1->setAttribute(Qt::WA_StyledBackground);
    int x = 0;
    auto toolButton = [&](const char *name, const char *caption, const char *glyph) {
        auto *b = Named(new QToolButton(spSkinToolBar1), name);
        b->setText(QString::fromLatin1(caption));
        b->setIcon(QIcon(QPixmap::fromImage(SkinPicture(glyph))));
        b->setIconSize(QSize(12, 12));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setGeometry(x, 0, 57, 25);
        x += 57;
        return b;
    };
    btnopen = toolButton("btnopen", "Open DVD", "tool-open");
    btnproperty = toolButton("btnproperty", "Property", "tool-property");
    btnselectall = toolButton("btnselectall", "Select all", "tool-selectall");
    btnsetting = toolButton("btnsetting", "Setting", "tool-setting");
    btnhelp = toolButton("btnhelp", "Help", "tool-help");
    btnselectall->setEnabled(false);
    Image3 = Named(new QLabel(spSkinToolBar1), "Image3");
    Image3->setGeometry(697 - 32, 0, 32, 25);
    Image3->setPixmap(QPixmap::fromImage(SkinPicture("toolbar-end")));

    // Left: the tree above the profile and output fields.
    spSkinPanel2 = Named(new QFrame(this), "spSkinPanel2");
    spSkinPanel2->setGeometry(0, 47, 275, 332);
    spSkinPanel2->setFrameShape(QFrame::Box);
    spSkinPanel1 = Named(new QFrame(spSkinPanel2), "spSkinPanel1");
    spSkinPanel1->setGeometry(1, 1, 273, 280);
    chapterview = Named(new pellavan::ChapterView(spSkinPanel1), "chapterview");
    chapterview->setGeometry(0, 0, 273, 280);
    chapterview->setHeaderHidden(true);
    chapterview->setRootIsDecorated(false);
    chapterview->setIndentation(26);
    chapterview->setSelectionBehavior(QAbstractItemView::SelectRows);
    chapterview->setAllColumnsShowFocus(true);
    chapterview->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    chapterview->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    spSkinScrollBar1 = Named(chapterview->horizontalScrollBar(), "spSkinScrollBar1");
    spSkinScrollBar2 = Named(chapterview->verticalScrollBar(), "spSkinScrollBar2");

    spSkinPanel3 = Named(new QFrame(spSkinPanel2), "spSkinPanel3");
    spSkinPanel3->setGeometry(1, 332 - 1 - 50, 273, 50);
    Label4 = Named(new QLabel(QStringLiteral("Profile:"), spSkinPanel3), "Label4");
    Label4->setGeometry(1, 3, 39, 20);
    profilecom = Named(new pellavan::ElidedComboBox(spSkinPanel3), "profilecom");
    profilecom->setGeometry(41, 3, 225, 20);
    profilecom->setEditable(false);
    profilecom->setMaxVisibleItems(8);
    profilecom->setCurrentIndex(-1);
    Label1 = Named(new QLabel(QStringLiteral("Output:"), spSkinPanel3), "Label1");
    Label1->setGeometry(1, 27, 39, 20);
    Efolder = Named(new QLineEdit(spSkinPanel3), "Efolder");
    Efolder->setGeometry(41, 27, 225, 20);
    Efolder->setReadOnly(true);
    EfolderButton = Efolder->addAction(QIcon(QPixmap::fromImage(SkinPicture("browse"))), QLineEdit::TrailingPosition);
    EfolderButton->setObjectName(QStringLiteral("EfolderButton"));

    // Right: the preview area and the run controls.
    Image2 = Named(new QLabel(this), "Image2");
    Image2->setGeometry(275, 47, 422, 332);
    Image2->setPixmap(QPixmap::fromImage(SkinPicture("background")));
    noticestrip = new pellavan::NoticeStrip(this);
    noticestrip->setGeometry(354, 48, 321, 28);
    imagepanel = Named(new QFrame(this), "imagepanel");
    imagepanel->setGeometry(354, 77, 321, 241);
    imagepanel->setAutoFillBackground(true);
    Image1 = Named(new QLabel(imagepanel), "Image1");
    Image1->setGeometry(0, 0, 321, 241);
    Image1->setScaledContents(true);

    previewcheck = Named(new QCheckBox(QStringLiteral("Show"), this), "previewcheck");
    previewcheck->setGeometry(280, 166, 57, 25);
    previewcheck->setToolTip(QStringLiteral("Show real time preview when converting"));
    previewcheck->setChecked(true);

    auto imageButton = [&](const char *name, const char *pictures, int bx, int by, const char *hint, bool disabledPicture) {
        auto *b = Named(new TBrambleButton(this), name);
        const QString base = QString::fromLatin1(pictures);
        b->setUpGlyph(SkinPicture(base + "-up"));
        b->setActiveGlyph(SkinPicture(base + "-over"));
        b->setDownGlyph(SkinPicture(base + "-down"));
        if (disabledPicture)
            b->setUnEnGlyph(SkinPicture(base + "-disabled"));
        b->move(bx, by);
        b->setToolTip(QString::fromLatin1(hint));
        b->Transparent = true;
        return b;
    };
    btncapture = imageButton("btncapture", "capture", 291, 214, "Capture image", true);
    btnpro = Named(new QPushButton(QStringLiteral("Settings"), this), "btnpro");
    btnpro->setGeometry(276, 328, 80, 25);
    btnpro->setToolTip(QStringLiteral("Show Advanced Settings"));
    spSkinButton2 = Named(new QPushButton(QStringLiteral("Find target"), this), "spSkinButton2");
    spSkinButton2->setGeometry(276, 353, 80, 25);
    c2pass = Named(new QCheckBox(QStringLiteral("2-pass encoding"), this), "c2pass");
    c2pass->setGeometry(360, 329, 137, 25);
    csingle = Named(new QCheckBox(QStringLiteral("merge into one file"), this), "csingle");
    csingle->setGeometry(360, 352, 137, 25);
    btnpause = imageButton("btnpause", "pause", 514, 330, "Pause Converting", true);
    btnpause->setEnabled(false);
    btnconvert = imageButton("btnconvert", "convert", 567, 329, "Convert dvd to Zune", true);
    btnabort = imageButton("btnabort", "abort", 566, 329, "Stop converting", false);
    btnabort->setVisible(false);

    // Bottom: the status bar's four parts.
    spSkinStatusBar1 = Named(new QFrame(this), "spSkinStatusBar1");
    spSkinStatusBar1->setGeometry(0, 379, 697, 21);
    // A framed text panel; the skin's padding is its only inset.
    auto panel = [this](const char *name, int left, int panelWidth) {
        auto *p = Named(new QLabel(spSkinStatusBar1), name);
        p->setFrameShape(QFrame::Panel);
        p->setFrameShadow(QFrame::Sunken);
        p->setIndent(0);
        p->setGeometry(left, 0, panelWidth, 21);
        return p;
    };
    statusinfo = panel("statusinfo", 0, 313);
    const int gaugeWidth = 697 - 313 - 97 - 128;
    spSkinGauge1 = Named(new QProgressBar(spSkinStatusBar1), "spSkinGauge1");
    spSkinGauge1->setGeometry(313, 0, gaugeWidth, 21);
    spSkinGauge1->setRange(0, 100);
    spSkinGauge1->setValue(0);
    spSkinGauge1->setTextVisible(true);
    convertinfo = panel("convertinfo", 313 + gaugeWidth, 97);
    Timeinfo = panel("Timeinfo", 697 - 128, 128);

    Timer1 = Named(new QTimer(this), "Timer1");
    Timer1->setInterval(500);
    Timer2 = Named(new QTimer(this), "Timer2");
    Timer2->setInterval(1000);
}

void Tfrmmain::BuildMenus()
{
    auto item = [this](QMenu *menu, const char *name, const char *caption) {
        QAction *a = menu->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    auto separator = [](QMenu *menu, const char *name) {
        QAction *a = menu->addSeparator();
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    File1 = Named(spSkinMainMenuBar1->addMenu(QStringLiteral("&File")), "File1");
    Open1 = item(File1, "Open1", "&Open DVD");
    Open1->setIcon(QIcon(QPixmap::fromImage(SkinPicture("tool-open"))));
    OpenDVDFolder1 = item(File1, "OpenDVDFolder1", "Open DVD Folder");
    N1 = separator(File1, "N1");
    Pause1 = item(File1, "Pause1", "&Pause Converting");
    remuse1 = item(File1, "remuse1", "&Resume Converting");
    N2 = separator(File1, "N2");
    Capture1 = item(File1, "Capture1", "&Capture Image");
    Capture1->setShortcut(QKeySequence(Qt::Key_F12));
    N8 = separator(File1, "N8");
    Exit1 = item(File1, "Exit1", "&Exit");

    Edit1 = Named(spSkinMainMenuBar1->addMenu(QStringLiteral("&Edit")), "Edit1");
    SelectAllItems1 = item(Edit1, "SelectAllItems1", "Select All Items");
    SelectAllItems1->setIcon(QIcon(QPixmap::fromImage(SkinPicture("tool-selectall"))));
    UnSelectAllItems1 = item(Edit1, "UnSelectAllItems1", "Un-Select All  Items");
    N3 = separator(Edit1, "N3");
    GotoOutPutFolder1 = item(Edit1, "GotoOutPutFolder1", "Goto Output  Folder");

    Settings1 = Named(spSkinMainMenuBar1->addMenu(QStringLiteral("&Settings")), "Settings1");
    DVDProperty1 = item(Settings1, "DVDProperty1", "DVD Property");
    DVDProperty1->setIcon(QIcon(QPixmap::fromImage(SkinPicture("tool-property"))));
    AdvancedSettings1 = item(Settings1, "AdvancedSettings1", "Advanced Settings");
    AdvancedSettings1->setIcon(QIcon(QPixmap::fromImage(SkinPicture("tool-setting"))));
    CropSettings1 = item(Settings1, "CropSettings1", "Crop Settings");
    ColorControl1 = item(Settings1, "ColorControl1", "Color Control");
    N4 = separator(Settings1, "N4");
    SetoutputFolder1 = item(Settings1, "SetoutputFolder1", "Set Output Folder");

    Help1 = Named(spSkinMainMenuBar1->addMenu(QStringLiteral("&Help")), "Help1");
    HelpDocument1 = item(Help1, "HelpDocument1", "Help Document");
    HelpDocument1->setIcon(QIcon(QPixmap::fromImage(SkinPicture("tool-help"))));
    N6 = separator(Help1, "N6");
    Support1 = item(Help1, "Support1", "Support");
    Home1 = item(Help1, "Home1", "Home");
    N7 = separator(Help1, "N7");
    About1 = item(Help1, "About1", "About");

    // Design-time states the idle state relies on.
    CropSettings1->setEnabled(false);
    ColorControl1->setEnabled(false);
    // The short cut works while the menu is closed.
    addAction(Capture1);
}

void Tfrmmain::ConnectCommands()
{
    auto on = [this](auto *sender, auto signal, void (Tfrmmain::*handler)()) {
        connect(sender, signal, this, [this, handler] { Guard([this, handler] { (this->*handler)(); }); });
    };
    on(Open1, &QAction::triggered, &Tfrmmain::Open1Click);
    on(OpenDVDFolder1, &QAction::triggered, &Tfrmmain::OpenDVDFolder1Click);
    on(Pause1, &QAction::triggered, &Tfrmmain::Pause1Click);
    on(remuse1, &QAction::triggered, &Tfrmmain::remuse1Click);
    on(Capture1, &QAction::triggered, &Tfrmmain::Capture1Click);
    on(Exit1, &QAction::triggered, &Tfrmmain::Exit1Click);
    on(SelectAllItems1, &QAction::triggered, &Tfrmmain::SelectAllItems1Click);
    on(UnSelectAllItems1, &QAction::triggered, &Tfrmmain::UnSelectAllItems1Click);
    on(GotoOutPutFolder1, &QAction::triggered, &Tfrmmain::GotoOutPutFolder1Click);
    on(DVDProperty1, &QAction::triggered, &Tfrmmain::DVDProperty1Click);
    on(AdvancedSettings1, &QAction::triggered, &Tfrmmain::AdvancedSettings1Click);
    on(CropSettings1, &QAction::triggered, &Tfrmmain::CropSettings1Click);
    on(ColorControl1, &QAction::triggered, &Tfrmmain::ColorControl1Click);
    on(SetoutputFolder1, &QAction::triggered, &Tfrmmain::EfolderButtonClick);
    on(HelpDocument1, &QAction::triggered, &Tfrmmain::HelpDocument1Click);
    on(Support1, &QAction::triggered, &Tfrmmain::Support1Click);
    on(Home1, &QAction::triggered, &Tfrmmain::Home1Click);
    on(About1, &QAction::triggered, &Tfrmmain::About1Click);

    on(btnopen, &QToolButton::clicked, &Tfrmmain::Open1Click);
    on(btnproperty, &QToolButton::clicked, &Tfrmmain::DVDProperty1Click);
    on(btnselectall, &QToolButton::clicked, &Tfrmmain::SelectAllItems1Click);
    on(btnsetting, &QToolButton::clicked, &Tfrmmain::btnsettingClick);
    on(btnhelp, &QToolButton::clicked, &Tfrmmain::HelpDocument1Click);
    on(btnconvert, &TBrambleButton::OnClick, &Tfrmmain::btnconvertClick);
    on(btnabort, &TBrambleButton::OnClick, &Tfrmmain::btnabortClick);
    on(btnpause, &TBrambleButton::OnClick, &Tfrmmain::btnpauseClick);
    on(btncapture, &TBrambleButton::OnClick, &Tfrmmain::Capture1Click);
    on(btnpro, &QPushButton::clicked, &Tfrmmain::btnproClick);
    on(spSkinButton2, &QPushButton::clicked, &Tfrmmain::GotoOutPutFolder1Click);
    on(previewcheck, &QCheckBox::clicked, &Tfrmmain::previewcheckClick);
    on(profilecom, &QComboBox::activated, &Tfrmmain::profilecomChange);
    on(EfolderButton, &QAction::triggered, &Tfrmmain::EfolderButtonClick);
    on(Timer1, &QTimer::timeout, &Tfrmmain::Timer1Timer);
    on(Timer2, &QTimer::timeout, &Tfrmmain::Timer2Timer);
}

// ---- life cycle -----------------------------------------------------------

void Tfrmmain::FormCreate()
{
    Step(QStringLiteral("FormCreate"));
    InstallScreenSaverFilter();
    SkinPath = AppPath + QStringLiteral("Skin/");
    const std::string documents = GetDocumentsFolder();
    // Without a documents folder the home folder stands where a drive root would.
    const std::string base = documents.empty() ? UserHomeFolder() : SetTrailingDelimiter(documents, true);
    DataPath = QString::fromStdString(base + "Varnock/quintar/");
    DataPathReady = DirectoryExists(DataPath.toStdString()) || MakePath(DataPath.toStdString());
    if (!DataPathReady) {
        // The program goes on without its settings file; everything else is
        // set up as usual.
        ShowErrorBox(m_prompts, this, QStringLiteral("Cannot create ") + DataPath);
    }
    m_settings.path = DataPathReady ? (DataPath + QStringLiteral("mervale.ini")).toStdString() : std::string();
    DriveList.clear();
    ConverterHandle.Replace();
    PreviewDC = nullptr;
}

void Tfrmmain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    Guard([this] { FormShow(); });
}

void Tfrmmain::FormShow()
{
    Step(QStringLiteral("FormShow"));
    Step(QStringLiteral("LoadMainSettings"));
    LoadMainSettings();
    Step(QStringLiteral("SetIdleState"));
    SetIdleState();
    Step(QStringLiteral("LoadMiscSettings"));
    LoadMiscSettings();
    const QString folder = Efolder->text();
    if (!folder.isEmpty() && !DirectoryExists(folder.toStdString()))
        CreateDir(folder.toStdString());   // one level only; a failure is ignored
    Efolder->setToolTip(folder);
    Timer2->start();
}

void Tfrmmain::Timer2Timer()
{
    Timer2->stop();
    Open1Click();
}

void Tfrmmain::closeEvent(QCloseEvent *event)
{
    bool CanClose = true;
    FormCloseQuery(CanClose);
    if (!CanClose) {
        event->ignore();
        return;
    }
    Guard([this] { FormClose(); });
    event->accept();
}

void Tfrmmain::FormCloseQuery(bool &CanClose)
{
    Step(QStringLiteral("FormCloseQuery"));
    if (!Timer1->isActive())
        return;
    if (m_prompts.WarningQuestion(this, QString::fromLatin1(kCloseQuestion)) == kAnswerNo)
        CanClose = false;
}

void Tfrmmain::FormClose()
{
    Step(QStringLiteral("FormClose"));
    Step(QStringLiteral("SaveMainSettings"));
    SaveMainSettings();
    if (Timer1->isActive()) {
        Step(QStringLiteral("btnabortClick"));
        btnabortClick();
    }
}

void Tfrmmain::FormDestroy()
{
    Step(QStringLiteral("FormDestroy"));
    DriveList.clear();
    PreviewDC = nullptr;
    ConverterHandle.Close();
}

void Tfrmmain::Exit1Click()
{
    Step(QStringLiteral("Exit1Click"));
    // Ends the loop at once: no question, no saving, no stop.
    QCoreApplication::exit(0);
}

void Tfrmmain::HelpDocument1Click()
{
    m_help.HtmlHelp(this, AppPath + QString::fromLatin1(kHelpFileName), HH_DISPLAY_TOPIC, 0);
}

void Tfrmmain::Home1Click() { m_desktop.OpenUrl(QString::fromLatin1(kHomePageAddress)); }
void Tfrmmain::Support1Click() { m_desktop.OpenUrl(QString::fromLatin1(kSupportMailAddress)); }
void Tfrmmain::About1Click() { m_prompts.ShowModal(&Windows().Form4); }
