// SPDX-License-Identifier: GPL-3.0-or-later
#include "ElidedComboBox.h"

#include <QAbstractItemView>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace pellavan {

namespace {
QRect TextPlace(const QComboBox &box, const QStyleOptionComboBox &option)
{
    return box.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &box);
}
} // namespace

QString ElidedComboBox::ShownText() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return fontMetrics().elidedText(currentText(), Qt::ElideRight, TextPlace(*this, option).width());
}

void ElidedComboBox::showPopup()
{
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 2 * view()->frameWidth() + 8);
    QComboBox::showPopup();
}

void ElidedComboBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = ShownText();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

} // namespace pellavan
