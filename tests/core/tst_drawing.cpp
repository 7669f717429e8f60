// The shape interpreter: runs of points, code 14, subshapes, truncated byte
// code, and arcs, whose centres, radii and angles are worked out here from
// the geometry of each arc, not from the converter's own formulas. FNT units
// are made equal to shape units (above 128, baseline 0), so expected points
// read straight off the byte code.
#include "JobProbe.h"
#include "ShxBuilder.h"
#include "fnt/FntReader.h"
#include "job/ConversionJob.h"

#include <QStringList>
#include <QTest>

#include <cmath>

using namespace shxtest;
using S = ShapeCode;
using Probe = ConversionJobProbe;

namespace {

constexpr double kDegree = M_PI / 180.0;

QByteArray oneShape(const ShapeCode &code)
{
    return shapeFont(8, {{1, definition("", code)}});
}

// Loads `font` as a conversion does and runs shape 1; false if it stopped.
bool draw(ConversionJob &job, const QByteArray &font)
{
    if (!job.loadShxBytes(font))
        return false;
    job.above = 128;
    job.fntBaseline = 0;
    return Probe::drawShape(job, 1);
}

QString point(double x, double y)
{
    auto text = [](double v) { return QString::number(std::round(v * 1e6) / 1e6 + 0.0, 'g', 12); };
    return text(x) + ',' + text(y);
}

// "L x,y x,y" per line, "P x,y x,y ..." per polyline, "A cx,cy r from..to" per
// arc, in the order the encoder writes them; "stopped" if the glyph was cut short.
void checkGeometry()
{
    QFETCH(QByteArray, font);
    QFETCH(QString, geometry);
    ConversionJob job;
    QStringList parts;
    const bool ran = draw(job, font);
    for (const GlyphLine &l : Probe::lines(job))
        parts << "L " + point(l.x1, l.y1) + ' ' + point(l.x2, l.y2);
    for (const GlyphPolyline &polyline : Probe::polylines(job)) {
        QStringList points;
        for (const QPointF &p : polyline.points)
            points << point(p.x(), p.y());
        parts << "P " + points.join(' ');
    }
    for (const GlyphArc &a : Probe::arcs(job))
        parts << QStringLiteral("A %1 %2 %3").arg(point(a.centerX, a.centerY)).arg(a.radius)
                     .arg(point(a.startAngle, a.endAngle).replace(',', ".."));
    if (!ran)
        parts << "stopped";
    QCOMPARE(parts.join("; "), geometry);
    QCOMPARE(Probe::subshapeDepth(job), 0);
}

// A glyph record's advance, then "L x1 y1 x2 y2", "P x,y ..." and "A x y r"
// per stroke, its coordinates through x() and y().
template<typename Lines, typename Polylines, typename Arcs, typename X, typename Y>
QString describe(int advance, const Lines &lines, const Polylines &polylines, const Arcs &arcs,
                 X x, Y y)
{
    QStringList parts{QString::number(advance)};
    for (const auto &l : lines)
        parts << QStringLiteral("L %1 %2 %3 %4").arg(x(l.x1)).arg(y(l.y1)).arg(x(l.x2)).arg(y(l.y2));
    for (const auto &polyline : polylines) {
        QString text = QStringLiteral("P");
        for (const auto &p : polyline.points)
            text += QStringLiteral(" %1,%2").arg(x(p.x())).arg(y(p.y()));
        parts << text;
    }
    for (const auto &a : arcs)
        parts << QStringLiteral("A %1 %2 %3").arg(x(a.centerX)).arg(y(a.centerY)).arg(a.radius);
    return parts.join("; ");
}

void columns()
{
    QTest::addColumn<QByteArray>("font");
    QTest::addColumn<QString>("geometry");
}

void row(const char *name, const QByteArray &font, const char *geometry)
{
    QTest::newRow(name) << font << QString::fromUtf8(geometry);
}

void row(const char *name, const ShapeCode &code, const char *geometry)
{
    row(name, oneShape(code), geometry);
}

} // namespace

