// The shape interpreter: pen, vectors, displacements, scales, the position
// stack, subshapes, code 14, truncated byte code, and the mapping to FNT
// units. FNT units are made equal to shape units (above 128, baseline 0),
// so every expected point is read straight off the byte code.
#include "CoreTestSupport.h"
#include "ShxBuilder.h"

#include <QTest>

using namespace shxtest;
using coretest::describe;

class TestInterpreter : public QObject
{
    Q_OBJECT

private slots:
    void strokes_data();
    void strokes();
    void vectorDirections_data();
    void vectorDirections();
    void verticalOnlySkips_data();
    void verticalOnlySkips();
    void subshapes_data();
    void subshapes();
    void truncatedCode_data();
    void truncatedCode();
    void fntMapping();
};

namespace {

QByteArray oneShape(const ShapeCode &code)
{
    return shapeFont(8, {{1, definition("one", code)}});
}

// Loads `font` and runs shape `number` as the glyph encoder does.
bool drawn(ConversionJob &job, const QByteArray &font, quint16 number, bool &ok)
{
    if (!coretest::load(job, font))
        return false;
    coretest::useShapeUnits(job);
    ok = coretest::runShape(job, number);
    return true;
}

} // namespace

void TestInterpreter::strokes_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QString>("geometry");

    auto row = [](const char *name, const ShapeCode &code, const char *geometry) {
        QTest::newRow(name) << code.bytes() << QString::fromLatin1(geometry);
    };
    row("end byte first: nothing", ShapeCode(), "");
    row("run of two points is a line", ShapeCode().vector(1, 4), "L 0,0 0,1");
    row("run of three points is a polyline", ShapeCode().vector(1, 4).vector(1, 0),
        "P 0,0 0,1 1,1");
    row("code 8 extends the run", ShapeCode().vector(1, 4).vector(1, 0).move(2, 0),
        "P 0,0 0,1 1,1 3,1");
    row("code 9 extends the run", ShapeCode().moves({{1, 0}, {0, 1}}).vector(1, 0),
        "P 0,0 1,0 1,1 2,1");
    row("pen down while down splits the run",
        ShapeCode().vector(1, 4).penDown().vector(1, 0), "L 0,0 0,1; L 0,1 1,1");
    row("pen-up move, then a line", ShapeCode().penUp().vector(4, 0).penDown().vector(1, 4),
        "L 4,0 4,1");
    row("pen up ends the run",
        ShapeCode().vector(1, 0).penUp().vector(1, 0).penDown().vector(1, 0),
        "L 0,0 1,0; L 2,0 3,0");
    row("zero displacement is still a step", ShapeCode().move(0, 0), "L 0,0 0,0");
    row("byte 15 does nothing, not even split", ShapeCode().vector(1, 4).raw({0x0F}).vector(1, 0),
        "P 0,0 0,1 1,1");
    row("negative displacement", ShapeCode().move(-3, -128), "L 0,0 -3,-128");
    row("divide scales both axes", ShapeCode().divide(2).vector(1, 2), "L 0,0 0.5,0.5");
    row("multiply scales code 8", ShapeCode().multiply(3).move(1, -2), "L 0,0 3,-6");
    row("scales compound", ShapeCode().divide(2).divide(3).multiply(12).vector(1, 0),
        "L 0,0 2,0");
    row("scale change splits the run", ShapeCode().vector(1, 0).multiply(2).vector(1, 0),
        "L 0,0 1,0; L 1,0 3,0");
    // The 0 operand is consumed; read as a command it would end the shape.
    row("divide by 0 is ignored", ShapeCode().divide(0).vector(1, 0), "L 0,0 1,0");
    row("push and pop",
        ShapeCode().vector(1, 0).push().vector(1, 4).pop().vector(1, 12),
        "L 0,0 1,0; L 1,0 1,1; L 1,0 1,-1");
    row("pop on an empty stack stays put", ShapeCode().pop().vector(1, 0), "L 0,0 1,0");
    row("pops come back in reverse order",
        ShapeCode().penUp().push().vector(2, 0).push().vector(2, 4).pop().penDown().vector(1, 4)
            .pop().vector(1, 4),
        "L 2,0 2,1; L 0,0 0,1");
}

