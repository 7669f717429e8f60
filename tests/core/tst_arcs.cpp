// Octant, fractional and bulge arcs: centres, radii, recorded angles, the
// point where the pen ends, and the extents they widen. Expected values are
// worked out here from the geometry of each arc, not from the converter's
// own formulas. FNT units equal shape units (above 128, baseline 0).
#include "CoreTestSupport.h"
#include "ShxBuilder.h"

#include <QTest>

#include <cmath>

using namespace shxtest;
using coretest::describe;

class TestArcs : public QObject
{
    Q_OBJECT

private slots:
    void octantArcs_data();
    void octantArcs();
    void bulgeArcs_data();
    void bulgeArcs();
    void arcStrokes_data();
    void arcStrokes();
    void extents_data();
    void extents();
    void unequalScales();
};

namespace {

constexpr double kDegree = M_PI / 180.0;

// Runs `code` as shape 1 from the origin with FNT units equal to shape units.
void run(ConversionJob &job, const ShapeCode &code)
{
    QVERIFY(coretest::load(job, shapeFont(8, {{1, definition("", code)}})));
    coretest::useShapeUnits(job);
    coretest::runShape(job, 1);
}

// The direction of p seen from c, in degrees within (90, 450]: the range in
// which bulge arcs record their angles.
double bearing(double cx, double cy, double px, double py)
{
    double degrees = std::atan2(py - cy, px - cx) / kDegree;
    while (degrees <= 90.0)
        degrees += 360.0;
    while (degrees > 450.0)
        degrees -= 360.0;
    return degrees;
}

void compareArc(const GlyphArc &arc, double cx, double cy, double radius, double from, double to)
{
    QVERIFY2(std::abs(arc.centerX - cx) < 1e-9 && std::abs(arc.centerY - cy) < 1e-9,
             qPrintable(QStringLiteral("centre %1 expected %2")
                            .arg(coretest::point(arc.centerX, arc.centerY),
                                 coretest::point(cx, cy))));
    QCOMPARE(arc.radius, qint32(radius + 1e-9));
    QVERIFY2(std::abs(arc.startAngle - from) < 1e-3 && std::abs(arc.endAngle - to) < 1e-3,
             qPrintable(QStringLiteral("angles %1..%2 expected %3..%4")
                            .arg(arc.startAngle).arg(arc.endAngle).arg(from).arg(to)));
}

} // namespace

// Each row names the arc's start A and end B in the drawing direction. The
// current point (0, 0) lies on the circle at A, so the centre is
// -R (cos A, sin A) and the pen ends at centre + R (cos B, sin B). The arc
// is recorded counter-clockwise: from A to B, or from B to A when clockwise,
// with a turn added when the end is not above the start.
void TestArcs::octantArcs_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<double>("radius");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<bool>("clockwise");

    auto row = [](const char *name, const ShapeCode &code, double radius, double a, double b,
                  bool clockwise) {
        QTest::newRow(name) << code.bytes() << radius << a << b << clockwise;
    };
    // Octant byte: sign = clockwise, bits 4-6 start octant, low 4 bits count.
    // End angles lie within one turn: clockwise from octant 1 over two
    // octants ends in octant 7, at 315.
    row("full circle", ShapeCode().octantArc(3, 0x00), 3, 0, 0, false);
    row("two octants from 45", ShapeCode().octantArc(1, 0x12), 1, 45, 135, false);
    row("clockwise two octants from 45", ShapeCode().octantArc(1, qint8(0x92)), 1, 45, 315, true);
    row("counter-clockwise across 0", ShapeCode().octantArc(2, 0x74), 2, 315, 135, false);
    row("clockwise full circle", ShapeCode().octantArc(2, qint8(0x80)), 2, 0, 0, true);
    row("clockwise from octant 0", ShapeCode().octantArc(1, qint8(0x82)), 1, 0, 270, true);
    row("radius 0", ShapeCode().octantArc(0, 0x12), 0, 45, 135, false);
    row("scale applies to the radius", ShapeCode().multiply(2).octantArc(3, 0x04), 6, 0, 180,
        false);
    // Offsets are 1/256 octant: 128 is half an octant, 22.5 degrees. A non-zero
    // end offset makes the last octant the partial one.
    row("start offset", ShapeCode().fractionalArc(128, 0, 1, 0x12), 1, 67.5, 135, false);
    row("end offset", ShapeCode().fractionalArc(0, 64, 1, 0x12), 1, 45, 101.25, false);
    row("both offsets, clockwise", ShapeCode().fractionalArc(128, 128, 1, qint8(0x93)), 1, 22.5,
        292.5, true);
    row("count 0 with an end offset", ShapeCode().fractionalArc(0, 128, 2, 0x00), 2, 0, 337.5,
        false);
    // 0x0102: high byte first.
    row("two-byte radius", ShapeCode().fractionalArc(0, 0, 258, 0x04), 258, 0, 180, false);
}

