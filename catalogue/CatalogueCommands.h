// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's disc commands: Open DVD, Open DVD Folder, DVD Property,
// Select All / Un-Select All, and the tree's pointer handlers.  The main
// window forwards to these and implements CatalogueView: how to show status
// text, switch its commands and ask the user.
#pragma once

#include "Catalogue.h"
#include "ChapterView.h"
#include "DriveList.h"

#include <QObject>
#include <QString>

class QDialog;
class Tfrmdvdlist;
class TForm3;

namespace pellavan {

// What the disc commands show and switch on the main window.
class CatalogueView {
public:
    virtual ~CatalogueView() = default;
    virtual void ShowStatus(const QString &text) = 0;          // statusinfo caption and hint
    virtual void SetConvertEnabled(bool on) = 0;               // btnconvert
    virtual void EnterDiscLoaded() = 0;                        // the commands that need a disc
    virtual void EnterNoDisc() = 0;                            // a load failed: back to no disc
    // Why the last opening failed, in plain words; "" after one that worked.
    virtual void ShowNotice(const QString &text) = 0;
    virtual void ShowInformation(const QString &text) = 0;     // information box with one OK
    virtual QString ChooseFolder(const QString &title) = 0;    // a folder or a disc image; empty when cancelled
    virtual int ExecDialog(QDialog &dialog) = 0;               // modal
};

class CatalogueCommands : public QObject {
    Q_OBJECT
public:

    CatalogueCommands(ConverterInstance &instance, DiscCatalogue &disc, ChapterView &view,
                      DriveSystem &drives, Tfrmdvdlist &dvdList, TForm3 &report, CatalogueView &window,
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


    // The drives found by the last Open DVD.
    const std::vector<std::string> &DriveList() const { return m_driveList; }

private:
    void discOpened(bool loaded);

    ConverterInstance &m_instance;
    DiscCatalogue &m_disc;
    ChapterView &m_view;
    DriveSystem &m_drives;
    Tfrmdvdlist &m_dvdList;
    TForm3 &m_report;
    CatalogueView &m_window;
    std::vector<std::string> m_driveList;
};

} // namespace pellavan
