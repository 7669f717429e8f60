// End-to-end conversions of the sample fonts in samples/, checked against
// what their definitions in make_samples.py draw.
//
// All three fonts are 16 shape units high, so with the default 128 FNT units
// per font height and the baseline at 63 a shape point (x, y) is written as
// (8x, 8y + 63). The expected values below are worked out that way from the
// definitions.
#include "fnt/FntReader.h"
#include "job/ConversionJob.h"

#include <QFile>
#include <QFileInfo>
#include <QLine>
#include <QList>
#include <QPoint>
#include <QTest>

#include <algorithm>

using Polyline = QList<QPoint>;

namespace {

// The sorted UTF-16 units of `chars`: expected code lists read as text.
QList<quint16> codesOf(const QString &chars)
{
    QList<quint16> codes;
    for (const QChar c : chars)
        codes.append(c.unicode());
    std::sort(codes.begin(), codes.end());
    return codes;
}

const fnt::FntGlyph *findGlyph(const fnt::FntFont &font, quint16 code)
{
    for (const fnt::FntGlyph &glyph : font.glyphs) {
        if (glyph.code == code)
            return &glyph;
    }
    return nullptr;
}

} // namespace

class TestSamples : public QObject
{
    Q_OBJECT

private slots:
    void wholeFonts_data();
    void wholeFonts();
    void strokes_data();
    void strokes();
    void arcs_data();
    void arcs();

private:
    // Converts samples/<file> in memory as Apply does and reads the FNT
    // image back, failing the test if either step goes wrong.
    void convert(const QString &file, ConversionJob &job, fnt::FntReader &reader);
};

void TestSamples::convert(const QString &file, ConversionJob &job, fnt::FntReader &reader)
{
    QFile in(QStringLiteral(VARNEL_SAMPLES_DIR "/") + file);
    QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(in.fileName()));
    QCOMPARE(job.convertBytes(in.readAll(), QFileInfo(file).baseName()),
             ConversionOutcome::Converted);
    const bool valid = reader.read(job.fntBytes);
    QVERIFY2(valid, valid ? "" : qPrintable(reader.violations().first().message));
}

void TestSamples::wholeFonts_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("useCodePage");
    QTest::addColumn<int>("codePageKind");
    QTest::addColumn<QList<quint16>>("codes");

    // The two shared parts, bowl and ring, are shapes 128 and 129.
    QTest::newRow("shape font: space, digits, capitals, shared parts")
        << "varnel-sans.shx" << false << 0
        << codesOf(QStringLiteral(" 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ\u0080\u0081"));
    // Accents are the combining marks U+0301, U+0308, U+030A and U+030C.
    QTest::newRow("unifont: capitals, accented capitals, accents")
        << "varnel-uni.shx" << false << 0
        << codesOf(QStringLiteral(" ACEFLOSUZÁÅÉÖÜČŁŠŽ\u0301\u0308\u030A\u030C"));
    // Escape range 0x81 to 0xFE holds 0xC9 but not 0x80: GBK.
    QTest::newRow("big font: GBK found from its escape range")
        << "varnel-big.shx" << false << 3 << codesOf(QStringLiteral("一二三十王口日田中吕品回"));
    // "Unicode (default)" chosen by hand keeps the GBK codes themselves.
    QTest::newRow("big font: GBK codes kept as they are")
        << "varnel-big.shx" << true << 0
        << QList<quint16>{
               0xB6FE, // 二
               0xBBD8, // 回
               0xBFDA, // 口
               0xC2C0, // 吕
               0xC6B7, // 品
               0xC8D5, // 日
               0xC8FD, // 三
               0xCAAE, // 十
               0xCCEF, // 田
               0xCDF5, // 王
               0xD2BB, // 一
               0xD6D0, // 中
           };
}

