// End-to-end conversions of the sample fonts in samples/, checked against
// what their definitions in make_samples.py draw. All three fonts are 16
// shape units high, so with 128 FNT units per font height and the baseline
// at 63 a shape point (x, y) is written as (8x, 8y + 63).
#include "fnt/FntReader.h"
#include "job/ConversionJob.h"

#include <QFile>
#include <QTest>

#include <algorithm>

// A glyph as text: "w<advance>", then "L x1,y1 x2,y2" per line, "P x,y ..." per polyline.
static QString describe(const fnt::FntGlyph &glyph)
{
    QString text = QStringLiteral("w%1").arg(glyph.advance);
    for (const fnt::FntLine &l : glyph.lines)
        text += QStringLiteral(" L %1,%2 %3,%4").arg(l.x1).arg(l.y1).arg(l.x2).arg(l.y2);
    for (const fnt::FntPolyline &polyline : glyph.polylines) {
        text += QStringLiteral(" P");
        for (const QPoint &p : polyline.points)
            text += QStringLiteral(" %1,%2").arg(p.x()).arg(p.y());
    }
    return glyph.arcs.isEmpty() ? text : text + QStringLiteral(" and arcs");
}

class TestSamples : public QObject
{
    Q_OBJECT

private slots:
    void samples_data()
    {
        QTest::addColumn<QString>("chars");    // every code written, as text
        QTest::addColumn<QChar>("code");
        QTest::addColumn<QString>("drawing");    // of that code, worked out by hand
        // The shared parts bowl and ring are shapes 128 and 129. E: subshape F
        // draws (9,16) (0,16) (0,0) and the bar (0,8)-(7,8); E adds (0,0)-(9,0).
        QTest::newRow("varnel-sans") << " 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ\u0080\u0081" << QChar('E')
                                     << "w72 L 0,127 56,127 L 0,63 72,63 P 72,191 0,191 0,63";
        // The accents are the combining marks U+0301, U+0308, U+030A and U+030C.
        // Ł's bar (-2,5)-(2,9) maps to x = -16, so the glyph moves 16 units right.
        QTest::newRow("varnel-uni") << " ACEFLOSUZÁÅÉÖÜČŁŠŽ\u0301\u0308\u030A\u030C" << QChar(0x141)
                                    << "w88 L 0,103 32,135 P 16,191 16,63 88,63";
        // Escape range 0x81 to 0xFE holds 0xC9 but not 0x80: GBK, so the codes
        // (D2BB for 一, B6FE for 二...) are written as Unicode. 口 is the box
        // (2,2)-(14,14); 品 places it at (4,8), (0,0) and (8,0) at half size:
        // (5,9)-(11,15), (1,1)-(7,7), (9,1)-(15,7).
        QTest::newRow("varnel-big") << "一二三十王口日田中吕品回" << QChar(0x54C1)
                                    << "w112 P 40,135 40,183 88,183 88,135 40,135 P 8,71 8,119 56,119 "
                                       "56,71 8,71 P 72,71 72,119 120,119 120,71 72,71";
    }

    void samples()
    {
        QFETCH(QString, chars);
        QFETCH(QChar, code);
        QFETCH(QString, drawing);
        const QString base = QTest::currentDataTag();
        QFile in(QStringLiteral(VARNEL_SAMPLES_DIR "/%1.shx").arg(base));
        QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(in.fileName()));
        ConversionJob job;    // converted in memory as Apply does
        QCOMPARE(job.convertBytes(in.readAll(), base), ConversionOutcome::Converted);
        fnt::FntReader reader;
        QVERIFY(reader.read(job.fntBytes));
        const fnt::FntFont &font = reader.font();
        QCOMPARE(font.name(), base);
        QCOMPARE(font.baseline, qint16(63));    // nothing reaches below the baseline

        QList<quint16> expected, written;
        for (const QChar c : chars)
            expected.append(c.unicode());
        std::sort(expected.begin(), expected.end());
        for (const fnt::FntGlyph &glyph : font.glyphs) {
            written.append(glyph.code);
            const qsizetype strokes = glyph.lines.size() + glyph.polylines.size() + glyph.arcs.size();
            QVERIFY2((strokes == 0) == (glyph.code == ' '), qPrintable(QString::number(glyph.code, 16)));
            if (glyph.code == code.unicode())
                QCOMPARE(describe(glyph), drawing);
        }
        QCOMPARE(font.glyphCount, quint16(expected.size()));
        QCOMPARE(written, expected);
    }
};

QTEST_GUILESS_MAIN(TestSamples)
#include "tst_samples.moc"
