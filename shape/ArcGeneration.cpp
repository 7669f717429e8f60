// Octant, fractional and bulge-specified arcs, recorded as circle arcs.
//
// The arithmetic follows one fixed order of operations: the file holds
// truncated integers, so a reordered expression can change its bytes.
#include "job/ConversionJob.h"

#include <cmath>
#include <utility>

namespace {

constexpr double kPi = M_PI;
constexpr double kOctant = kPi / 4;
constexpr double kFullTurn = 2 * kPi;
constexpr double kOffsetStep = 1.0 / 256; // one fractional offset unit, in octants
constexpr double kBulgeDivisor = 254.0;   // a bulge of 127 is a half circle
// Below this a bisector is taken as vertical: its slope would be unusable.
constexpr double kFlat = 1e-13;

// Angle of `p` seen from the centre `c`, in radians above pi/2 and at most
// 5 pi/2.
double angleFrom(double cx, double cy, double px, double py)
{
    double beta;
    if (cx == px) {
        beta = cy > py ? kPi / 2 : 3 * kPi / 2;
    } else {
        beta = std::atan((py - cy) / (px - cx));
        if (px > cx)
            beta += kPi;
    }
    return beta + kPi;
}

// Cosine and sine of one angle, the one way every caller here gets them: a
// compiler may turn the pair into one sincos call, whose last bit can
// differ from separate cos and sin calls, so a value worked out ahead must
// come from the same expression as one worked out on the spot.
void cosSin(double angle, double out[2])
{
    out[0] = std::cos(angle);
    out[1] = std::sin(angle);
}

// Cosine and sine of the angles an arc without offsets starts or ends at:
// octant i, and octant i one turn on. Worked out once by the same
// operations octantArc makes, so they are the same doubles.
struct OctantTrig
{
    double at[8][2];
    double turnOn[8][2];
    OctantTrig()
    {
        // Read through volatile: a compiler that folded these constants
        // would round them its own way, not as the library does at run time.
        for (int i = 0; i < 8; ++i) {
            volatile double opaque = double(i) * kOctant;
            const double angle = opaque;
            cosSin(angle, at[i]);
            opaque = angle + kFullTurn;
            cosSin(opaque, turnOn[i]);
        }
    }
};

const OctantTrig &octantTrig()
{
    static const OctantTrig table;
    return table;
}

} // namespace

void ConversionJob::octantArc(quint8 startOffset, quint8 endOffset, double radius, qint8 spec)
{
    const bool clockwise = spec < 0;
    const int v = clockwise ? (spec & 0x7F) : spec;
    const int startOctant = (v >> 4) & 0x07;
    int count = v & 0x0F;
    if (count == 0)
        count = 8;
    if (endOffset != 0)
        count -= 1; // the last octant is the partial one

    int endOctant;
    double a;
    double b;
    if (clockwise) {
        endOctant = startOctant - count;
        if (endOctant < 0)
            endOctant += 8;
        a = startOctant - startOffset * kOffsetStep;
        b = endOctant - endOffset * kOffsetStep;
    } else {
        endOctant = startOctant + count;
        if (endOctant >= 8)
            endOctant -= 8;
        a = startOctant + startOffset * kOffsetStep;
        b = endOctant + endOffset * kOffsetStep;
    }
    a *= kOctant;
    b *= kOctant;

    // Each end's cosine and sine serve both here and for the extents. An end
    // without offset on one of the eight octants takes them from the table;
    // a count above 8 in a damaged font can put the end octant outside them.
    const OctantTrig &table = octantTrig();
    const bool startInTable = startOffset == 0;
    const bool endInTable = endOffset == 0 && endOctant >= 0 && endOctant < 8;
    double worked[2][2];
    if (!startInTable)
        cosSin(a, worked[0]);
    if (!endInTable)
        cosSin(b, worked[1]);
    const double *trigA = startInTable ? table.at[startOctant] : worked[0];
    const double *trigB = endInTable ? table.at[endOctant] : worked[1];

    // The current point is the arc's start.
    const double cx = currentX - trigA[0] * scaleX * radius;
    const double cy = currentY - trigA[1] * scaleY * radius;

    double low = clockwise ? b : a;
    double high = clockwise ? a : b;
    const double *highTrig = clockwise ? trigA : trigB;
    if (low >= high) {
        high += kFullTurn;
        // Another angle, whose rounding may differ: from the table where
        // the end lies on an octant, else worked out by addArc.
        const bool inTable = clockwise ? startInTable : endInTable;
        highTrig = inTable ? table.turnOn[clockwise ? startOctant : endOctant] : nullptr;
    }
    addArc(cx, cy, low, high, scaleX * radius, clockwise ? trigB : trigA, highTrig);

    currentX = cx + trigB[0] * scaleX * radius;
    currentY = cy + trigB[1] * scaleY * radius;
}

