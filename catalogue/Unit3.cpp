// SPDX-License-Identifier: GPL-3.0-or-later
#include "Unit3.h"

#include <QPlainTextEdit>
#include <QPushButton>

TForm3::TForm3(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("DVD Proptery"));
    setFixedSize(395, 313);

    dvdinfo = new QPlainTextEdit(QStringLiteral("dvdinfo"), this);
    dvdinfo->setObjectName(QStringLiteral("dvdinfo"));
    dvdinfo->setGeometry(8, 8, 377, 241);
    dvdinfo->setReadOnly(true);
    dvdinfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    dvdinfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    dvdinfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont f = dvdinfo->font();
    f.setPixelSize(14);
    dvdinfo->setFont(f);
    QPalette pal = dvdinfo->palette();
    pal.setColor(QPalette::Text, Qt::black);
    dvdinfo->setPalette(pal);

    okButton = new QPushButton(QStringLiteral("&OK"), this);
    okButton->setGeometry(302, 256, 75, 25);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TForm3::SetReport(const std::vector<std::string> &lines)
{
    QStringList text;
    for (const auto &l : lines)
        text << QString::fromUtf8(l.data(), qsizetype(l.size()));
    dvdinfo->setPlainText(text.join(QLatin1Char('\n')));
}