void TestArcs::octantArcs()
{
    QFETCH(QByteArray, code);
    QFETCH(double, radius);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(bool, clockwise);

    ConversionJob job;
    QVERIFY(coretest::load(job, shapeFont(8, {{1, QByteArray(1, '\0') + code}})));
    coretest::useShapeUnits(job);
    coretest::runShape(job, 1);

    const double cx = -radius * std::cos(a * kDegree);
    const double cy = -radius * std::sin(a * kDegree);
    const double from = clockwise ? b : a;
    double to = clockwise ? a : b;
    if (to <= from)
        to += 360;
    QCOMPARE(job.arcs.size(), 1);
    compareArc(job.arcs.first(), cx, cy, radius, from, to);
    QVERIFY(job.lines.isEmpty() && job.polylines.isEmpty());
    QVERIFY(std::abs(job.currentX - (cx + radius * std::cos(b * kDegree))) < 1e-9);
    QVERIFY(std::abs(job.currentY - (cy + radius * std::sin(b * kDegree))) < 1e-9);
}

// The circle through both ends of the chord whose sagitta is |h| = D |b| / 254;
// the bulge lies right of the direction of travel for b > 0 (counter-
// clockwise from P0 to P1) and left for b < 0 (clockwise, recorded from P1).
void TestArcs::bulgeArcs_data()
{
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");
    QTest::addColumn<int>("bulge");

    QTest::newRow("half circle, counter-clockwise") << 10 << 0 << 127;
    QTest::newRow("half circle, clockwise") << 10 << 0 << -127;
    QTest::newRow("bulge -128: a little more, clockwise") << 10 << 0 << -128;
    QTest::newRow("vertical chord") << 0 << 10 << 127;
    QTest::newRow("vertical chord downward") << 0 << -10 << 60;
    QTest::newRow("leftward chord") << -10 << 0 << 127;
    QTest::newRow("second bisector vertical") << 10 << -10 << 127;
    QTest::newRow("shallow arc") << 6 << 8 << 50;
    QTest::newRow("shallow arc, clockwise") << 6 << 8 << -50;
    QTest::newRow("steep leftward arc") << -3 << 7 << 100;
    QTest::newRow("tiny bulge, large radius") << 20 << 5 << 1;
    QTest::newRow("long chord") << -127 << -127 << 90;
}

void TestArcs::bulgeArcs()
{
    QFETCH(int, dx);
    QFETCH(int, dy);
    QFETCH(int, bulge);

    ConversionJob job;
    run(job, ShapeCode().penUp().vector(3, 0).bulgeArc(qint8(dx), qint8(dy), qint8(bulge)));

    const double x0 = 3, y0 = 0, x1 = x0 + dx, y1 = y0 + dy;
    const double chord = std::hypot(dx, dy);
    const double sagitta = chord * std::abs(bulge) / 254.0;
    const double radius = (chord * chord / 4 + sagitta * sagitta) / (2 * sagitta);
    // Unit normal to the right of travel; the centre lies from the chord's
    // middle towards the bulge by sagitta - radius.
    const double side = bulge > 0 ? 1.0 : -1.0;
    const double nx = dy / chord, ny = -dx / chord;
    const double cx = (x0 + x1) / 2 + side * nx * (sagitta - radius);
    const double cy = (y0 + y1) / 2 + side * ny * (sagitta - radius);
    double from = bearing(cx, cy, x0, y0);
    double to = bearing(cx, cy, x1, y1);
    if (bulge < 0)
        std::swap(from, to);
    if (from > to)
        to += 360;

    QCOMPARE(job.arcs.size(), 1);
    compareArc(job.arcs.first(), cx, cy, radius, from, to);
    QCOMPARE(job.currentX, x1);
    QCOMPARE(job.currentY, y1);
}