void TestSamples::wholeFonts()
{
    QFETCH(QString, file);
    QFETCH(bool, useCodePage);
    QFETCH(int, codePageKind);
    QFETCH(QList<quint16>, codes);

    ConversionJob job;
    job.useCodePage = useCodePage;
    job.codePageIndex = 0;
    fnt::FntReader reader;
    convert(file, job, reader);
    if (QTest::currentTestFailed())
        return;
    const fnt::FntFont &font = reader.font();

    QCOMPARE(job.codePageKind, codePageKind);
    QCOMPARE(font.name(), QFileInfo(file).baseName());
    // Nothing in the samples reaches below the baseline.
    QCOMPARE(font.baseline, qint16(63));
    QCOMPARE(font.glyphCount, quint16(codes.size()));
    QList<quint16> written;
    for (const fnt::FntGlyph &glyph : font.glyphs)
        written.append(glyph.code);
    QCOMPARE(written, codes);

    for (const fnt::FntGlyph &glyph : font.glyphs) {
        const qsizetype strokes = glyph.lines.size() + glyph.polylines.size() + glyph.arcs.size();
        if (glyph.code == ' ') {
            QCOMPARE(strokes, 0);
            QCOMPARE(glyph.advance, qint16(128)); // the width of a glyph that draws nothing
        } else {
            QVERIFY2(strokes > 0, qPrintable(QString::number(glyph.code, 16)));
        }
    }
}

void TestSamples::strokes_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<quint16>("code");
    QTest::addColumn<int>("advance");
    QTest::addColumn<QList<QLine>>("lines");
    QTest::addColumn<QList<Polyline>>("polylines");

    // Corners (0,0) (0,16) (6,6) (12,16) (12,0), all from one code-9 command.
    QTest::newRow("M: one polyline through its five corners")
        << "varnel-sans.shx" << quint16('M') << 96 << QList<QLine>{}
        << QList<Polyline>{{{0, 63}, {0, 191}, {48, 111}, {96, 191}, {96, 63}}};
    // F: (9,16) (0,16) (0,0), bar (0,8)-(7,8); then E's bar (0,0)-(9,0).
    QTest::newRow("E: F as a subshape, then its own bottom bar")
        << "varnel-sans.shx" << quint16('E') << 72
        << QList<QLine>{{0, 127, 56, 127}, {0, 63, 72, 63}}
        << QList<Polyline>{{{72, 191}, {0, 191}, {0, 63}}};
    // Legs (0,0) (5,16) (10,0) and the bar (2,6)-(8,6).
    QTest::newRow("A: legs as one polyline, bar as a line")
        << "varnel-sans.shx" << quint16('A') << 80 << QList<QLine>{{16, 111, 64, 111}}
        << QList<Polyline>{{{0, 63}, {40, 191}, {80, 63}}};
    // The acute, subshape 0x0301, runs first from (5,18): (4,18)-(6,21).
    QTest::newRow("Á: A with the acute, a two-byte subshape number")
        << "varnel-uni.shx" << quint16(0xC1) << 80
        << QList<QLine>{{32, 207, 48, 231}, {16, 111, 64, 111}}
        << QList<Polyline>{{{0, 63}, {40, 191}, {80, 63}}};
    // The bar (-2,5)-(2,9) maps to x = -16, so the glyph is drawn again 16
    // units to the right: stem at 16, bar from 0.
    QTest::newRow("Ł: the bar reaches left of x = 0 and the glyph moves right")
        << "varnel-uni.shx" << quint16(0x141) << 88 << QList<QLine>{{0, 103, 32, 135}}
        << QList<Polyline>{{{16, 191}, {16, 63}, {88, 63}}};
    // 口 is the box (2,2)-(14,14). Placed at (4,8), (0,0) and (8,0) at half
    // size: (5,9)-(11,15), (1,1)-(7,7), (9,1)-(15,7).
    QTest::newRow("品: three boxes placed and halved by big font subshapes")
        << "varnel-big.shx" << quint16(0x54C1) << 112 << QList<QLine>{}
        << QList<Polyline>{{{40, 135}, {40, 183}, {88, 183}, {88, 135}, {40, 135}},
                           {{8, 71}, {8, 119}, {56, 119}, {56, 71}, {8, 71}},
                           {{72, 71}, {72, 119}, {120, 119}, {120, 71}, {72, 71}}};
    // Box at (0,4), half height: (2,5)-(14,11). The stem starts from the
    // restored origin: (8,15)-(8,1).
    QTest::newRow("中: box at half height, point restored for the stem")
        << "varnel-big.shx" << quint16(0x4E2D) << 96 << QList<QLine>{{64, 183, 64, 71}}
        << QList<Polyline>{{{16, 103}, {16, 151}, {112, 151}, {112, 103}, {16, 103}}};
    // Box at (4,0), half width: (5,2)-(11,14); bar (5,8)-(11,8).
    QTest::newRow("日: box at half width, point restored for the bar")
        << "varnel-big.shx" << quint16(0x65E5) << 48 << QList<QLine>{{40, 127, 88, 127}}
        << QList<Polyline>{{{40, 79}, {40, 175}, {88, 175}, {88, 79}, {40, 79}}};
}

