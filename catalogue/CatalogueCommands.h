// The main window's disc commands: Open DVD, Open DVD Folder, DVD Property,
// Select All / Un-Select All, and the tree's pointer handlers.  The main
// window forwards to these and tells them, through Host, how to show status
// text, switch its commands and ask the user.
#pragma once

#include "Catalogue.h"
#include "ChapterView.h"
#include "DriveList.h"

#include <QObject>
#include <functional>

class QDialog;
class Tfrmdvdlist;
class TForm3;

namespace pellavan {

class CatalogueCommands : public QObject {
    Q_OBJECT
public:
    struct Host {
        std::function<void(const QString &)> showStatus;          // statusinfo caption and hint
        std::function<void(bool)> setConvertEnabled;              // btnconvert
        std::function<void()> enterDiscLoaded;                    // the commands that need a disc
        std::function<void()> enterNoDisc;                        // a load failed: back to no disc
        std::function<void(const QString &)> showInformation;     // information box with one OK
        std::function<QString(const QString &title)> chooseFolder; // a folder or an image; empty when cancelled
        std::function<int(QDialog &)> execDialog;                 // modal; exec() when unset
        std::function<DCHandle()> createInstance;                 // a new engine instance; CreateConverter when unset
    };

    CatalogueCommands(ConverterEngine &engine, DCHandle &handle, DiscCatalogue &disc, ChapterView &view,
                      DriveSystem &drives, Tfrmdvdlist &dvdList, TForm3 &report, Host host,
                      QObject *parent = nullptr);

    void Open1Click();
    void OpenDVDFolder1Click();
    void DVDProperty1Click();
    void SelectAllItems1Click();
    void UnSelectAllItems1Click();
    bool LoadDisc(const std::string &root, const std::string &name);

    void chapterviewMouseDown(const TreeHit &hit, Qt::MouseButtons buttons);
    void chapterviewMouseUp(const TreeHit &hit, Qt::MouseButtons buttons);
    void chapterviewMouseMove(const TreeHit &hit, Qt::MouseButtons buttons);

    // The seams, for a window under test: what the user is asked and which drives there are.
    Host &host() { return m_host; }
    void SetDrives(DriveSystem &drives) { m_drives = &drives; }

    // The drives found by the last Open DVD.
    const std::vector<std::string> &DriveList() const { return m_driveList; }

private:
    void discOpened(bool loaded);
    int exec(QDialog &dialog);

    ConverterEngine &m_engine;
    DCHandle &m_handle;
    DiscCatalogue &m_disc;
    ChapterView &m_view;
    DriveSystem *m_drives;
    Tfrmdvdlist &m_dvdList;
    TForm3 &m_report;
    Host m_host;
    std::vector<std::string> m_driveList;
};

} // namespace pellavan