void TestInterpreter::strokes()
{
    QFETCH(QByteArray, code);
    QFETCH(QString, geometry);

    ConversionJob job;
    bool ok = false;
    QVERIFY(drawn(job, shapeFont(8, {{1, QByteArray("one", 4) + code}}), 1, ok));
    QVERIFY(ok);
    QCOMPARE(describe(job), geometry);
    QCOMPARE(job.subshapeDepth, 0);
}

void TestInterpreter::vectorDirections_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<double>("dx");
    QTest::addColumn<double>("dy");

    // Length 2 in each of the sixteen directions, counter-clockwise from east.
    const double steps[16][2] = {{2, 0},  {2, 1},   {2, 2},   {1, 2},  {0, 2},   {-1, 2},
                                 {-2, 2}, {-2, 1},  {-2, 0},  {-2, -1}, {-2, -2}, {-1, -2},
                                 {0, -2}, {1, -2},  {2, -2},  {2, -1}};
    for (int d = 0; d < 16; ++d)
        QTest::addRow("direction %d", d) << d << steps[d][0] << steps[d][1];
}

void TestInterpreter::vectorDirections()
{
    QFETCH(int, direction);
    QFETCH(double, dx);
    QFETCH(double, dy);

    ConversionJob job;
    bool ok = false;
    // A pen-up step of 3 first, so that the start is not the origin.
    QVERIFY(drawn(job, oneShape(ShapeCode().penUp().vector(3, 0).penDown().vector(2, direction)),
                  1, ok));
    QCOMPARE(describe(job), QStringLiteral("L 3,0 %1").arg(coretest::point(3 + dx, dy)));
    QCOMPARE(job.currentX, 3 + dx);
    QCOMPARE(job.currentY, dy);
}

// Code 14 and the command it marks are read past whole. Operand bytes are
// 0x14 (a step up) wherever the command allows, so an operand left behind
// shows up as an extra stroke; every row ends with a step right.
void TestInterpreter::verticalOnlySkips_data()
{
    QTest::addColumn<QByteArray>("font");
    QTest::addColumn<QString>("geometry");

    const char *right = "L 0,0 1,0";
    auto row = [&](const char *name, std::initializer_list<int> marked) {
        QTest::newRow(name) << oneShape(ShapeCode().verticalOnly().raw(marked).vector(1, 0))
                            << QString::fromLatin1(right);
    };
    row("end byte", {0});
    row("pen up", {2});
    row("vector", {0x44});
    row("divide", {3, 0x14});
    row("multiply", {4, 0x14});
    row("push", {5});
    row("subshape, shape font", {7, 0x14});
    row("displacement", {8, 0x14, 0x14});
    row("displacements up to 0,0", {9, 0x14, 0x14, 0x14, 0x00, 0x00, 0x00});
    row("octant arc", {10, 0x14, 0x14});
    row("fractional arc", {11, 0x14, 0x14, 0x14, 0x14, 0x14});
    row("bulge arc", {12, 0x14, 0x14, 0x14});
    row("bulge arcs up to 0,0", {13, 0x14, 0x14, 0x14, 0x14, 0x00, 0x14, 0x00, 0x00});
    row("bulge arcs, end pair only", {13, 0x00, 0x00});
    row("code 14 marking code 8", {14, 8, 0x14, 0x14});

    QTest::newRow("unifont subshape")
        << unifont(fontInfo("u", 8),
                   {{1, definition("", ShapeCode().verticalOnly().raw({7, 0x14, 0x14})
                                           .vector(1, 0))}})
        << QString::fromLatin1(right);
    QTest::newRow("big font subshape, extended")
        << bigfont({}, {{1, definition("", ShapeCode().verticalOnly()
                                               .raw({7, 0, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14})
                                               .vector(1, 0))}})
        << QString::fromLatin1(right);
    QTest::newRow("big font subshape, short")
        << bigfont({}, {{1, definition("", ShapeCode().verticalOnly().raw({7, 0x14})
                                               .vector(1, 0))}})
        << QString::fromLatin1(right);
    // Code 14 is a command like 1 to 13: it closes the run before it.
    QTest::newRow("code 14 closes the run")
        << oneShape(ShapeCode().vector(1, 0).verticalOnly().vector(1, 4).vector(1, 0))
        << QStringLiteral("L 0,0 1,0; L 1,0 2,0");
}

