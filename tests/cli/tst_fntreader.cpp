// The FNT reader behind inspect and preview: it takes every file the writer
// makes, no prefix of one, and names each kind of damage at its byte.
#include "ShxBuilder.h"
#include "fnt/FntReader.h"
#include "job/ConversionJob.h"

#include <QtTest>

using namespace shxtest;

class FntReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void readerTakesWhatTheWriterMakesButNoPrefix();
    void readerFindsDamageWhereItShows_data();
    void readerFindsDamageWhereItShows();
};

void FntReaderTest::readerTakesWhatTheWriterMakesButNoPrefix()
{
    ConversionJob job;
    const auto shx = shapeFont(8, {{65, definition("L", ShapeCode().vector(8, 0))},
                                   {66, definition("A", ShapeCode().octantArc(4, 0x02))},
                                   {67, definition("P", ShapeCode().vector(4, 0).vector(4, 4))}});
    QCOMPARE(job.convertBytes(shx, QStringLiteral("font")), ConversionOutcome::Converted);
    fnt::FntReader reader;
    QVERIFY2(reader.read(job.fntBytes), qPrintable(reader.violations().value(0).message));
    // Under the sanitizers this also shows no prefix is read past its end.
    for (qsizetype size = 0; size < job.fntBytes.size(); ++size)
        QVERIFY2(!reader.read(job.fntBytes.left(size)), qPrintable(QString::number(size)));
}

void FntReaderTest::readerFindsDamageWhereItShows_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("position"); // -1: intact

    // Two glyphs written out by hand; each line starts at the byte in its comment.
    const QByteArray good = QByteArray::fromHex(
        "464958" + QByteArray(33, ' ').toHex() + // 0   name "FIX"
        "0003" "0000" "0080" "003f" "0080"       // 36  words; height 128, baseline 63, width 128
        "0002" "0001" "00410042"                 // 46  N 2, R 1, range 65..66
        "0000003e" "00000054"                    // 54  offsets 62 = 54 + 8 and 84 = 62 + 22
        "0080000100000000" "000000000000"        // 62  advance 128, L 1, P 0, A 0, reserved
        "0000003f0080003f"                       // 76  line (0,63)-(128,63)
        "0040000000010001" "000000000000"        // 84  advance 64, L 0, P 1, A 1, reserved
        "0003" "0000003f" "0040003f" "0040007f"  // 98  polyline (0,63) (64,63) (64,127)
        "0040003f0020" "00000000" "42b40000");   // 112 arc round (64,63), r 32, 0 to 90 degrees
    const auto patched = [&good](int pos, const QByteArray &hex) {
        return QByteArray(good).replace(pos, hex.size() / 2, QByteArray::fromHex(hex));
    };
    QTest::newRow("intact") << good << qint64(-1);
    QTest::newRow("cut in the last arc") << good.left(120) << qint64(120);
    QTest::newRow("one byte too many") << good + '\0' << qint64(126);
    QTest::newRow("glyph count above the ranges' codes") << patched(46, "0003") << qint64(46);
    QTest::newRow("second offset off by one") << patched(58, "00000055") << qint64(58);
    QTest::newRow("polyline of two points") << patched(98, "0002") << qint64(98);
    QTest::newRow("first header word 4, not 3") << patched(36, "0004") << qint64(36);
    QTest::newRow("a reserved byte of 1") << patched(70, "01") << qint64(70);
    QTest::newRow("arc ending below its start") << patched(118, "42b4000000000000") << qint64(122);
    QTest::newRow("line count too large for the file") << patched(64, "ffff") << qint64(126);
}

void FntReaderTest::readerFindsDamageWhereItShows()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, position);

    fnt::FntReader reader;
    QCOMPARE(reader.read(bytes), position < 0);
    QList<qint64> positions{-1};
    for (const fnt::FntViolation &violation : reader.violations())
        positions << violation.position;
    QVERIFY2(positions.contains(position), qPrintable(reader.violations().value(0).message));
}

QTEST_GUILESS_MAIN(FntReaderTest)
#include "tst_fntreader.moc"
