// The geometry of the glyph being converted, kept in FNT units.
#include "job/ConversionJob.h"

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
        // A list left by an earlier glyph keeps its memory: no allocation
        // per polyline once the first few glyphs are done.
        GlyphPolyline polyline;
        if (!spareLists.isEmpty())
            polyline.points = spareLists.takeLast();
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
    glyphBytes.resize(0); // clear() would free the buffer the next glyph reuses
    lines.clear();
    for (GlyphPolyline &polyline : polylines) {
        polyline.points.clear();
        spareLists.append(std::move(polyline.points));
    }
    polylines.clear();
    arcs.clear();
    arcReaches.clear();
    xShift = 0.0;
    glyphStepsLeft = kMaxStepsPerGlyph;
    extentStarted = false;
    extentRestarted = false;
}

// The extents the glyph would get if it were drawn again with every x
// moved by `shift`, worked out from the recorded geometry with the same
// additions toFntPoint and addArc make, so the values are the same doubles.
// Taking a minimum and truncating toward zero commute with each other, so
// the order of the points does not matter; only the first point, which
// starts the extents, is singled out.
void ConversionJob::shiftExtents(double shift)
{
    qint32 least = truncToInt(firstMappedX + shift);
    qint32 most = least;
    auto lower = [&](double x) { lowerExtent(least, x); };
    auto higher = [&](double x) { raiseExtent(most, x); };
    auto widen = [&](double x) {
        higher(x);
        lower(x);
    };
    for (const GlyphLine &line : std::as_const(lines)) {
        widen(line.x1 + shift);
        widen(line.x2 + shift);
    }
    for (const GlyphPolyline &polyline : std::as_const(polylines)) {
        for (const QPointF &point : polyline.points)
            widen(point.x() + shift);
    }
    for (qsizetype i = 0; i < arcs.size(); ++i) {
        const ArcReach &reach = arcReaches.at(i);
        const double centerX = arcs.at(i).centerX + shift;
        widen(centerX);
        widen(centerX + reach.startDx);
        widen(centerX + reach.endDx);
        if (reach.passesLeft)
            lower(centerX - reach.radius);
        if (reach.passesRight)
            higher(centerX + reach.radius);
    }
    minX = least;
    maxX = most;
}