void TestInterpreter::verticalOnlySkips()
{
    QFETCH(QByteArray, font);
    QFETCH(QString, geometry);

    ConversionJob job;
    bool ok = false;
    QVERIFY(drawn(job, font, 1, ok));
    QCOMPARE(describe(job), geometry);
}

void TestInterpreter::subshapes_data()
{
    QTest::addColumn<QByteArray>("font");
    QTest::addColumn<quint16>("shape");
    QTest::addColumn<QString>("geometry");
    QTest::addColumn<bool>("ok");

    auto plain = [](const QList<std::pair<quint16, ShapeCode>> &shapes) {
        QList<Entry> entries;
        for (const auto &[number, code] : shapes)
            entries << Entry{number, definition("", code)};
        return shapeFont(8, entries);
    };
    const ShapeCode right = ShapeCode().vector(1, 0);

    QTest::newRow("shape font: runs from the current point")
        << plain({{1, ShapeCode().vector(1, 0).subshape(2).vector(1, 4)}, {2, right}})
        << quint16(1) << "L 0,0 1,0; L 1,0 2,0; L 2,0 2,1" << true;
    QTest::newRow("subshape starts with the pen down")
        << plain({{1, ShapeCode().penUp().subshape(2)}, {2, right}}) << quint16(1)
        << "L 0,0 1,0" << true;
    QTest::newRow("subshape leaves its pen and scales behind")
        << plain({{1, ShapeCode().subshape(2).vector(1, 0).penDown().vector(1, 0)},
                  {2, ShapeCode().penUp().multiply(2)}})
        << quint16(1) << "L 2,0 4,0" << true;
    QTest::newRow("missing subshape ends the glyph")
        << plain({{1, ShapeCode().vector(1, 0).subshape(99).vector(1, 4)}}) << quint16(1)
        << "L 0,0 1,0" << false;

    // Shape k steps right, calls k + 1, then steps up.
    QList<std::pair<quint16, ShapeCode>> chain;
    for (quint16 k = 1; k <= 4; ++k)
        chain.append({k, ShapeCode().vector(1, 0).subshape(quint8(k + 1)).vector(1, 4)});
    QList<std::pair<quint16, ShapeCode>> fourLevels = chain;
    fourLevels[3].second = right;
    QTest::newRow("four levels run whole")
        << plain(fourLevels) << quint16(1)
        << "L 0,0 1,0; L 1,0 2,0; L 2,0 3,0; L 3,0 4,0; L 4,0 4,1; L 4,1 4,2; L 4,2 4,3"
        << true;
    chain.append({5, right});
    QTest::newRow("the fifth level is not run")
        << plain(chain) << quint16(1) << "L 0,0 1,0; L 1,0 2,0; L 2,0 3,0; L 3,0 4,0" << false;
    QTest::newRow("a shape calling itself stops at the limit")
        << plain({{1, ShapeCode().vector(1, 0).subshape(1).vector(1, 4)}}) << quint16(1)
        << "L 0,0 1,0; L 1,0 2,0; L 2,0 3,0; L 3,0 4,0" << false;

    // Unifont numbers are two bytes, high first: 0x01 0x41 is 321, not 1
    // or 65.
    QTest::newRow("unifont: two-byte number")
        << unifont(fontInfo("u", 8), {{1, definition("", ShapeCode().unifontSubshape(321))},
                                      {65, definition("", ShapeCode().vector(1, 12))},
                                      {321, definition("", right)}})
        << quint16(1) << "L 0,0 1,0" << true;

    // Big fonts: height 8, so a width byte of 16 makes the x scale 2.
    QTest::newRow("big font: one-byte number")
        << bigfont({}, {{2, definition("", right)},
                        {0x8140, definition("", ShapeCode().subshape(2))}})
        << quint16(0x8140) << "L 0,0 1,0" << true;
    QTest::newRow("big font extended: origin and scales, then all undone")
        << bigfont({}, {{0x8140, definition("", ShapeCode().bigfontSubshape(0x8141, 2, 3, 16, 8)
                                                    .vector(1, 4))},
                        {0x8141, definition("", ShapeCode().vector(1, 0).multiply(5))}})
        << quint16(0x8140) << "L 2,3 4,3; L 0,0 0,1" << true;
    // The origin is added unscaled, and the caller's scale 4 is replaced,
    // not multiplied, inside the subshape.
    QTest::newRow("big font extended: origin unscaled, scales replaced")
        << bigfont({}, {{0x8140, definition("", ShapeCode().multiply(4)
                                                    .bigfontSubshape(0x8141, 2, 3, 8, 16)
                                                    .vector(1, 0))},
                        {0x8141, definition("", ShapeCode().vector(1, 2))}})
        << quint16(0x8140) << "L 2,3 3,5; L 0,0 4,0" << true;
}

