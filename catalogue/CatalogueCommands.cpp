#include "CatalogueCommands.h"

#include "PropertyReport.h"
#include "TreeRules.h"
#include "Unit2.h"
#include "Unit3.h"

#include <QFileInfo>

namespace pellavan {

CatalogueCommands::CatalogueCommands(ConverterEngine &engine, DCHandle &handle, DiscCatalogue &disc,
                                     ChapterView &view, DriveSystem &drives, Tfrmdvdlist &dvdList,
                                     TForm3 &report, Host host, QObject *parent)
    : QObject(parent), m_engine(engine), m_handle(handle), m_disc(disc), m_view(view), m_drives(&drives),
      m_dvdList(dvdList), m_report(report), m_host(std::move(host))
{
    m_view.SetCatalogue(&m_disc);
    m_dvdList.loadRow = [this](const std::string &root, const std::string &name) { discOpened(LoadDisc(root, name)); };
    connect(&m_view, &ChapterView::chapterviewMouseDown, this, &CatalogueCommands::chapterviewMouseDown);
    connect(&m_view, &ChapterView::chapterviewMouseUp, this, &CatalogueCommands::chapterviewMouseUp);
    connect(&m_view, &ChapterView::chapterviewMouseMove, this, &CatalogueCommands::chapterviewMouseMove);
}

int CatalogueCommands::exec(QDialog &dialog) { return m_host.execDialog ? m_host.execDialog(dialog) : dialog.exec(); }

bool CatalogueCommands::LoadDisc(const std::string &root, const std::string &name)
{
    return pellavan::LoadDisc(m_engine, m_handle, m_disc, root, name, m_host.createInstance);
}

// The disc commands follow what the tree holds: a refused disc leaves an
// empty tree, and Convert is only usable while something is checked.
void CatalogueCommands::discOpened(bool loaded)
{
    if (loaded) {
        if (m_host.enterDiscLoaded)
            m_host.enterDiscLoaded();
    } else if (m_host.enterNoDisc) {
        m_host.enterNoDisc();
    }
    if (m_host.setConvertEnabled)
        m_host.setConvertEnabled(HasCheckedItems(m_disc.tree));
}

void CatalogueCommands::Open1Click()
{
    m_driveList = GetCDDrives(*m_drives);
    std::vector<DvdRow> rows = FillDVDList(*m_drives, m_driveList);
    m_dvdList.Fill(rows);
    if (rows.size() >= 2) {
        exec(m_dvdList);   // "&OK" loads the chosen row
    } else if (rows.size() == 1) {
        discOpened(LoadDisc(rows[0].root, rows[0].volume));
    } else if (m_host.showInformation) {
        m_host.showInformation(QStringLiteral("No DVD Media Find."));
    }
}

void CatalogueCommands::OpenDVDFolder1Click()
{
    QString folder = m_host.chooseFolder ? m_host.chooseFolder(QStringLiteral("Select DVD folder")) : QString();
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
    exec(m_report);
}

void CatalogueCommands::SelectAllItems1Click()
{
    bool enabled = SelectAllItems(m_disc.tree);
    if (m_host.setConvertEnabled)
        m_host.setConvertEnabled(enabled);
}

void CatalogueCommands::UnSelectAllItems1Click()
{
    bool enabled = UnSelectAllItems(m_disc.tree);
    if (m_host.setConvertEnabled)
        m_host.setConvertEnabled(enabled);
}

void CatalogueCommands::chapterviewMouseDown(const TreeHit &hit, Qt::MouseButtons)
{
    std::optional<std::string> line = TreeMouseDown(m_disc.tree, m_disc.info, hit);
    if (line && m_host.showStatus)
        m_host.showStatus(QString::fromUtf8(line->data(), qsizetype(line->size())));
}

void CatalogueCommands::chapterviewMouseUp(const TreeHit &hit, Qt::MouseButtons buttons)
{
    bool enabled = TreeMouseUp(m_disc.tree, hit, buttons.testFlag(Qt::LeftButton));
    if (m_host.setConvertEnabled)
        m_host.setConvertEnabled(enabled);
}

void CatalogueCommands::chapterviewMouseMove(const TreeHit &hit, Qt::MouseButtons buttons)
{
    TreeMouseMove(m_disc.tree, hit, buttons.testFlag(Qt::LeftButton));
}

} // namespace pellavan