class TestDrawing : public QObject
{
    Q_OBJECT

private slots:
    // The converter draws a glyph once, works out the extents of its copy
    // shifted right from the recorded geometry, and raises the baseline of
    // records already encoded. Here the same fonts are drawn the long way,
    // through the public steps (every glyph drawn again with xShift set and
    // with the final baseline), and every record must match to the unit.
    void recordsMatchRedrawing_data()
    {
        QTest::addColumn<QByteArray>("font");
        // Strokes that reach left of 0 and below the baseline by fractions,
        // with arcs of every kind, so that truncation sees many values.
        auto stroke = [](int n) {
            ShapeCode code;
            code.vector(2 + n % 12, n % 16).vector(3, (n + 4) % 16);
            code.octantArc(quint8(1 + n % 6), qint8(((n % 8) << 4) | (1 + n % 7)));
            code.penUp().move(qint8(-(n % 9)), qint8(2 - n % 7)).penDown();
            code.bulgeArc(qint8(4 - n % 11), qint8(n % 4 - 2), qint8(60 - n % 120));
            code.fractionalArc(quint8(n * 37), quint8(n * 11), quint16(3 + n % 5),
                               qint8(-(((n % 8) << 4) | (1 + n % 7))));
            return code;
        };
        QList<Entry> shapes;
        for (int n = 1; n <= 40; ++n)
            shapes.append({quint16(n), definition("S", stroke(n).divide(quint8(1 + n % 3)))});
        QTest::newRow("shape font") << shapeFont(7, shapes);

        // Thirds summed up land a hair off whole numbers, on both sides, and
        // one glyph reaches so far down that the baseline ends at the largest
        // int32: the raise must still give each field what drawing afresh
        // gives.
        QList<Entry> thirds;
        for (int n = 1; n <= 24; ++n) {
            ShapeCode code;
            code.divide(3);
            for (int k = 0; k < n; ++k)
                code.vector(1 + k % 3, (n + k) % 16).bulgeArc(qint8(3 - k % 7), 3, qint8(k * 9));
            thirds.append({quint16(n), definition("T", code)});
        }
        ShapeCode deep;
        deep.multiply(255).multiply(255);
        for (int k = 0; k < 7; ++k)
            deep.move(0, -127);
        thirds.append({quint16(99), definition("D", deep)});
        QTest::newRow("near-whole heights, largest baseline") << shapeFont(3, thirds);


        // A glyph whose first points all lie at x = -256 looks empty to the
        // extents until something else is drawn, which then starts them
        // afresh: its shifted copy has to be drawn to get its extents.
        ShapeCode restart;
        restart.penUp().move(-128, 0).move(-128, 0).penDown().bulgeArc(0, 3, 0);
        restart.penUp().move(127, 0).move(127, 0).move(4, 0).penDown().octantArc(9, 0x04);
        QTest::newRow("extents started twice")
            << shapeFont(128, {{1, definition("R", restart)}, {2, definition("S", stroke(3))}});
    }

    void recordsMatchRedrawing()
    {
        QFETCH(QByteArray, font);
        ConversionJob job;
        QCOMPARE(job.convertBytes(font, QStringLiteral("t")), ConversionOutcome::Converted);
        fnt::FntReader reader;
        reader.read(job.fntBytes);
        const fnt::FntFont &converted = reader.font();
        QVERIFY(!converted.glyphs.isEmpty());

        ConversionJob ref;
        QVERIFY(ref.loadShxBytes(font));
        ref.fntBaseline = job.fntBaseline; // the header keeps only its low 16 bits
        qsizetype next = 0;
        for (auto it = ref.shapeMap.keyBegin(); it != ref.shapeMap.keyEnd(); ++it) {
            if (*it == 0)
                continue;
            Probe::drawShape(ref, *it);
            if (Probe::minX(ref) < 0 && Probe::minX(ref) != ConversionJob::kEmptyExtent)
                Probe::drawShape(ref, *it, -double(Probe::minX(ref)));
            const qint32 minX = Probe::minX(ref);
            const qint32 maxX = Probe::maxX(ref);
            // The lists hold y above the baseline; the record adds it. A
            // field keeps the low 16 bits of the truncated value.
            const auto x = [](double value) { return qint16(truncToInt(value)); };
            const auto y = [&](double value) { return x(value + ref.fntBaseline); };
            const qint16 advance = qint16(
                maxX == ConversionJob::kEmptyExtent ? 128 : qMax<qint64>(1, qint64(maxX) - minX));
            QVERIFY(next < converted.glyphs.size());
            const fnt::FntGlyph &glyph = converted.glyphs.at(next++);
            const auto same = [](int value) { return value; };
            QCOMPARE(describe(glyph.advance, glyph.lines, glyph.polylines, glyph.arcs, same, same),
                     describe(advance, Probe::lines(ref), Probe::polylines(ref), Probe::arcs(ref),
                              x, y));
        }
        QCOMPARE(next, converted.glyphs.size());
    }