void TestSamples::strokes()
{
    QFETCH(QString, file);
    QFETCH(quint16, code);
    QFETCH(int, advance);
    QFETCH(QList<QLine>, lines);
    QFETCH(QList<Polyline>, polylines);

    ConversionJob job;
    fnt::FntReader reader;
    convert(file, job, reader);
    if (QTest::currentTestFailed())
        return;
    const fnt::FntGlyph *glyph = findGlyph(reader.font(), code);
    QVERIFY(glyph);

    QList<QLine> writtenLines;
    for (const fnt::FntLine &line : glyph->lines)
        writtenLines.append(QLine(line.x1, line.y1, line.x2, line.y2));
    QList<Polyline> writtenPolylines;
    for (const fnt::FntPolyline &polyline : glyph->polylines)
        writtenPolylines.append(polyline.points);

    QCOMPARE(writtenLines, lines);
    QCOMPARE(writtenPolylines, polylines);
    QVERIFY(glyph->arcs.isEmpty());
    QCOMPARE(glyph->advance, qint16(advance));
}

void TestSamples::arcs_data()
{
    QTest::addColumn<quint16>("code");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("centerX");
    QTest::addColumn<int>("centerY");
    QTest::addColumn<int>("radius");
    QTest::addColumn<float>("startAngle");
    QTest::addColumn<float>("endAngle");

    // bowl: from (4,0) counter-clockwise over octants 6, 7, 0, 1: centre
    // (4,4), radius 4, 270 to 450 degrees. B runs it from (0,0) and (0,8).
    QTest::newRow("B lower bowl: octant arc") << quint16('B') << 0 << 32 << 95 << 32 << 270.0f << 450.0f;
    QTest::newRow("B upper bowl: same subshape 8 units up")
        << quint16('B') << 1 << 32 << 159 << 32 << 270.0f << 450.0f;
    // Clockwise arcs are written counter-clockwise: the top of O runs from
    // 180 down to 0 degrees round (5,11), the bottom from 0 to -180 round (5,5).
    QTest::newRow("O top: clockwise arc kept as 0 to 180")
        << quint16('O') << 0 << 40 << 151 << 40 << 0.0f << 180.0f;
    QTest::newRow("O bottom: clockwise arc kept as 180 to 360")
        << quint16('O') << 1 << 40 << 103 << 40 << 180.0f << 360.0f;
    // Bulge 127 from (8,12) to (0,12): half circle over the top round (4,12),
    // from angle 360 to 540. Bulge -127 from (8,4) to (0,4): the half under
    // the bottom round (4,4), 180 to 360.
    QTest::newRow("S top: bulge arc counter-clockwise")
        << quint16('S') << 0 << 32 << 159 << 32 << 360.0f << 540.0f;
    QTest::newRow("S bottom: bulge arc clockwise")
        << quint16('S') << 3 << 32 << 95 << 32 << 180.0f << 360.0f;
}

void TestSamples::arcs()
{
    QFETCH(quint16, code);
    QFETCH(int, index);
    QFETCH(int, centerX);
    QFETCH(int, centerY);
    QFETCH(int, radius);
    QFETCH(float, startAngle);
    QFETCH(float, endAngle);

    ConversionJob job;
    fnt::FntReader reader;
    convert(QStringLiteral("varnel-sans.shx"), job, reader);
    if (QTest::currentTestFailed())
        return;
    const fnt::FntGlyph *glyph = findGlyph(reader.font(), code);
    QVERIFY(glyph);
    QVERIFY(index < glyph->arcs.size());
    const fnt::FntArc &arc = glyph->arcs.at(index);

    // Centres and radii come out of sines and cosines and are truncated
    // when written, so a hand-worked 32 may be stored as 31.
    QVERIFY2(qAbs(arc.centerX - centerX) <= 1, qPrintable(QString::number(arc.centerX)));
    QVERIFY2(qAbs(arc.centerY - centerY) <= 1, qPrintable(QString::number(arc.centerY)));
    QVERIFY2(qAbs(arc.radius - radius) <= 1, qPrintable(QString::number(arc.radius)));
    QCOMPARE(arc.startAngle, startAngle);
    QCOMPARE(arc.endAngle, endAngle);
}

QTEST_GUILESS_MAIN(TestSamples)
#include "tst_samples.moc"
