// SPDX-License-Identifier: GPL-3.0-or-later
// A warning mark with a text beside it, wrapped over two lines and shortened
// with "..." past them, the whole text as its hint: what went wrong or what
// was skipped, readable without a message box and without hovering.
#pragma once

#include <QFrame>

class QLabel;

namespace pellavan {

class NoticeStrip : public QFrame {
    Q_OBJECT
public:
    explicit NoticeStrip(QWidget *parent);
    // Shows `text`; an empty text hides the strip.
    void ShowNotice(const QString &text);
    QString Notice() const { return m_notice; }
    // What the text label shows of it: at most two lines.
    QString ShownText() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void Layout();

    QLabel *m_mark;
    QLabel *m_text;
    QString m_notice;
};

// `text` laid out in lines of `width` pixels in `font`: the first
// `lines` lines, the last of them shortened with "..." when more follows.
QString FirstLines(const QString &text, const QFont &font, int width, int lines);

} // namespace pellavan
