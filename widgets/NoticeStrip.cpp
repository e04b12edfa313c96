// SPDX-License-Identifier: GPL-3.0-or-later
#include "NoticeStrip.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QStyle>
#include <QTextLayout>

namespace pellavan {

namespace {
constexpr int kMarkSize = 16;
constexpr int kGap = 4;
} // namespace

QString FirstLines(const QString &text, const QFont &font, int width, int lines)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    QStringList shown;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (int(shown.size()) == lines - 1) {
            // The last line takes the rest, shortened to fit.
            shown << QFontMetrics(font).elidedText(text.mid(line.textStart()).trimmed(), Qt::ElideRight, width);
            break;
        }
        shown << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return shown.join(QLatin1Char('\n'));
}

NoticeStrip::NoticeStrip(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("noticestrip"));
    m_mark = new QLabel(this);
    m_mark->setPixmap(QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(kMarkSize, kMarkSize));
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("noticetext"));
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    hide();
}

void NoticeStrip::ShowNotice(const QString &text)
{
    m_notice = text;
    setToolTip(text);
    Layout();
    setVisible(!text.isEmpty());
}

QString NoticeStrip::ShownText() const { return m_text->text(); }

void NoticeStrip::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    Layout();
}

void NoticeStrip::Layout()
{
    const QRect r = contentsRect();
    m_mark->setGeometry(r.left(), r.top() + (r.height() - kMarkSize) / 2, kMarkSize, kMarkSize);
    const int textLeft = r.left() + kMarkSize + kGap;
    m_text->setGeometry(textLeft, r.top(), r.right() + 1 - textLeft, r.height());
    m_text->setText(FirstLines(m_notice, m_text->font(), m_text->width(), 2));
}

} // namespace pellavan
