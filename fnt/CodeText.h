// Character codes and shape numbers as every message prints them: 0x and
// four hex digits, so a shape number and a two-byte code look alike and a
// person can look either up in a code chart.
#pragma once

#include <QString>

namespace fnt {

inline QString codeText(int code)
{
    return QStringLiteral("0x") + QString::number(code, 16).rightJustified(4, QLatin1Char('0')).toUpper();
}

} // namespace fnt
