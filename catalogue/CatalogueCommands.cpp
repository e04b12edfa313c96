// SPDX-License-Identifier: GPL-3.0-or-later
#include "CatalogueCommands.h"

#include "PropertyReport.h"
#include "TreeRules.h"
#include "Unit2.h"
#include "Unit3.h"

#include <QFileInfo>

namespace pellavan {

CatalogueCommands::CatalogueCommands(ConverterInstance &instance, DiscCatalogue &disc, ChapterView &view,
                                     DriveSystem &drives, Tfrmdvdlist &dvdList, TForm3 &report, CatalogueView &window,
                                     QObject *parent)
    : QObject(parent), m_instance(instance), m_disc(disc), m_view(view), m_drives(drives),
      m_dvdList(dvdList), m_report(report), m_window(window)
{
    m_view.SetCatalogue(&m_disc);
    m_dvdList.loadRow = [this](const std::string &root, const std::string &name) { discOpened(LoadDisc(root, name)); };
    connect(&m_view, &ChapterView::chapterviewMouseDown, this, &CatalogueCommands::chapterviewMouseDown);
    connect(&m_view, &ChapterView::chapterviewMouseUp, this, &CatalogueCommands::chapterviewMouseUp);
    connect(&m_view, &ChapterView::chapterviewMouseMove, this, &CatalogueCommands::chapterviewMouseMove);
}

bool CatalogueCommands::LoadDisc(const std::string &root, const std::string &name)
{
    return pellavan::LoadDisc(m_instance, m_disc, root, name);
}

// The disc commands follow what the tree holds: a refused disc leaves an
// empty tree, and Convert is only usable while something is checked.  The
// engine's reason for a refusal is shown beside the empty tree's window.
void CatalogueCommands::discOpened(bool loaded)
{
    if (loaded)
        m_window.EnterDiscLoaded();
    else
        m_window.EnterNoDisc();
    const std::string notice = loaded ? std::string() : DiscRefusedText(m_instance.Engine().LastError(m_instance.Handle()));
    m_window.ShowNotice(QString::fromStdString(notice));
    m_window.SetConvertEnabled(HasCheckedItems(m_disc.tree));
}

void CatalogueCommands::Open1Click()
{
    m_driveList = GetCDDrives(m_drives);
    std::vector<DvdRow> rows = FillDVDList(m_drives, m_driveList);
    m_dvdList.Fill(rows);
    if (rows.size() >= 2) {
        m_window.ExecDialog(m_dvdList);   // "&OK" loads the chosen row
    } else if (rows.size() == 1) {
        discOpened(LoadDisc(rows[0].root, rows[0].volume));
    } else {
        m_window.ShowInformation(QStringLiteral("No DVD Media Find."));
    }
}

void CatalogueCommands::OpenDVDFolder1Click()
{
    QString folder = m_window.ChooseFolder(QStringLiteral("Select DVD folder"));
    if (folder.isEmpty())
        return;
    // A disc image opens as a folder would, named by its own label.
    if (QFileInfo(folder).isFile()) {
        const std::string image = folder.toUtf8().toStdString();
        discOpened(LoadDisc(image, DiscImageName(image)));
        return;
    }
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    QByteArray path = folder.toUtf8();
    discOpened(LoadDisc(path.toStdString(), kUnknownDiscName));
}

void CatalogueCommands::DVDProperty1Click()
{
    if (m_disc.tree.Empty())
        return;
    m_report.SetReport(PropertyReportLines(m_disc));
    m_window.ExecDialog(m_report);
}

void CatalogueCommands::SelectAllItems1Click()
{
    m_window.SetConvertEnabled(SelectAllItems(m_disc.tree));
}

void CatalogueCommands::UnSelectAllItems1Click()
{
    m_window.SetConvertEnabled(UnSelectAllItems(m_disc.tree));
}

void CatalogueCommands::chapterviewMouseDown(const TreeHit &hit, Qt::MouseButtons)
{
    std::optional<std::string> line = TreeMouseDown(m_disc.tree, m_disc.info, hit);
    if (line)
        m_window.ShowStatus(QString::fromUtf8(line->data(), qsizetype(line->size())));
}

void CatalogueCommands::chapterviewMouseUp(const TreeHit &hit, Qt::MouseButtons buttons)
{
    m_window.SetConvertEnabled(TreeMouseUp(m_disc.tree, hit, buttons.testFlag(Qt::LeftButton)));
}

void CatalogueCommands::chapterviewMouseMove(const TreeHit &hit, Qt::MouseButtons buttons)
{
    TreeMouseMove(m_disc.tree, hit, buttons.testFlag(Qt::LeftButton));
}

} // namespace pellavan
