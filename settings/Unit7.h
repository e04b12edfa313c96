// SPDX-License-Identifier: GPL-3.0-or-later
// The crop dialog: a still of the opened disc with a red rectangle marking
// the kept area, and four boxes for its edges.  The rectangle and whether the
// user confirmed it live in a CropState, which the job driver reads.
#pragma once

#include "ConverterInstance.h"
#include "CropState.h"

#include <QDialog>
#include <QImage>

#include <span>

namespace pellavan {
class UserPrompts;
}
class QLabel;
class QPushButton;
class QSpinBox;

class Tfrmpre : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmpre(QWidget *parent = nullptr);

    // The "Crop Settings" command: picks the preview title, begins the
    // engine's still preview, shows the first still, runs the dialog through
    // `prompts` and ends the preview.  Returns the dialog's result, or -1
    // when there is nothing to preview.
    int CropSettings1Click(pellavan::ConverterInstance &instance, std::span<const pellavan::CropTitle> titles,
                           void *deviceContext, pellavan::UserPrompts &prompts);
    // Everything of the above but running the dialog; false when no title qualifies.
    bool BeginPreview(pellavan::ConverterInstance &instance, std::span<const pellavan::CropTitle> titles,
                      void *deviceContext);

    // Ends the engine's still preview if one is running; every closing does.
    void EndPreview();

    bool CropAccepted() const { return m_crop.Accepted(); }
    // The engine's crop margins while the crop is accepted.
    std::optional<pellavan::CropMargins> Margins() const { return m_crop.Margins(); }
    const pellavan::CropState &Crop() const { return m_crop; }
    const QImage &Picture() const { return m_image; }

    void btnfullClick();
    void btnnextClick();

    QSpinBox *etop;
    QSpinBox *ebot;
    QSpinBox *eleft;
    QSpinBox *eright;
    QWidget *PaintBox1;
    QLabel *lmessage; // says when the engine gave no picture
    QPushButton *btnfull;
    QPushButton *btnnext;
    QPushButton *btnok;
    QPushButton *btncancel;

    // Paints the picture and the rectangle onto PaintBox1.
    void PaintBox1Paint(QPainter &painter) const;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override; // every closing ends the engine's preview

private:
    void ShowPicture(pellavan::PicturePtr picture);
    void BoxChange();
    void Refresh();

    pellavan::CropState m_crop;
    QImage m_image;
    pellavan::ConverterEngine *m_engine = nullptr;
    DCHandle m_handle = 0;
    void *m_deviceContext = nullptr;
    bool m_previewing = false;
};