// Reads dx, dy and, unless the pair ends a code 13 list, the bulge byte;
// draws only when `run` is set. A pair that the scales make 0,0 ends the
// list when drawing; a skipped command has no scales, so only the pair 0,0
// itself ends it there.
bool ConversionJob::bulgeArc(bool run)
{
    qint8 dx = 0;
    qint8 dy = 0;
    if (!readI8(dx) || !readI8(dy))
        return false;
    const double stepX = run ? dx * scaleX : dx;
    const double stepY = run ? dy * scaleY : dy;
    if (stepX == 0 && stepY == 0)
        return false; // the end pair: no bulge byte follows
    qint8 bulge = 0;
    if (!readI8(bulge))
        return false;
    if (!run)
        return true;

    if (bulge == 0) {
        // A straight segment, drawn whatever the pen state.
        const QPointF from = toFntPoint(QPointF(currentX, currentY));
        currentX += stepX;
        currentY += stepY;
        const QPointF to = toFntPoint(QPointF(currentX, currentY));
        lines.append(GlyphLine{from.x(), from.y(), to.x(), to.y()});
        return true;
    }

    const double x0 = currentX;
    const double y0 = currentY;
    const double x1 = x0 + stepX;
    const double y1 = y0 + stepY;

    const double chord = std::sqrt((y1 - y0) * (y1 - y0) + (x1 - x0) * (x1 - x0));
    const double height = chord * (bulge / kBulgeDivisor);

    double theta;
    if (x1 == x0) {
        theta = y1 > y0 ? kPi / 2 : -kPi / 2;
    } else {
        theta = std::atan((y1 - y0) / (x1 - x0));
        if (x0 > x1)
            theta += kPi;
    }

    // The apex lies right of the direction of travel for a positive bulge.
    const double mx = (x0 + x1) * 0.5;
    const double my = (y0 + y1) * 0.5;
    const double qx = mx + std::cos(theta - kPi / 2) * height;
    const double qy = my + std::sin(theta - kPi / 2) * height;

    // The centre: where the perpendicular bisectors of P0P1 and QP1 meet.
    const bool firstVertical = std::fabs(y1 - y0) < kFlat;
    double m1 = 0.0;
    double c1 = 0.0;
    if (!firstVertical) {
        m1 = -((x1 - x0) / (y1 - y0));
        c1 = my - (x0 + x1) * m1 * 0.5;
    }
    double cx;
    double cy;
    if (std::fabs(y1 - qy) < kFlat) {
        cx = (qx + x1) * 0.5;
        cy = cx * m1 + c1;
    } else {
        const double m2 = -((qx - x1) / (qy - y1));
        const double c2 = (qy + y1) * 0.5 - (qx + x1) * m2 * 0.5;
        cx = firstVertical ? mx : -((c1 - c2) / (m1 - m2));
        cy = cx * m2 + c2;
    }

    double start = angleFrom(cx, cy, x0, y0);
    double end = angleFrom(cx, cy, x1, y1);
    const double radius = std::sqrt((cx - x0) * (cx - x0) + (cy - y0) * (cy - y0));
    if (height < 0)
        std::swap(start, end);
    if (start > end)
        end += kFullTurn;
    addArc(cx, cy, start, end, radius);

    currentX = x1;
    currentY = y1;
    return true;
}

void ConversionJob::addArc(double centerX, double centerY, double start, double end,
                           double radius, const double *startTrig, const double *endTrig)
{
    glyphStepsLeft -= kStepsPerArc - 1; // its command has taken one step already
    // Both arc kinds give angles within [-2 pi, 6 pi] and end >= start;
    // anything else (NaN from coordinates beyond any double, a hostile
    // scale) is left out, so no file gets an angle a reader cannot use.
    if (!(start >= -kFullTurn && start <= end && end <= 3 * kFullTurn))
        return;
    const QPointF center = toFntPoint(QPointF(centerX, centerY));
    const double r = radius / double(above) * double(fntWidth);
    const double startDeg = start / kPi * 180.0;
    const double endDeg = end / kPi * 180.0;
    arcs.append(GlyphArc{center.x(), center.y(), truncToInt(r), toAngle(startDeg),
                         toAngle(endDeg)});

    // Widen the extents by both end points, with the cosine and sine the
    // caller worked out where it did.
    double startWorked[2];
    double endWorked[2];
    if (!startTrig) {
        cosSin(start, startWorked);
        startTrig = startWorked;
    }
    if (!endTrig) {
        cosSin(end, endWorked);
        endTrig = endWorked;
    }
    const double startDx = startTrig[0] * r;
    const double endDx = endTrig[0] * r;
    const double raisedY = center.y() + double(fntBaseline);
    const double sx = center.x() + startDx;
    const double sy = raisedY + startTrig[1] * r;
    const double ex = center.x() + endDx;
    const double ey = raisedY + endTrig[1] * r;
    lowerExtent(minX, sx);
    lowerExtent(minX, ex);
    raiseExtent(maxX, sx);
    raiseExtent(maxX, ex);
    lowerExtent(minY, sy);
    lowerExtent(minY, ey);

    // The leftmost, rightmost and lowest points, where the arc passes them.
    int a = truncToInt(startDeg) % 360;
    const int b = truncToInt(endDeg) % 360;
    if (a > b)
        a -= 360;
    const bool passesLeft = (a <= 180 && b >= 180) || (a <= -180 && b >= -180);
    const bool passesRight = a <= 0 && b >= 0;
    if (passesLeft)
        lowerExtent(minX, center.x() - r);
    if (passesRight)
        raiseExtent(maxX, center.x() + r);
    if ((a <= 270 && b >= 270) || (a <= -90 && b >= -90))
        lowerExtent(minY, raisedY - r);
    // What a shifted copy of the glyph needs to widen its extents the same way.
    arcReaches.append(ArcReach{startDx, endDx, r, passesLeft, passesRight});
}
