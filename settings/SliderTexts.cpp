// SPDX-License-Identifier: GPL-3.0-or-later
#include "SliderTexts.h"

#include <QLocale>

namespace pellavan {

QString ShortestDecimal(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}

QString HundredthsText(int position) { return ShortestDecimal(position / 100.0); }

QString QualityCaption(int position) { return QStringLiteral("Video Quality:%1").arg(position); }

QString VolumeCaption(int position) { return QStringLiteral("Volume:") + HundredthsText(position); }

} // namespace pellavan
