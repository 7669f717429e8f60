// How the readers word a failure: numbers grouped by commas whatever the
// user's locale, so a reason reads the same in every log.
#pragma once

#include <QLocale>
#include <QString>

namespace shx {

inline QString grouped(qint64 value)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::DefaultNumberOptions); // the C locale omits separators
    return c.toString(value);
}

// "1 byte", "1,024 bytes"
inline QString byteCount(qint64 count)
{
    return grouped(count) + (count == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));
}

// "<what> runs past the end of the file (<part> at byte P, file has N bytes)"
inline QString pastEnd(const QString &what, const QString &part, qint64 position, qint64 size)
{
    return QStringLiteral("%1 runs past the end of the file (%2 at byte %3, file has %4)")
        .arg(what, part, grouped(position), byteCount(size));
}

inline QString entry(qint64 index)
{
    return QStringLiteral("entry %1").arg(grouped(index));
}

} // namespace shx
