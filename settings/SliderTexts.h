// SPDX-License-Identifier: GPL-3.0-or-later
// Caption and hint texts that follow a slider's position.
#pragma once

#include <QString>

namespace pellavan {

// value in the shortest decimal form: at most 15 significant digits, no
// trailing zeros, the decimal separator of the default locale.
QString ShortestDecimal(double value);
// A slider position divided by 100 in that form: 15 -> "0.15", -500 -> "-5".
QString HundredthsText(int position);

QString QualityCaption(int position);  // "Video Quality:%d"
QString VolumeCaption(int position);   // "Volume:%s", 100 -> "Volume:1"

} // namespace pellavan
