// SPDX-License-Identifier: GPL-3.0-or-later
#include "DiscSourceDialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTimer>

namespace pellavan {

bool IsDiscImageName(const QString &fileName) { return fileName.endsWith(QStringLiteral(".iso"), Qt::CaseInsensitive); }

DiscSourceDialog::DiscSourceDialog(QWidget *parent, const QString &caption) : QFileDialog(parent, caption)
{
    // Qt's own dialog: a desktop's folder chooser would hide the image files.
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly, false);
    setNameFilter(QStringLiteral("*.iso *.ISO *.Iso"));
    // No navigation tool bar: the places list and the path box go where it would.
    for (const char *name : {"backButton", "forwardButton", "toParentButton", "newFolderButton", "listModeButton",
                             "detailModeButton"})
        if (auto *button = findChild<QWidget *>(QLatin1String(name)))
            button->hide();
}

QString DiscSourceDialog::ChosenImage() const
{
    // The name in the file box (typed, or set by a click) first, then what
    // the list has selected.
    QStringList candidates;
    if (auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit")); edit && !edit->text().isEmpty())
        candidates << directory().absoluteFilePath(edit->text());
    candidates << selectedFiles();
    for (const QString &candidate : candidates) {
        const QFileInfo info(candidate);
        if (info.isFile() && IsDiscImageName(info.fileName()))
            return info.absoluteFilePath();
        if (info.isDir())
            break;   // a folder is chosen as any folder dialog chooses it
    }
    return {};
}

void DiscSourceDialog::accept()
{
    if (const QString image = ChosenImage(); !image.isEmpty()) {
        m_chosen = image;
        QDialog::accept();
        return;
    }
    QFileDialog::accept();
    if (result() == QDialog::Accepted && !selectedFiles().isEmpty())
        m_chosen = selectedFiles().front();
}

void DiscSourceDialog::showEvent(QShowEvent *event)
{
    QFileDialog::showEvent(event);
    if (m_wired)
        return;
    m_wired = true;
    // A folder dialog greys its button out for any file; after it has
    // decided, an image gets it back.
    auto later = [this] { QTimer::singleShot(0, this, &DiscSourceDialog::UpdateChooseButton); };
    if (auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        connect(edit, &QLineEdit::textChanged, this, later);
    if (auto *list = findChild<QListView *>(QStringLiteral("listView")); list && list->selectionModel())
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, later);
}

void DiscSourceDialog::UpdateChooseButton()
{
    auto *box = findChild<QDialogButtonBox *>();
    QPushButton *choose = box ? box->button(QDialogButtonBox::Open) : nullptr;
    if (choose && !ChosenImage().isEmpty())
        choose->setEnabled(true);
}

QString ChooseDiscSource(QWidget *parent, const QString &caption)
{
    DiscSourceDialog dialog(parent, caption);
    return dialog.exec() == QDialog::Accepted ? dialog.Chosen() : QString();
}

} // namespace pellavan
