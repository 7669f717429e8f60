// Reading and printing character codes.
#include "Codes.h"

#include "fnt/CodeText.h"

#include <QStringList>

namespace cli {

int parseCode(const QString &text)
{
    QString digits = text.trimmed();
    int base = 10;
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
        || digits.startsWith(QLatin1String("U+"), Qt::CaseInsensitive)) {
        digits = digits.mid(2);
        base = 16;
    }
    // toInt would take a sign or a second prefix; a code is digits only.
    if (digits.isEmpty())
        return -1;
    for (const QChar c : std::as_const(digits)) {
        const bool digit = base == 10 ? c.isDigit() && c.unicode() < 128
                                      : QStringLiteral("0123456789abcdefABCDEF").contains(c);
        if (!digit)
            return -1;
    }
    bool ok = false;
    const qlonglong code = digits.toLongLong(&ok, base);
    return ok && code >= 0 && code <= 0xFFFF ? int(code) : -1;
}

bool parseCodeRanges(const QString &text, QList<CodeRange> &ranges, QString &error)
{
    ranges.clear();
    const QStringList parts = text.split(QLatin1Char(','));
    for (const QString &part : parts) {
        const QStringList ends = part.split(QLatin1Char('-'));
        if (ends.size() > 2 || part.trimmed().isEmpty()) {
            error = QStringLiteral("'%1' is not a code or a range FIRST-LAST").arg(part.trimmed());
            return false;
        }
        // "-5" and "5-" read as a range with one end left out, not as a
        // negative code or an empty one.
        if (ends.size() == 2 && (ends.first().trimmed().isEmpty() || ends.last().trimmed().isEmpty())) {
            error = QStringLiteral("'%1' lacks its %2 code: write a range as FIRST-LAST, such as 32-126")
                        .arg(part.trimmed(), ends.first().trimmed().isEmpty() ? QStringLiteral("first")
                                                                              : QStringLiteral("last"));
            return false;
        }
        CodeRange range;
        range.first = parseCode(ends.first());
        range.last = parseCode(ends.last());
        for (const QString &end : ends) {
            if (parseCode(end) < 0) {
                error = QStringLiteral("'%1' is not a code from 0 to 0xFFFF (write 65, 0x41 "
                                       "or U+0041)")
                            .arg(end.trimmed());
                return false;
            }
        }
        if (range.first > range.last) {
            error = QStringLiteral("the range %1 is reversed: %2 comes after %3; write %4")
                        .arg(part.trimmed(), formatCode(range.first), formatCode(range.last),
                             formatRange(range.last, range.first));
            return false;
        }
        ranges.append(range);
    }
    return true;
}

bool rangesContain(const QList<CodeRange> &ranges, int code)
{
    for (const CodeRange &range : ranges) {
        if (range.contains(code))
            return true;
    }
    return false;
}

QString formatCode(int code)
{
    return fnt::codeText(code);
}

QString formatRange(int first, int last)
{
    return first == last ? formatCode(first)
                         : formatCode(first) + QLatin1Char('-') + formatCode(last);
}

} // namespace cli
