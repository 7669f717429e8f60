// The FNT reader on files the writer made and on hand-damaged ones.
#include "ShxBuilder.h"
#include "fnt/FntReader.h"
#include "job/ConversionJob.h"

#include <QtTest>

using namespace shxtest;

namespace {

// Two glyphs, written out by hand, one field per line.
QByteArray twoGlyphFont()
{
    return QByteArray::fromHex(
        "464958" + QByteArray(33, ' ').toHex() + // 0   name "FIX", 33 spaces
        "0003"                                   // 36  word A
        "0000"                                   // 38  word B
        "0080"                                   // 40  height 128
        "003f"                                   // 42  baseline 63
        "0080"                                   // 44  width 128
        "0002"                                   // 46  N = 2
        "0001"                                   // 48  R = 1
        "00410042"                               // 50  range 65..66
        "0000003e"                               // 54  offset 62 = 50 + 4 + 8
        "00000054"                               // 58  offset 84 = 62 + 22
        "0080000100000000" "000000000000"        // 62  advance 128, L 1, P 0, A 0, reserved
        "0000003f0080003f"                       // 76  line (0,63)-(128,63)
        "0040000000010001" "000000000000"        // 84  advance 64, L 0, P 1, A 1, reserved
        "0003" "0000003f" "0040003f" "0040007f"  // 98  polyline (0,63) (64,63) (64,127)
        "0040003f0020"                           // 112 arc centre (64,63), radius 32
        "00000000" "42b40000");                  // 118 from 0.0 to 90.0 degrees; ends at 126
}

QByteArray patched(QByteArray bytes, int pos, const QByteArray &hex)
{
    return bytes.replace(pos, hex.size() / 2, QByteArray::fromHex(hex));
}

QList<qint64> positionsOf(const fnt::FntReader &reader)
{
    QList<qint64> positions;
    for (const fnt::FntViolation &violation : reader.violations())
        positions.append(violation.position);
    return positions;
}

QByteArray convert(const QByteArray &shx, bool useCodePage = false, int codePageIndex = 0)
{
    ConversionJob job;
    job.useCodePage = useCodePage;
    job.codePageIndex = codePageIndex;
    if (job.convertBytes(shx, QStringLiteral("font")) != ConversionOutcome::Converted)
        return {};
    return job.fntBytes;
}

} // namespace

class FntReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void readsTheHandWrittenFont();
    void readsTheEmptyFont();
    void acceptsWhatTheWriterMakes_data();
    void acceptsWhatTheWriterMakes();
    void decodesTheWritersGeometry();
    void reportsDamage_data();
    void reportsDamage();
    void rejectsEveryProperPrefix();
};

void FntReaderTest::readsTheHandWrittenFont()
{
    fnt::FntReader reader;
    QVERIFY2(reader.read(twoGlyphFont()), qPrintable(reader.violations().value(0).message));
    const fnt::FntFont &font = reader.font();
    QCOMPARE(font.name(), QStringLiteral("FIX"));
    QCOMPARE(font.glyphCount, quint16(2));
    QCOMPARE(font.glyphs.size(), 2);
    QCOMPARE(font.glyphs[0].code, quint16(65));
    QCOMPARE(font.glyphs[1].code, quint16(66));
    QCOMPARE(font.glyphs[1].advance, qint16(64));
    QCOMPARE(font.glyphs[1].polylines[0].points.last(), QPoint(64, 127));
    QCOMPARE(font.glyphs[1].arcs[0].endAngle, 90.0f);

    // Line to x 128; polyline up to y 127; the arc of radius 32 round
    // (64,63) from 0 to 90 degrees reaches x 96 and y 95 only.
    const fnt::FntExtents box = font.extents();
    QCOMPARE(box.minX, 0.0);
    QCOMPARE(box.maxX, 128.0);
    QCOMPARE(box.minY, 63.0);
    QCOMPARE(box.maxY, 127.0);
    const fnt::FntExtents arcOnly = [] {
        fnt::FntGlyph glyph;
        glyph.arcs.append({0, 0, 10, 45.0f, 200.0f}); // passes 90 and 180
        return glyph.extents();
    }();
    QVERIFY(qAbs(arcOnly.minX + 10.0) < 1e-9);
    QVERIFY(qAbs(arcOnly.maxY - 10.0) < 1e-9);
    QVERIFY(qAbs(arcOnly.maxX - 10.0 * std::cos(M_PI / 4)) < 1e-9);
    QVERIFY(qAbs(arcOnly.minY - 10.0 * std::sin(200.0 * M_PI / 180.0)) < 1e-6);
}

void FntReaderTest::readsTheEmptyFont()
{
    // test.shx without shapes: 48 bytes, no range count.
    const QByteArray bytes = QByteArray::fromHex(
        "74657374" + QByteArray(32, ' ').toHex() + "000300000080003f00800000");
    fnt::FntReader reader;
    QVERIFY(reader.read(bytes));
    QCOMPARE(reader.font().name(), QStringLiteral("test"));
    QVERIFY(reader.font().extents().empty);
}

