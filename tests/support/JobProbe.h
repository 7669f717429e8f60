// The one window tests have on a job's scratch state: run a shape as the
// glyph encoder does and look at what it drew.
#pragma once

#include "job/ConversionJob.h"

struct ConversionJobProbe
{
    // The per-glyph reset, the glyph's x shift, then the interpreter; false
    // when a subshape was missing or nested too deeply.
    static bool drawShape(ConversionJob &job, quint16 shape, double shift = 0.0)
    {
        job.resetGlyph();
        job.xShift = shift;
        return job.interpretShape(shape);
    }
    static const QList<GlyphLine> &lines(const ConversionJob &job) { return job.lines; }
    static const QList<GlyphPolyline> &polylines(const ConversionJob &job) { return job.polylines; }
    static const QList<GlyphArc> &arcs(const ConversionJob &job) { return job.arcs; }
    static QPointF currentPoint(const ConversionJob &job) { return {job.currentX, job.currentY}; }
    static qint32 subshapeDepth(const ConversionJob &job) { return job.subshapeDepth; }
    static qint32 minX(const ConversionJob &job) { return job.minX; }
    static qint32 maxX(const ConversionJob &job) { return job.maxX; }
    // The Unicode codes of the shapes, in shape order, as a conversion maps them.
    static QList<quint16> mappedCodes(ConversionJob &job)
    {
        job.mapShapeCodes();
        return job.mappedCodes;
    }
};