    void runs() { checkGeometry(); }
    void runs_data()
    {
        columns();
        row("code 8 extends a run", S().vector(1, 4).vector(1, 0).move(2, 0), "P 0,0 0,1 1,1 3,1");
        row("code 9 extends a run", S().moves({{1, 0}, {0, 1}}).vector(1, 0), "P 0,0 1,0 1,1 2,1");
        row("pen down splits a run", S().vector(1, 4).penDown().move(1, 0), "L 0,0 0,1; L 0,1 1,1");
        row("pen up ends a run", S().vector(1, 0).penUp().vector(1, 0).penDown().move(1, 0),
            "L 0,0 1,0; L 2,0 3,0");
        row("negative displacement", S().move(-3, -128), "L 0,0 -3,-128");
        row("scales compound", S().divide(2).divide(3).multiply(12).move(1, 0), "L 0,0 2,0");
        row("pops in reverse order",
            S().penUp().push().move(2, 0).push().pop().penDown().move(0, 1).pop().move(0, 1),
            "L 2,0 2,1; L 0,0 0,1");
        // Length 2 in the sixteen directions in turn, counter-clockwise from
        // east: 2,0 2,1 2,2 1,2 0,2 -1,2 -2,2 -2,1, then the same negated.
        ShapeCode round;
        for (int direction = 0; direction < 16; ++direction)
            round.vector(2, direction);
        row("sixteen directions", round,
            "P 0,0 2,0 4,1 6,3 7,5 7,7 6,9 4,11 2,12 0,12 -2,11 -4,9 -5,7 -5,5 -4,3 -2,1 0,0");
        // Arcs are drawn with the pen up and split the run around them.
        row("arcs split a run", S().move(1, 0).penUp().octantArc(1, 0x04).penDown().move(1, 0),
            "L 0,0 1,0; L -1,0 0,0; A 0,0 1 0..180");
        // 0,0 ends code 13; a lone code 12 takes its third byte even after 0,0.
        row("code 13, then a step", S().bulgeArcs({{10, 0, 127}, {0, 10, 0}}).move(1, 0),
            "L 10,0 10,10; L 10,10 11,10; A 5,0 5 180..360");
        row("code 12 with 0,0", S().bulgeArc(0, 0, 0x14).vector(1, 0), "L 0,0 1,0");
    }

    // Code 14 and the command it marks are read past whole. Operands are 0x14
    // (a step up) where the command allows, so one left behind shows up as a
    // stroke; every row ends with a step right.
    void verticalOnlySkips() { checkGeometry(); }
    void verticalOnlySkips_data()
    {
        columns();
        const std::tuple<const char *, int, const char *> marked[] = {
            {"end byte", 0, "00"}, {"vector", 0, "44"}, {"divide", 0, "03 14"},
            {"subshape", 0, "07 14"}, {"code 8", 0, "08 14 14"},
            {"code 9", 0, "09 14 14 14 00 00 00"},
            {"octant arc", 0, "0a 14 14"}, {"fractional arc", 0, "0b 14 14 14 14 14"},
            {"bulge arc", 0, "0c 14 14 14"}, {"code 13", 0, "0d 14 14 14 14 00 14 00 00"},
            {"code 14", 0, "0e 08 14 14"}, {"unifont subshape", 2, "07 14 14"},
            {"big font subshape", 1, "07 14"}, {"big font extended", 1, "07 00 14 14 14 14 14 14"}};
        for (const auto &[name, kind, bytes] : marked) { // no name, 14, marked, step right, end
            const QList<Entry> code{{1, QByteArray::fromHex(QByteArray("000e") + bytes + "1000")}};
            row(name, kind == 0 ? shapeFont(8, code) : kind == 1 ? bigfont({}, code)
                                                                 : unifont(fontInfo("", 8), code),
                "L 0,0 1,0");
        }
        row("code 14 closes a run", S().vector(1, 0).verticalOnly().vector(1, 4).move(1, 0),
            "L 0,0 1,0; L 1,0 2,0");
    }