void FntReaderTest::acceptsWhatTheWriterMakes_data()
{
    QTest::addColumn<QByteArray>("shx");
    QTest::addColumn<bool>("useCodePage");
    QTest::addColumn<int>("codePageIndex");
    QTest::addColumn<int>("glyphs");

    const QByteArray line = definition("L", ShapeCode().vector(8, 0));
    const QByteArray polyline = definition("P", ShapeCode().vector(4, 0).vector(4, 4));
    const QByteArray arc = definition("A", ShapeCode().penUp().move(4, 0).penDown().octantArc(4, 0x02));
    const QByteArray empty = definition("S", ShapeCode());
    const QByteArray callsLine = definition("C", ShapeCode().subshape(65).vector(2, 12));

    QTest::newRow("shape font with lines, polylines, arcs and a subshape")
        << shapeFont(8, {{65, line}, {66, polyline}, {67, arc}, {68, callsLine}, {32, empty}})
        << false << 0 << 5;
    QTest::newRow("glyph reaching below the baseline and left of zero")
        << shapeFont(8, {{65, definition("D", ShapeCode().vector(8, 12).vector(8, 10))}}) << false
        << 0 << 1;
    QTest::newRow("unifont")
        << unifont(fontInfo("U", 8), {{0x4E00, line}, {0x4E01, arc}, {0x20AC, polyline}})
        << false << 0 << 3;
    // 0xB0A1 is U+AC00 in code page 949; 0xAC00 is no character there and
    // keeps its code, so both shapes file under 0xAC00.
    QTest::newRow("big font whose codes collide under a code page")
        << bigfont({{0x81, 0xFE}}, {{0xB0A1, line}, {0xAC00, arc}, {0x41, polyline}}) << true
        << 1 << 3;
}

void FntReaderTest::acceptsWhatTheWriterMakes()
{
    QFETCH(QByteArray, shx);
    QFETCH(bool, useCodePage);
    QFETCH(int, codePageIndex);
    QFETCH(int, glyphs);

    const QByteArray fntBytes = convert(shx, useCodePage, codePageIndex);
    QVERIFY(!fntBytes.isEmpty());
    fnt::FntReader reader;
    const bool valid = reader.read(fntBytes);
    QVERIFY2(valid, qPrintable(reader.violations().value(0).message));
    QCOMPARE(reader.font().glyphs.size(), glyphs);
    QCOMPARE(reader.font().glyphs.last().position + reader.font().glyphs.last().size,
             fntBytes.size());
}

void FntReaderTest::decodesTheWritersGeometry()
{
    // Height 8 shape units = 128 FNT units, baseline at 63: a vector of
    // length 8 to the right runs from (0,63) to (128,63).
    const QByteArray fntBytes = convert(shapeFont(8, {{65, definition("L", ShapeCode().vector(8, 0))}}));
    fnt::FntReader reader;
    QVERIFY(reader.read(fntBytes));
    const fnt::FntGlyph glyph = reader.font().glyphs.value(0);
    QCOMPARE(glyph.code, quint16(65));
    QCOMPARE(glyph.advance, qint16(128));
    QCOMPARE(glyph.lines.size(), 1);
    QCOMPARE(glyph.lines[0].x1, qint16(0));
    QCOMPARE(glyph.lines[0].y1, qint16(63));
    QCOMPARE(glyph.lines[0].x2, qint16(128));
    QCOMPARE(glyph.lines[0].y2, qint16(63));
}

void FntReaderTest::reportsDamage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("position");

    const QByteArray good = twoGlyphFont();
    QTest::newRow("truncated in the header") << good.left(40) << qint64(40);
    QTest::newRow("truncated in the range table") << good.left(52) << qint64(52);
    QTest::newRow("truncated in the offset table") << good.left(58) << qint64(58);
    QTest::newRow("truncated in the last arc") << good.left(120) << qint64(120);
    QTest::newRow("one byte too many") << good + '\0' << qint64(126);
    QTest::newRow("no glyphs, yet bytes follow") << patched(good, 46, "0000") << qint64(48);
    QTest::newRow("glyph count above the ranges' codes") << patched(good, 46, "0003") << qint64(46);
    QTest::newRow("range that ends before it starts") << patched(good, 50, "00420041") << qint64(52);
    QTest::newRow("first offset past the table") << patched(good, 54, "0000003f") << qint64(54);
    QTest::newRow("second offset off by one") << patched(good, 58, "00000055") << qint64(58);
    QTest::newRow("reserved byte set") << patched(good, 70, "01") << qint64(70);
    QTest::newRow("polyline of two points") << patched(good, 98, "0002") << qint64(98);
    QTest::newRow("arc ending below its start") << patched(good, 118, "42b4000000000000") << qint64(122);
    QTest::newRow("arc angle not a number") << patched(good, 122, "7fc00000") << qint64(118);
    QTest::newRow("first header word not 3") << patched(good, 36, "0004") << qint64(36);
    QTest::newRow("range count too large for the file") << patched(good, 48, "ffff") << qint64(126);
    QTest::newRow("line count too large for the file") << patched(good, 64, "ffff") << qint64(126);
}

void FntReaderTest::reportsDamage()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, position);

    fnt::FntReader reader;
    QVERIFY(!reader.read(bytes));
    QVERIFY(!reader.violations().isEmpty());
    QVERIFY2(positionsOf(reader).contains(position),
             qPrintable(QStringLiteral("no violation at %1; first: %2 at %3")
                            .arg(position)
                            .arg(reader.violations().first().message)
                            .arg(reader.violations().first().position)));
}

void FntReaderTest::rejectsEveryProperPrefix()
{
    const QByteArray shx = shapeFont(8, {{65, definition("L", ShapeCode().vector(8, 0))},
                                         {66, definition("A", ShapeCode().octantArc(4, 0x14))},
                                         {67, definition("P", ShapeCode().vector(4, 0).vector(4, 4))}});
    const QByteArray whole = convert(shx);
    QVERIFY(!whole.isEmpty());
    fnt::FntReader reader;
    QVERIFY(reader.read(whole));
    // Under the sanitizers this also shows no prefix is read past its end.
    for (qsizetype size = 0; size < whole.size(); ++size)
        QVERIFY2(!reader.read(whole.left(size)), qPrintable(QString::number(size)));
}

QTEST_APPLESS_MAIN(FntReaderTest)
#include "FntReaderTest.moc"