void TestArcs::arcStrokes_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QString>("geometry");

    auto row = [](const char *name, const ShapeCode &code, const char *geometry) {
        QTest::newRow(name) << code.bytes() << QString::fromLatin1(geometry);
    };
    row("bulge 0 is a line, pen down", ShapeCode().bulgeArc(3, 4, 0), "L 0,0 3,4");
    row("bulge 0 is a line, pen up too", ShapeCode().penUp().bulgeArc(3, 4, 0), "L 0,0 3,4");
    row("arcs are drawn with the pen up", ShapeCode().penUp().octantArc(1, 0x04),
        "A -1,0 1 0..180");
    // The arc ends at (-1, 0), where the next run starts.
    row("an arc splits the run around it",
        ShapeCode().vector(1, 0).octantArc(1, 0x04).vector(1, 0),
        "L 0,0 1,0; L -1,0 0,0; A 0,0 1 0..180");
    // The pair 0,0 ends code 13 and the next byte is a command again.
    row("code 13 sequence, then a step",
        ShapeCode().bulgeArcs({{10, 0, 127}, {0, 10, 0}}).vector(1, 0),
        "L 10,0 10,10; L 10,10 11,10; A 5,0 5 180..360");
    // A lone code 12 takes all three of its bytes, even with the pair 0,0:
    // the third byte (a step up, were it a command) is not executed.
    row("lone code 12 with 0,0 consumes its bulge byte",
        ShapeCode().bulgeArc(0, 0, 0x14).vector(1, 0), "L 0,0 1,0");
}

void TestArcs::arcStrokes()
{
    QFETCH(QByteArray, code);
    QFETCH(QString, geometry);

    ConversionJob job;
    QVERIFY(coretest::load(job, shapeFont(8, {{1, QByteArray(1, '\0') + code}})));
    coretest::useShapeUnits(job);
    coretest::runShape(job, 1);
    QCOMPARE(describe(job), geometry);
}

// The end points and the centre widen the extents; of the leftmost,
// rightmost and lowest points of the circle, only those the arc passes by
// whole degrees do. Values are truncated toward zero.
void TestArcs::extents_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<int>("minX");
    QTest::addColumn<int>("maxX");
    QTest::addColumn<int>("minY");

    auto row = [](const char *name, const ShapeCode &code, int minX, int maxX, int minY) {
        QTest::newRow(name) << code.bytes() << minX << maxX << minY;
    };
    // Centre (5, 0), radius 5, 180..360: all three points.
    row("lower half circle", ShapeCode().bulgeArc(10, 0, 127), 0, 10, -5);
    // 360..540: left and right, but the lowest point is not on it.
    row("upper half circle", ShapeCode().bulgeArc(10, 0, -127), 0, 10, 0);
    // Centre (-3, 0), 0..360: only the rightmost point is tested; the
    // centre gives minX, nothing lowers minY.
    row("full circle from 0", ShapeCode().octantArc(3, 0x00), -3, 0, 0);
    // Centre (0, -2), 90..270: leftmost and lowest.
    row("left half", ShapeCode().octantArc(2, 0x24), -2, 0, -4);
    // Centre (4, 0), 180..360.
    row("lower half from 180", ShapeCode().octantArc(4, 0x44), 0, 8, -4);
    // Radius 1.5, centre (1.5, 0): rightmost 3, lowest -1.5 -> -1.
    row("fractions truncate toward zero", ShapeCode().divide(2).octantArc(3, 0x44), 0, 3, -1);
}

void TestArcs::extents()
{
    QFETCH(QByteArray, code);
    QFETCH(int, minX);
    QFETCH(int, maxX);
    QFETCH(int, minY);

    ConversionJob job;
    QVERIFY(coretest::load(job, shapeFont(8, {{1, QByteArray(1, '\0') + code}})));
    coretest::useShapeUnits(job);
    coretest::runShape(job, 1);
    QCOMPARE(job.minX, minX);
    QCOMPARE(job.maxX, maxX);
    QCOMPARE(job.minY, minY);
}

// In an extended big font subshape the scales differ: the centre follows
// each axis's own scale, the recorded radius the x scale.
void TestArcs::unequalScales()
{
    // Height 8: width byte 16 gives scale x 2, height byte 8 scale y 1.
    const QByteArray font = bigfont(
        {}, {{1, definition("", ShapeCode().bigfontSubshape(2, 0, 0, 16, 8))},
             {2, definition("", ShapeCode().octantArc(2, 0x12))}});
    ConversionJob job;
    QVERIFY(coretest::load(job, font));
    coretest::useShapeUnits(job);
    coretest::runShape(job, 1);

    QCOMPARE(job.arcs.size(), 1);
    const double c = std::cos(45 * kDegree);
    compareArc(job.arcs.first(), -c * 2 * 2, -c * 1 * 2, 4, 45, 135);
}

QTEST_GUILESS_MAIN(TestArcs)
#include "tst_arcs.moc"