    void subshapes() { checkGeometry(); }
    void subshapes_data()
    {
        columns();
        auto font = [](const QList<std::pair<quint16, ShapeCode>> &shapes, int kind = 0) {
            QList<Entry> entries;
            for (const auto &[number, code] : shapes)
                entries << Entry{number, definition("", code)};
            return kind == 0 ? shapeFont(8, entries)
                             : kind == 1 ? bigfont({}, entries) : unifont(fontInfo("", 8), entries);
        };
        const ShapeCode right = S().vector(1, 0);
        row("missing subshape", font({{1, S().vector(1, 0).subshape(9)}}), "L 0,0 1,0; stopped");
        // Shape k steps right, calls k + 1, then steps up; shape 5 only steps.
        QList<std::pair<quint16, ShapeCode>> chain{{5, right}};
        for (quint16 k = 1; k <= 4; ++k)
            chain.append({k, S().vector(1, 0).subshape(quint8(k + 1)).vector(1, 4)});
        row("the fifth level is not run", font(chain),
            "L 0,0 1,0; L 1,0 2,0; L 2,0 3,0; L 3,0 4,0; stopped");
        chain.last().second = right;
        row("four levels run whole", font(chain),
            "L 0,0 1,0; L 1,0 2,0; L 2,0 3,0; L 3,0 4,0; L 4,0 4,1; L 4,1 4,2; L 4,2 4,3");
        // Two bytes, high first: 0x01 0x41 is 321, not 1 or 65.
        const ShapeCode down = S().vector(1, 12);
        row("unifont: two-byte number",
            font({{1, S().unifontSubshape(321)}, {65, down}, {321, right}}, 2), "L 0,0 1,0");
        row("big font: one-byte number", font({{2, right}, {1, S().subshape(2)}}, 1), "L 0,0 1,0");
        // Height 8: a width byte of 16 makes the x scale 2. The origin is
        // added unscaled, the caller's scale 4 replaced, and all undone after.
        row("big font extended: origin and scales",
            font({{1, S().multiply(4).bigfontSubshape(2, 2, 3, 16, 8).vector(1, 4)},
                  {2, S().vector(1, 2).multiply(5)}}, 1), "L 2,3 4,4; L 0,0 0,4");
        // Scales 2 and 1: the centre follows each axis's own scale, the radius
        // the x scale. cos 45 = 0.7071068: centre -2·2·0.7071, -1·2·0.7071.
        row("big font extended: arc under unequal scales",
            font({{1, S().bigfontSubshape(2, 0, 0, 16, 8)}, {2, S().octantArc(2, 0x12)}}, 1),
            "A -2.828427,-1.414214 4 45..135");
    }

    // The shape is the last bytes of the file, cut where the row says: it
    // ends there as if its end byte had been read.
    void truncatedCode() { checkGeometry(); }
    void truncatedCode_data()
    {
        columns();
        auto cut = [](const char *name, const char *code, const char *geometry) {
            row(name, shapeFont(8, {{1, QByteArray::fromHex(QByteArray("00") + code)}}), geometry);
        };
        cut("no end byte", "10 14", "P 0,0 1,0 1,1");
        cut("code 8 without dy", "10 08 05", "L 0,0 1,0");
        cut("code 9 without its end pair", "09 01 00 00 01", "P 0,0 1,0 1,1");
        cut("code 11 cut", "10 0b 00 00 00", "L 0,0 1,0");
        cut("code 13 without its end pair", "0d 0a 00 7f 05", "A 5,0 5 180..360");
        row("name without its zero byte", shapeFont(8, {{1, "name"}}), "");
    }