void TestInterpreter::subshapes()
{
    QFETCH(QByteArray, font);
    QFETCH(quint16, shape);
    QFETCH(QString, geometry);
    QFETCH(bool, ok);

    ConversionJob job;
    bool result = !ok;
    QVERIFY(drawn(job, font, shape, result));
    QCOMPARE(describe(job), geometry);
    QCOMPARE(result, ok);
    QCOMPARE(job.subshapeDepth, 0);
}

// The shape is the last bytes of the file, cut where the row says: it
// ends there as if its end byte had been read.
void TestInterpreter::truncatedCode_data()
{
    QTest::addColumn<QByteArray>("definition");
    QTest::addColumn<QString>("geometry");

    auto row = [](const char *name, ShapeCode code, const char *geometry) {
        QTest::newRow(name) << QByteArray("cut", 4) + code.withoutEnd().bytes()
                            << QString::fromLatin1(geometry);
    };
    row("no end byte", ShapeCode().vector(1, 0).vector(1, 4), "P 0,0 1,0 1,1");
    row("code 8 without dy", ShapeCode().vector(1, 0).raw({8, 5}), "L 0,0 1,0");
    row("code 9 without its end pair", ShapeCode().raw({9, 1, 0, 0, 1}), "P 0,0 1,0 1,1");
    row("code 7 without its number", ShapeCode().vector(1, 0).raw({7}), "L 0,0 1,0");
    row("code 11 cut", ShapeCode().vector(1, 0).raw({11, 0, 0, 0}), "L 0,0 1,0");
    row("code 13 without its end pair", ShapeCode().raw({13, 10, 0, 127, 5}), "A 5,0 5 180..360");
    row("code 14 as the last byte", ShapeCode().vector(1, 0).verticalOnly(), "L 0,0 1,0");
    row("code 3 without its divisor", ShapeCode().vector(1, 0).raw({3}), "L 0,0 1,0");
    QTest::newRow("name without its zero byte") << QByteArray("name") << QString();
}

void TestInterpreter::truncatedCode()
{
    QFETCH(QByteArray, definition);
    QFETCH(QString, geometry);

    ConversionJob job;
    bool ok = false;
    QVERIFY(drawn(job, shapeFont(8, {{1, definition}}), 1, ok));
    QVERIFY(ok);
    QCOMPARE(describe(job), geometry);
}

// x' = x / above * fntWidth + xShift and y' = y / above * fntHeight +
// fntBaseline; the extents are truncated toward zero after each comparison.
void TestInterpreter::fntMapping()
{
    ConversionJob job;
    job.above = 10;
    job.resetGlyph();
    QCOMPARE(job.toFntPoint(QPointF(10, 10)), QPointF(128, 191));
    QCOMPARE(job.toFntPoint(QPointF(0, 0)), QPointF(0, 63));
    job.xShift = 3.0;
    QCOMPARE(job.toFntPoint(QPointF(-5, -5)), QPointF(-61, -1));

    job.above = 128;
    job.resetGlyph();
    QCOMPARE(job.minX, -256);
    QCOMPARE(job.maxX, -256);
    job.toFntPoint(QPointF(5.7, 0));
    QCOMPARE(job.minX, 5);
    QCOMPARE(job.maxX, 5);
    job.toFntPoint(QPointF(9.2, 0));
    QCOMPARE(job.maxX, 9);
    job.toFntPoint(QPointF(-3.7, -68.5)); // y' = -5.5
    QCOMPARE(job.minX, -3);
    QCOMPARE(job.maxX, 9);
    QCOMPARE(job.minY, -5);

    // minY belongs to the font, not the glyph.
    job.resetGlyph();
    job.toFntPoint(QPointF(1, 1));
    QCOMPARE(job.minX, 1);
    QCOMPARE(job.minY, -5);
}

QTEST_GUILESS_MAIN(TestInterpreter)
#include "tst_interpreter.moc"
