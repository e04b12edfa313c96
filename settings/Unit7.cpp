// SPDX-License-Identifier: GPL-3.0-or-later
#include "Unit7.h"

#include "widgets/EnginePicture.h"
#include "widgets/Prompts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace pellavan;

namespace {

constexpr int kStepsPerImage = 100;

class CropSpinBox : public QSpinBox {
public:
    explicit CropSpinBox(QWidget *parent) : QSpinBox(parent) { lineEdit()->setMaxLength(3); }
};

class PaintArea : public QWidget {
public:
    explicit PaintArea(Tfrmpre *owner) : QWidget(owner), m_owner(owner)
    {
        setFixedSize(CropState::kAreaWidth + 4, CropState::kAreaHeight + 4);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        m_owner->PaintBox1Paint(painter);
    }

private:
    Tfrmpre *m_owner;
};

} // namespace

Tfrmpre::Tfrmpre(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Crop image settings"));
    PaintBox1 = new PaintArea(this);
    lmessage = new QLabel(this);
    lmessage->hide();

    auto *group = new QGroupBox(QStringLiteral("Crop Settings"), this);
    etop = new CropSpinBox(group);
    ebot = new CropSpinBox(group);
    eleft = new CropSpinBox(group);
    eright = new CropSpinBox(group);
    auto *grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Top:"), group), 0, 0);
    grid->addWidget(etop, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Bottom:"), group), 0, 2);
    grid->addWidget(ebot, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Left:"), group), 1, 0);
    grid->addWidget(eleft, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Rigth:"), group), 1, 2);
    grid->addWidget(eright, 1, 3);

    btnfull = new QPushButton(QStringLiteral("Full Screen"), this);
    btnnext = new QPushButton(QStringLiteral("Next Image"), this);
    btnok = new QPushButton(QStringLiteral("&OK"), this);
    btncancel = new QPushButton(QStringLiteral("&Cancel"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnfull);
    buttons->addWidget(btnnext);
    buttons->addStretch();
    buttons->addWidget(btnok);
    buttons->addWidget(btncancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PaintBox1);
    layout->addWidget(lmessage);
    layout->addWidget(group);
    layout->addLayout(buttons);

    for (QSpinBox *box : {etop, ebot, eleft, eright}) {
        connect(box, &QSpinBox::valueChanged, this, &Tfrmpre::BoxChange);
        connect(box, &QSpinBox::editingFinished, PaintBox1, qOverload<>(&QWidget::update));
    }
    connect(btnfull, &QPushButton::clicked, this, &Tfrmpre::btnfullClick);
    connect(btnnext, &QPushButton::clicked, this, &Tfrmpre::btnnextClick);
    connect(btnok, &QPushButton::clicked, this, [this] {
        m_crop.Accept();
        accept();
    });
    connect(btncancel, &QPushButton::clicked, this, &QDialog::reject);
    Refresh();
}

bool Tfrmpre::BeginPreview(ConverterInstance &instance, std::span<const CropTitle> titles, void *deviceContext)
{
    const std::optional<int> title = ChoosePreviewTitle(titles);
    if (!title)
        return false;
    EndPreview(); // never two previews at once
    ConverterEngine &engine = instance.Engine();
    // The preview ends on the instance it began on.
    const DCHandle handle = instance.Handle();
    m_engine = &engine;
    m_handle = handle;
    m_deviceContext = deviceContext;
    m_previewing = true;
    engine.Converter_BeginPreview(handle, *title, titles[size_t(*title)].listedChapterCount > 1 ? 1 : 0);
    m_image = QImage();
    ShowPicture(engine.Converter_GetPreview2(handle, deviceContext, 1));
    m_crop.SetPicture(m_image.width(), m_image.height());
    Refresh();
    return true;
}

int Tfrmpre::CropSettings1Click(ConverterInstance &instance, std::span<const CropTitle> titles,
                                void *deviceContext, UserPrompts &prompts)
{
    if (!BeginPreview(instance, titles, deviceContext))
        return -1;
    const int result = prompts.ShowModal(this);
    // A dialog that closed without done() (a stand-in answering for the
    // user) must not leave the engine previewing.
    EndPreview();
    return result;
}

void Tfrmpre::ShowPicture(PicturePtr picture)
{
    const QImage image = PictureImage(picture.get());
    if (!image.isNull())
        m_image = image;
    PaintBox1->update();
}

void Tfrmpre::showEvent(QShowEvent *event)
{
    m_crop.Show();
    Refresh();
    QDialog::showEvent(event);
}

void Tfrmpre::EndPreview()
{
    if (m_previewing && m_engine)
        m_engine->Converter_EndPreview(m_handle);
    m_previewing = false;
}

void Tfrmpre::done(int result)
{
    EndPreview();
    QDialog::done(result);
}

void Tfrmpre::btnfullClick()
{
    m_crop.FullScreen();
    Refresh();
}

void Tfrmpre::btnnextClick()
{
    if (!m_previewing || !m_engine)
        return;
    for (int i = 0; i < kStepsPerImage; ++i)
        m_engine->Converter_GetPreview2(m_handle, m_deviceContext, 0);
    ShowPicture(m_engine->Converter_GetPreview2(m_handle, m_deviceContext, 1));
}

void Tfrmpre::BoxChange()
{
    m_crop.SetTop(etop->value());
    m_crop.SetBottom(ebot->value());
    m_crop.SetLeft(eleft->value());
    m_crop.SetRight(eright->value());
    PaintBox1->update();
}

void Tfrmpre::Refresh()
{
    const bool picture = m_crop.HasPicture();
    const QSignalBlocker b1(etop), b2(ebot), b3(eleft), b4(eright);
    etop->setRange(0, m_crop.Height());
    ebot->setRange(picture ? 1 : 0, m_crop.Height());
    eleft->setRange(0, m_crop.Width());
    eright->setRange(picture ? 1 : 0, m_crop.Width());
    etop->setValue(m_crop.Top());
    ebot->setValue(m_crop.Bottom());
    eleft->setValue(m_crop.Left());
    eright->setValue(m_crop.Right());
    for (QWidget *w : {static_cast<QWidget *>(etop), static_cast<QWidget *>(ebot), static_cast<QWidget *>(eleft),
                       static_cast<QWidget *>(eright), static_cast<QWidget *>(btnfull)})
        w->setEnabled(picture);
    lmessage->setText(picture ? QString() : QStringLiteral("The disc gave no preview picture, so the image cannot be cropped."));
    lmessage->setVisible(!picture && m_previewing);
    PaintBox1->update();
}

void Tfrmpre::PaintBox1Paint(QPainter &painter) const
{
    if (!m_image.isNull())
        painter.drawImage(QRect(2, 2, CropState::kAreaWidth, CropState::kAreaHeight), m_image);
    const std::optional<CropRect> r = m_crop.PaintRect();
    if (!r)
        return;
    painter.setPen(QPen(Qt::red, 3));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(QPoint(r->left, r->top), QPoint(r->right - 1, r->bottom - 1)));
}