    // Each row gives the arc's radius R, its start A and end B in the drawing
    // direction, and whether it turns clockwise. The pen at (0, 0) lies on
    // the circle at A, so the centre is -R (cos A, sin A) and the pen ends at
    // centre + R (cos B, sin B). The arc is recorded counter-clockwise: from
    // A to B, or from B to A when clockwise, with a turn added when the end
    // is not above the start.
    void arcs_data()
    {
        QTest::addColumn<QByteArray>("font");
        QTest::addColumn<QList<double>>("arc"); // R, A, B, clockwise
        // Octant byte: sign = clockwise, bits 4-6 the start octant, low 4
        // bits the count (0 a full circle). Offsets are 1/256 octant: 128 is
        // 22.5 degrees; a non-zero end offset makes the last octant partial.
        const std::tuple<const char *, ShapeCode, QList<double>> arcs[] = {
            {"two octants from 45", S().octantArc(1, 0x12), {1, 45, 135, 0}},
            {"clockwise from 45", S().octantArc(1, qint8(0x92)), {1, 45, 315, 1}},
            {"across 0", S().octantArc(2, 0x74), {2, 315, 135, 0}},
            {"scaled radius", S().multiply(2).octantArc(3, 0x04), {6, 0, 180, 0}},
            {"start offset", S().fractionalArc(128, 0, 1, 0x12), {1, 67.5, 135, 0}},
            {"offsets, cw", S().fractionalArc(128, 64, 1, -109), {1, 22.5, 303.75, 1}},
            {"count 0, end offset", S().fractionalArc(0, 128, 2, 0x00), {2, 0, 337.5, 0}},
            {"radius 0x0102", S().fractionalArc(0, 0, 258, 0x04), {258, 0, 180, 0}},
            // A damaged count above 8 ends the arc before octant 0 or past 7.
            {"count 15, clockwise", S().octantArc(2, qint8(0x8F)), {2, 0, -315, 1}},
            {"count 15 from 315", S().octantArc(2, 0x7F), {2, 315, 630, 0}}};
        for (const auto &[name, code, arc] : arcs)
            QTest::newRow(name) << oneShape(code) << arc;
        // Bulge arcs span the circle through both ends of a chord of length D
        // whose sagitta is h = D |b| / 254: R = (D² / 4 + h²) / 2h, the centre
        // from the chord's middle along the normal right of travel for b > 0
        // (left for b < 0) by h - R. Their angles lie within (90, 450].
        auto bulge = [](const char *name, int dx, int dy, int b) {
            const double chord = std::hypot(dx, dy), h = chord * std::abs(b) / 254.0;
            const double r = (chord * chord / 4 + h * h) / (2 * h);
            const double along = (b > 0 ? 1.0 : -1.0) * (h - r) / chord;
            const double cx = dx / 2.0 + along * dy, cy = dy / 2.0 - along * dx;
            auto bearing = [&](double x, double y) {
                const double degrees = std::atan2(y - cy, x - cx) / kDegree;
                return degrees <= 90.0 ? degrees + 360.0 : degrees;
            };
            QTest::newRow(name) << oneShape(S().bulgeArc(dx, dy, b))
                                << QList<double>{r, bearing(0, 0), bearing(dx, dy), b < 0 ? 1. : 0};
        };
        bulge("half circle", 10, 0, 127);
        bulge("bulge -128, a little more, clockwise", 10, 0, -128);
        bulge("shallow, downward, clockwise", 6, -8, -50);
    }
    void arcs()
    {
        QFETCH(QByteArray, font);
        QFETCH(QList<double>, arc);
        const double r = arc[0], a = arc[1] * kDegree, b = arc[2] * kDegree;
        const double cx = -r * std::cos(a), cy = -r * std::sin(a);
        const double from = arc[3] ? arc[2] : arc[1], to = arc[3] ? arc[1] : arc[2];
        ConversionJob job;
        QVERIFY(draw(job, font));
        QCOMPARE(Probe::lines(job).size() + Probe::polylines(job).size(), 0);
        QCOMPARE(Probe::arcs(job).size(), 1);
        const GlyphArc &drawn = Probe::arcs(job).at(0);
        QCOMPARE(point(drawn.centerX, drawn.centerY), point(cx, cy));
        QCOMPARE(drawn.radius, qint32(r + 1e-9));
        // The angles are stored as single floats.
        QVERIFY2(std::abs(drawn.startAngle - from) < 1e-3
                     && std::abs(drawn.endAngle - (to <= from ? to + 360 : to)) < 1e-3,
                 qPrintable(point(drawn.startAngle, drawn.endAngle)));
        const QPointF end = Probe::currentPoint(job);
        QCOMPARE(point(end.x(), end.y()), point(cx + r * cos(b), cy + r * sin(b)));
    }
};

QTEST_GUILESS_MAIN(TestDrawing)
#include "tst_drawing.moc"
