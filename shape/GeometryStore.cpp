// The geometry of the glyph being converted, kept in FNT units.
#include "job/ConversionJob.h"

QPointF ConversionJob::toFntPoint(const QPointF &point)
{
    // Divide first, then scale: the other order rounds differently, and the
    // file holds truncated integers.
    const double x = point.x() / double(above) * double(fntWidth) + xShift;
    const double y = point.y() / double(above) * double(fntHeight) + double(fntBaseline);

    if (minX == kEmptyExtent && maxX == kEmptyExtent) {
        minX = maxX = truncToInt(x);
    } else {
        maxX = truncToInt(x > maxX ? x : double(maxX));
        minX = truncToInt(x < minX ? x : double(minX));
    }
    minY = truncToInt(y < minY ? y : double(minY));
    return QPointF(x, y);
}

void ConversionJob::flushPendingPoints()
{
    const qsizetype count = pendingPoints.size();
    if (count < 2)
        return;
    if (count == 2) {
        const QPointF first = toFntPoint(pendingPoints.at(0));
        const QPointF second = toFntPoint(pendingPoints.at(1));
        lines.append(GlyphLine{first.x(), first.y(), second.x(), second.y()});
    } else {
        GlyphPolyline polyline;
        polyline.points.reserve(count);
        for (const QPointF &point : std::as_const(pendingPoints))
            polyline.points.append(toFntPoint(point));
        polyline.pointCount = qint32(count);
        polylines.append(std::move(polyline));
    }
    pendingPoints.clear();
}

void ConversionJob::resetGlyph()
{
    currentX = currentY = 0.0;
    scaleX = scaleY = 1.0;
    penDown = true;
    positionStack.clear();
    pendingPoints.clear();
    minX = maxX = kEmptyExtent;
    glyphBytes.clear();
    lines.clear();
    polylines.clear();
    arcs.clear();
    xShift = 0.0;
    glyphStepsLeft = kMaxStepsPerGlyph;
}
