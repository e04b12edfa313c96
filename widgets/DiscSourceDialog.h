// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog of Open DVD Folder: it shows folders and disc images (*.iso).
// A folder is chosen as in any folder dialog; a disc image by choosing the
// file itself.
#pragma once

#include <QFileDialog>

namespace pellavan {

// Whether a file name is a disc image's the dialog offers ("*.iso", any case).
bool IsDiscImageName(const QString &fileName);

class DiscSourceDialog : public QFileDialog {
    Q_OBJECT
public:
    DiscSourceDialog(QWidget *parent, const QString &caption);

    // The chosen folder or image file; empty until chosen.
    QString Chosen() const { return m_chosen; }

    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The image file the box or the list names; empty when it is none.
    QString ChosenImage() const;
    void UpdateChooseButton();

    QString m_chosen;
    bool m_wired = false;
};

// Shows the dialog modally; the chosen folder or image, empty when cancelled.
QString ChooseDiscSource(QWidget *parent, const QString &caption);

} // namespace pellavan
