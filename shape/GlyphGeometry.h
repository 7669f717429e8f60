// The geometry records of one glyph, in FNT units, and the one rule by which
// FNT values become integers.
#pragma once

#include <QList>
#include <QPointF>

#include <cmath>
#include <limits>

// One straight segment, in drawing order; not yet truncated.
struct GlyphLine
{
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
};

// A pen-down run of three or more points, in drawing order.
struct GlyphPolyline
{
    qint32 pointCount = 0;
    QList<QPointF> points;
};

// A circular arc, counter-clockwise from startAngle to endAngle (degrees,
// endAngle >= startAngle, not reduced to one turn).
struct GlyphArc
{
    double centerX = 0.0;
    double centerY = 0.0;
    qint32 radius = 0;
    float startAngle = 0.0f;
    float endAngle = 0.0f;
};

// Truncation toward zero. Hostile fonts can drive coordinates to infinity or
// NaN, and converting such a double to int is undefined behaviour, so every
// truncation goes through here: out-of-range values saturate, NaN gives 0.
inline qint32 truncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return std::numeric_limits<qint32>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<qint32>::min();
    return static_cast<qint32>(value);
}

// An extent widened to a value: truncToInt of the lesser (greater) of both.
// Where the extent stays, nothing is truncated: an int32 converts to double
// and back unchanged, and a NaN value compares false and leaves it.
inline void lowerExtent(qint32 &extent, double value)
{
    if (value < extent)
        extent = truncToInt(value);
}

inline void raiseExtent(qint32 &extent, double value)
{
    if (value > extent)
        extent = truncToInt(value);
}

// Degrees to float: angles are small by construction, but a NaN or an
// out-of-range value must still convert without undefined behaviour.
inline float toAngle(double degrees)
{
    if (std::isnan(degrees))
        return std::numeric_limits<float>::quiet_NaN();
    constexpr double largest = std::numeric_limits<float>::max();
    if (degrees > largest)
        return std::numeric_limits<float>::infinity();
    if (degrees < -largest)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(degrees);
}
