// SPDX-License-Identifier: GPL-3.0-or-later
// Tfrmmain: the main window. It holds the controls, the program folders,
// the engine instance and the command states; the operations behind most
// commands live in the folders that own them (catalogue/, settings/, run/).
#pragma once

#include "catalogue/Catalogue.h"
#include "catalogue/ChapterView.h"
#include "engine/ConverterEngine.h"
#include "engine/ConverterInstance.h"
#include "shell/CommandStates.h"
#include "settings/SettingsEnvironment.h"
#include "shell/HTMLHelp_Decl.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QTimer;
class QToolButton;
class QTreeView;
class TBrambleButton;

namespace pellavan {
class CatalogueCommands;
class CatalogueView;
class ConversionRun;
class NoticeStrip;
class Desktop;
class DriveSystem;
class PowerControl;
struct ProgramWindows;
class RunWindow;
class UserPrompts;

// What the main window is given instead of reaching for globals, so tests
// can run it against a scripted engine and answer its message boxes.
struct MainWindowServices {
    ConverterEngine *engine = nullptr;   // required
    UserPrompts *prompts = nullptr;      // null: real message boxes
    Desktop *desktop = nullptr;          // null: the desktop's opener
    PowerControl *power = nullptr;       // null: logind over the system bus
    QString appPath;                     // empty: the executable's folder
    DriveSystem *drives = nullptr;       // required: the machine's optical drives or a stand-in
    // Called with the name of each life-cycle step as it begins.
    std::function<void(const QString &)> trace;
};

inline constexpr const char *kHomePageAddress = "https://www.pellavan.example.com/";
inline constexpr const char *kSupportMailAddress = "mailto:support@pellavan.example.com";
inline constexpr const char *kWelcomeText = " Welcome to use Pellavan";
inline constexpr const char *kCloseQuestion = "Now Converting,be sure Close Program?";
} // namespace pellavan

class Tfrmmain : public QWidget {
    Q_OBJECT
public:
    explicit Tfrmmain(const pellavan::MainWindowServices &services, QWidget *parent = nullptr);
    ~Tfrmmain() override;

    // ---- controls ------------------------------------------------------
    QMenuBar *spSkinMainMenuBar1;
    QMenu *File1, *Edit1, *Settings1, *Help1;
    QAction *Open1, *OpenDVDFolder1, *N1, *Pause1, *remuse1, *N2, *Capture1, *N8, *Exit1;
    QAction *SelectAllItems1, *UnSelectAllItems1, *N3, *GotoOutPutFolder1;
    QAction *DVDProperty1, *AdvancedSettings1, *CropSettings1, *ColorControl1, *N4, *SetoutputFolder1;
    QAction *HelpDocument1, *N6, *Support1, *Home1, *N7, *About1;

    QWidget *spSkinToolBar1;
    QToolButton *btnopen, *btnproperty, *btnselectall, *btnsetting, *btnhelp;
    QLabel *Image3;

    QFrame *spSkinPanel2, *spSkinPanel1, *spSkinPanel3;
    pellavan::ChapterView *chapterview;
    QScrollBar *spSkinScrollBar1, *spSkinScrollBar2;
    QLabel *Label4, *Label1;
    QComboBox *profilecom;
    QLineEdit *Efolder;
    QAction *EfolderButton;   // the browse button inside Efolder

    QLabel *Image2;
    // What the last opening or run could not do, above the preview.
    pellavan::NoticeStrip *noticestrip;
    QFrame *imagepanel;
    QLabel *Image1;
    QCheckBox *previewcheck;
    TBrambleButton *btncapture, *btnpause, *btnconvert, *btnabort;
    QPushButton *btnpro, *spSkinButton2;
    QCheckBox *c2pass, *csingle;

    QFrame *spSkinStatusBar1;
    QLabel *statusinfo;
    QProgressBar *spSkinGauge1;
    QLabel *convertinfo, *Timeinfo;

    QTimer *Timer1;   // progress timer: running = a job runs and is not paused
    QTimer *Timer2;   // one-shot start-up timer

