// Helpers shared by the core tests: loading a built font into a job, a
// readable account of a glyph's geometry, and big-endian reads of FNT bytes.
#pragma once

#include "job/ConversionJob.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace coretest {

// Loads `bytes` the way a conversion does, without a file.
inline bool load(ConversionJob &job, const QByteArray &bytes)
{
    job.reset();
    return job.loadShxBytes(bytes);
}

// Runs one shape as the glyph encoder does.
inline bool runShape(ConversionJob &job, quint16 number)
{
    job.resetGlyph();
    return job.interpretShape(number);
}

// FNT units equal shape units: the tests of the interpreter and of arcs then
// read their expected values straight off the byte code.
inline void useShapeUnits(ConversionJob &job)
{
    job.above = 128;
    job.fntBaseline = 0;
}

inline QString number(double value)
{
    const double rounded = std::round(value * 1e6) / 1e6;
    return QString::number(rounded == 0.0 ? 0.0 : rounded, 'g', 12);
}

inline QString point(double x, double y)
{
    return number(x) + QLatin1Char(',') + number(y);
}

// "L x,y x,y" per line, "P x,y x,y x,y ..." per polyline, "A cx,cy r from..to"
// per arc, in the order the encoder writes them, separated by "; ".
inline QString describe(const ConversionJob &job)
{
    QStringList parts;
    for (const GlyphLine &line : job.lines)
        parts << QStringLiteral("L %1 %2").arg(point(line.x1, line.y1), point(line.x2, line.y2));
    for (const GlyphPolyline &polyline : job.polylines) {
        QStringList points;
        for (const QPointF &p : polyline.points)
            points << point(p.x(), p.y());
        parts << QStringLiteral("P ") + points.join(QLatin1Char(' '));
    }
    for (const GlyphArc &arc : job.arcs)
        parts << QStringLiteral("A %1 %2 %3..%4")
                     .arg(point(arc.centerX, arc.centerY))
                     .arg(arc.radius)
                     .arg(number(arc.startAngle))
                     .arg(number(arc.endAngle));
    return parts.join(QStringLiteral("; "));
}

inline quint16 u16At(const QByteArray &bytes, qsizetype pos)
{
    return qFromBigEndian<quint16>(bytes.constData() + pos);
}

inline qint16 i16At(const QByteArray &bytes, qsizetype pos)
{
    return qint16(u16At(bytes, pos));
}

inline quint32 u32At(const QByteArray &bytes, qsizetype pos)
{
    return qFromBigEndian<quint32>(bytes.constData() + pos);
}

inline float f32At(const QByteArray &bytes, qsizetype pos)
{
    const quint32 bits = u32At(bytes, pos);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace coretest
