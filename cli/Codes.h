// Character codes as people type them and as every command prints them.
//
// Codes are read in decimal, as 0x4E00 or as U+4E00, and always printed as
// 0x followed by four hex digits, so a shape number and a two-byte code look
// alike wherever they appear.
#pragma once

#include <QList>
#include <QString>

namespace cli {

struct CodeRange
{
    int first = 0;
    int last = 0xFFFF;

    bool contains(int code) const { return code >= first && code <= last; }
};

// "65", "0x41" or "U+0041" (any case, spaces around allowed); -1 when the
// text is not a code from 0 to 0xFFFF.
int parseCode(const QString &text);

// A list such as "32-126,0x4E00-0x4EFF,U+3000": single codes or FIRST-LAST,
// separated by commas. On failure `error` says what is wrong with which part.
bool parseCodeRanges(const QString &text, QList<CodeRange> &ranges, QString &error);

bool rangesContain(const QList<CodeRange> &ranges, int code);

// 0x0041
QString formatCode(int code);
// 0x0041-0x005A, or 0x0041 alone when first equals last.
QString formatRange(int first, int last);

} // namespace cli