    // ---- state ---------------------------------------------------------
    QString AppPath;    // ends in "/"
    QString SkinPath;   // AppPath + "Skin/"
    QString DataPath;   // documents folder + "Varnock/quintar/"
    // false when DataPath could not be made: nothing is read from or
    // written to the settings file then.
    bool DataPathReady = false;
    QStringList DriveList;
    pellavan::DiscCatalogue Disc;   // TDVDInfo and the title tree (catalogue/)
    // The engine instance: its handle, wake-up and report drain.
    pellavan::ConverterInstance ConverterHandle;
    void *PreviewDC = nullptr;   // the engine does not draw: always null
    // The conversion run and its fields (run/).
    pellavan::ConversionRun &Conversion();

    // ---- command states ------------------------------------------------
    void SetIdleState();
    void SetDiscLoadedState();
    void SetConvertingState();
    void ApplyCommandState(pellavan::CommandState state);
    // The control the command states know by that name.
    QObject *Control(pellavan::CommandControl control) const;
    // "zune.jpg" of the skin folder into Image1; false (and Image1 empty)
    // when it is missing or not a readable JPEG, `error` saying why.
    bool LoadSkinPicture(QString *error = nullptr);

    // ---- life cycle ----------------------------------------------------
    void FormCloseQuery(bool &CanClose);
    void FormClose();
    // Runs `fn`; an AppError or other exception it throws is shown in the
    // standard error box and the program goes on.
    void Guard(const std::function<void()> &fn);
    pellavan::UserPrompts &Prompts() { return m_prompts; }
    pellavan::Desktop &DesktopOpener() { return m_desktop; }
    // The settings file and its boxes, for this window and the dialogs.
    pellavan::SettingsEnvironment &SettingsEnv() { return m_settings; }
    // The dialogs, once they all exist (before: none is touched).
    void UseWindows(pellavan::ProgramWindows &windows) { m_windows = &windows; }
    pellavan::ProgramWindows &Windows() const;

    // Settings file and screensaver (filled by settings/).
    void InstallScreenSaverFilter();
    void LoadMainSettings();
    void SaveMainSettings();
    void LoadMiscSettings();

    // The disc commands (catalogue/), made when the dialogs exist.
    pellavan::CatalogueCommands &DiscCommands();

public slots:
    // catalogue/
    void Open1Click();
    void OpenDVDFolder1Click();
    void SelectAllItems1Click();
    void UnSelectAllItems1Click();
    void DVDProperty1Click();
    // settings/
    void profilecomChange();
    void EfolderButtonClick();
    void CropSettings1Click();
    void AdvancedSettings1Click();
    void ColorControl1Click();
    void btnsettingClick();
    void btnproClick();
    // run/
    void btnconvertClick();
    void btnabortClick();
    void btnpauseClick();
    void Pause1Click();
    void remuse1Click();
    void Capture1Click();
    void previewcheckClick();
    void GotoOutPutFolder1Click();
    void Timer1Timer();
    // shell/
    void Timer2Timer();
    void Exit1Click();
    void HelpDocument1Click();
    void Support1Click();
    void Home1Click();
    void About1Click();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildControls();
    void BuildMenus();
    void ConnectCommands();
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void Step(const QString &name);
    // Calls `f` with the typed member that stands for `control`.
    template <class F> void WithControl(pellavan::CommandControl control, F &&f) const;

    pellavan::UserPrompts &m_prompts;
    pellavan::Desktop &m_desktop;
    std::function<void(const QString &)> m_trace;
    pellavan::HtmlHelpControl m_help;
    pellavan::SettingsEnvironment m_settings;
    pellavan::ProgramWindows *m_windows = nullptr;
    pellavan::DriveSystem &m_drives;
    std::unique_ptr<pellavan::CatalogueView> m_discView;
    pellavan::CatalogueCommands *m_discCommands = nullptr;   // a child of this window
    bool m_shown = false;
    pellavan::PowerControl *m_power = nullptr;
    std::unique_ptr<pellavan::RunWindow> m_run;
};
