// SPDX-License-Identifier: GPL-3.0-or-later
#include "Unit4.h"

#include "widgets/Skin.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

TForm4::TForm4(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("About Pellavan"));
    setFixedSize(340, 150);

    Image1 = new QLabel(this);
    Image1->setGeometry(16, 16, 64, 64);
    Image1->setPixmap(QPixmap::fromImage(pellavan::SkinPicture("icon")));

    QFont big = font();
    big.setPixelSize(18);
    big.setBold(true);
    Label1 = new QLabel(QStringLiteral("Pellavan"), this);
    Label1->setFont(big);
    Label1->setGeometry(96, 16, 228, 24);
    Label2 = new QLabel(QStringLiteral("Version %1").arg(QStringLiteral(PELLAVAN_VERSION)), this);
    Label2->setGeometry(96, 42, 228, 18);
    Label3 = new QLabel(QStringLiteral("Converts the titles and chapters of a video DVD into video files for Zune players."),
                        this);
    Label3->setWordWrap(true);
    Label3->setGeometry(96, 62, 228, 40);

    btnok = new QPushButton(QStringLiteral("OK"), this);
    btnok->setGeometry(252, 112, 72, 25);
    btnok->setDefault(true);
    connect(btnok, &QPushButton::clicked, this, &QDialog::accept);
}
