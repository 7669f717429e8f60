// The FNT image: header, ranges, offsets, glyph records, the shift right,
// the baseline fix-up, names, and writing the file.
#include "CoreTestSupport.h"
#include "ShxBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace shxtest;
using coretest::i16At;
using coretest::u16At;
using coretest::u32At;

class TestFntOutput : public QObject
{
    Q_OBJECT

private slots:
    void fontWithoutGlyphs_data();
    void fontWithoutGlyphs();
    void oneEmptyGlyph();
    void rangesAndOffsets_data();
    void rangesAndOffsets();
    void codePageOrderAndDuplicates();
    void recordLayout();
    void advanceAndShift_data();
    void advanceAndShift();
    void baselineFixUp_data();
    void baselineFixUp();
    void fontNames_data();
    void fontNames();
    void writing_data();
    void writing();
    void convertingTwiceGivesTheSameBytes();
};

namespace {

const QByteArray kEmptyShape("\0\0", 2); // no name, end byte

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// The header of a font called "test": the name padded to 36 bytes, then
// the words 3, 0, 128, 63, 128.
QByteArray testHeader()
{
    return QByteArray("test").leftJustified(36, ' ') + hex("0003 0000 0080 003F 0080");
}

QByteArray converted(const QByteArray &font, const QString &name = QStringLiteral("test"))
{
    ConversionJob job;
    if (job.convertBytes(font, name) != ConversionOutcome::Converted)
        return QByteArray();
    return job.fntBytes;
}

// The record of the only glyph of a one-glyph font: it follows the 50-byte
// header, one range and one offset.
QByteArray onlyRecord(const QByteArray &fnt)
{
    return fnt.mid(58);
}

} // namespace

void TestFntOutput::fontWithoutGlyphs_data()
{
    QTest::addColumn<QByteArray>("font");
    QTest::addColumn<QByteArray>("fnt");

    // 48 bytes: header and glyph count 0, and no range count behind it.
    const QByteArray expected = testHeader() + hex("0000");
    QTest::newRow("only the font-info shape") << shapeFont(8, {}) << expected;
    QTest::newRow("no shape at all") << shapeFont({}) << expected;
    QTest::newRow("unifont with only its font info") << unifont(fontInfo("u", 8), {}) << expected;
    QTest::newRow("big font without entries") << bigfont({}, {}) << expected;
}

void TestFntOutput::fontWithoutGlyphs()
{
    QFETCH(QByteArray, font);
    QFETCH(QByteArray, fnt);
    QCOMPARE(converted(font), fnt);
    QCOMPARE(fnt.size(), 48);
}

void TestFntOutput::oneEmptyGlyph()
{
    const QByteArray expected = testHeader()
                                + hex("0001"            // glyph count
                                      "0001"            // range count
                                      "0020 0020"       // the range 32..32
                                      "0000003A"        // offset 58
                                      "0080 0000 0000 0000 000000000000"); // advance 128
    QCOMPARE(converted(shapeFont(8, {{32, kEmptyShape}})), expected);
    QCOMPARE(expected.size(), 72);
}

// Every glyph draws nothing, so each record is 14 bytes and the offsets step
// by 14 from 50 + 4R + 4N.
void TestFntOutput::rangesAndOffsets_data()
{
    QTest::addColumn<QList<int>>("shapes");
    QTest::addColumn<QList<int>>("ranges");

    QTest::newRow("one code") << QList<int>{65} << QList<int>{65, 65};
    QTest::newRow("a run and a single")
        << QList<int>{65, 66, 67, 97} << QList<int>{65, 67, 97, 97};
    QTest::newRow("shape 0 is not a glyph")
        << QList<int>{0, 65, 66, 67, 97} << QList<int>{65, 67, 97, 97};
    QTest::newRow("no two codes adjacent") << QList<int>{1, 3, 5} << QList<int>{1, 1, 3, 3, 5, 5};
    QTest::newRow("across a byte boundary") << QList<int>{255, 256, 257} << QList<int>{255, 257};
    QTest::newRow("top of the code space")
        << QList<int>{0xFFFE, 0xFFFF} << QList<int>{0xFFFE, 0xFFFF};
    QTest::newRow("lowest and highest")
        << QList<int>{1, 0xFFFF} << QList<int>{1, 1, 0xFFFF, 0xFFFF};
}

void TestFntOutput::rangesAndOffsets()
{
    QFETCH(QList<int>, shapes);
    QFETCH(QList<int>, ranges);

    QList<Entry> entries;
    for (int shape : shapes)
        entries << Entry{quint16(shape), shape == 0 ? fontInfo("info", 8) : kEmptyShape};
    const QByteArray fnt = converted(shapeFont(entries));

    const int glyphs = int(shapes.size() - shapes.count(0));
    const int rangeCount = int(ranges.size() / 2);
    QCOMPARE(int(u16At(fnt, 46)), glyphs);
    QCOMPARE(int(u16At(fnt, 48)), rangeCount);
    for (int i = 0; i < ranges.size(); ++i)
        QCOMPARE(int(u16At(fnt, 50 + 2 * i)), ranges.at(i));
    const int table = 50 + 4 * rangeCount;
    for (int k = 0; k < glyphs; ++k)
        QCOMPARE(u32At(fnt, table + 4 * k), quint32(table + 4 * glyphs + 14 * k));
    QCOMPARE(fnt.size(), table + 4 * glyphs + 14 * glyphs);
}

// Code page 949: B0A1 and B0A2 are U+AC00 and U+AC01, CAA1 is U+4F3D, and
// AC00 (trail byte 00) is no character, so it keeps its own code AC00.
void TestFntOutput::codePageOrderAndDuplicates()
{
    // Big font height 8: one unit is 16 FNT units.
    const QByteArray font = bigfont(
        {}, {{0xAC00, definition("", ShapeCode().vector(2, 0))},
             {0xB0A1, definition("", ShapeCode().vector(1, 0))},
             {0xB0A2, definition("", ShapeCode().vector(1, 4))},
             {0xCAA1, definition("", ShapeCode())}});
    ConversionJob job;
    job.useCodePage = true;
    job.codePageIndex = 1;
    QCOMPARE(job.convertBytes(font, QStringLiteral("test")), ConversionOutcome::Converted);
    const QByteArray &fnt = job.fntBytes;

    // Codes in Unicode order: 4F3D, AC00, AC00, AC01. The repeated AC00
    // starts a new run.
    QCOMPARE(u16At(fnt, 46), quint16(4));
    QCOMPARE(fnt.mid(48, 14), hex("0003 4F3D 4F3D AC00 AC00 AC00 AC01"));

    const QByteArray empty = hex("0080 0000 0000 0000 000000000000");
    // Both AC00 entries get the record of the higher shape number, B0A1.
    const QByteArray b0a1 = hex("0010 0001 0000 0000 000000000000 0000 003F 0010 003F");
    const QByteArray b0a2 = hex("0001 0001 0000 0000 000000000000 0000 003F 0000 004F");
    // 50 + 12 + 16 = 78; then 14, 22 and 22 bytes.
    QCOMPARE(fnt.mid(62, 16), hex("0000004E 0000005C 00000072 00000088"));
    QCOMPARE(fnt.mid(78), empty + b0a1 + b0a1 + b0a2);
}

// Lines, then polylines, then arcs, whatever order they were drawn in.
void TestFntOutput::recordLayout()
{
    // Big font height 128: x' = x, y' = y + 63.
    const ShapeCode code = ShapeCode()
                               .penUp()
                               .move(20, 0)
                               .octantArc(10, 0x04)    // (20,0) round to (0,0), centre (10,0)
                               .penDown()
                               .moves({{0, 5}, {5, 0}}) // (0,0) (0,5) (5,5)
                               .penDown()
                               .move(1, 0);             // (5,5) (6,5)
    const QByteArray fnt = converted(bigfont({}, {{0x41, definition("", code)}}, 128));
    QCOMPARE(onlyRecord(fnt),
             hex("0014 0001 0001 0001 000000000000"       // advance 20, one of each
                 "0005 0044 0006 0044"                    // the line
                 "0003 0000 003F 0000 0044 0005 0044"     // the polyline
                 "000A 003F 000A 00000000 43340000"));    // centre, radius, 0 and 180 degrees
}

// above 10: one shape unit is 12.8 FNT units across.
void TestFntOutput::advanceAndShift_data()
{
    QTest::addColumn<QByteArray>("font");
    QTest::addColumn<QByteArray>("record");

    auto glyph = [](const ShapeCode &code, quint8 above = 10) {
        return shapeFont(above, {{65, definition("", code)}});
    };
    QTest::newRow("one vertical line: advance 1")
        << glyph(ShapeCode().move(0, 1))
        << hex("0001 0001 0000 0000 000000000000 0000 003F 0000 004B");
    // -12.8 gives minX -12: drawn again 12 to the right, -0.8 is written 0.
    QTest::newRow("left overhang: shifted by its whole part")
        << glyph(ShapeCode().move(-1, 0))
        << hex("000C 0001 0000 0000 000000000000 000C 003F 0000 003F");
    QTest::newRow("left margin kept")
        << glyph(ShapeCode().penUp().move(1, 0).penDown().move(1, 0))
        << hex("000D 0001 0000 0000 000000000000 000C 003F 0019 003F");
    // Centre -12.8, radius 12.8, 0..180: leftmost -25.6 gives the shift 25.
    QTest::newRow("an arc is shifted too")
        << glyph(ShapeCode().octantArc(1, 0x04))
        << hex("0019 0000 0000 0001 000000000000 000C 003F 000C 00000000 43340000");
    // above 1: -2 units are exactly -256, the mark of an empty glyph.
    QTest::newRow("leftmost at -256 is not shifted")
        << glyph(ShapeCode().move(-2, 0), 1)
        << hex("0100 0001 0000 0000 000000000000 0000 003F FF00 003F");
}

void TestFntOutput::advanceAndShift()
{
    QFETCH(QByteArray, font);
    QFETCH(QByteArray, record);
    QCOMPARE(onlyRecord(converted(font)), record);
}

// above 64: y' = 2y + 63. Glyph 65 goes straight down, glyph 66 one unit up.
void TestFntOutput::baselineFixUp_data()
{
    QTest::addColumn<QByteArray>("down");
    QTest::addColumn<int>("baseline");
    QTest::addColumn<QByteArray>("records");

    const QByteArray head1 = hex("0001 0001 0000 0000 000000000000");
    // -49 at scale 3/4 is y = -36.75, y' = -10.5: minY -10. Raised by 10,
    // -10.5 + 10 is -0.5, written 0.
    QTest::newRow("lowest point at -10.5")
        << ShapeCode().divide(4).multiply(3).move(0, -49).bytes() << 73
        << head1 + hex("0000 0049 0000 0000") + head1 + hex("0000 0049 0000 004B");
    // -127 at scale 1/4 is y = -31.75, y' = -0.5: minY stays 0.
    QTest::newRow("lowest point at -0.5")
        << ShapeCode().divide(4).move(0, -127).bytes() << 63
        << head1 + hex("0000 003F 0000 0000") + head1 + hex("0000 003F 0000 0041");
}

void TestFntOutput::baselineFixUp()
{
    QFETCH(QByteArray, down);
    QFETCH(int, baseline);
    QFETCH(QByteArray, records);

    const QByteArray font = shapeFont(
        64, {{65, QByteArray(1, '\0') + down},
             {66, definition("", ShapeCode().move(0, 1))}});
    ConversionJob job;
    QCOMPARE(job.convertBytes(font, QStringLiteral("test")), ConversionOutcome::Converted);
    QCOMPARE(job.fntBaseline, baseline);
    QCOMPARE(i16At(job.fntBytes, 42), qint16(baseline));
    // One range (65, 66), two offsets: 62 and 62 + 22.
    QCOMPARE(job.fntBytes.mid(48, 14), hex("0001 0041 0042 0000003E 00000054"));
    QCOMPARE(job.fntBytes.mid(62), records);
}

void TestFntOutput::fontNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("field");

    const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789");
    QTest::newRow("short name padded") << "test" << QByteArray("test").leftJustified(36, ' ');
    QTest::newRow("35 characters: one space")
        << letters.left(35) << letters.left(35).toLatin1() + ' ';
    QTest::newRow("36 characters: no space") << letters << letters.toLatin1();
    // Cut, so that the words stay where readers look for them.
    QTest::newRow("40 characters: cut to 36") << letters + "WXYZ" << letters.toLatin1();
    QTest::newRow("empty name") << QString() << QByteArray(36, ' ');
    QTest::newRow("Latin-1 letter kept") << QString::fromUtf8("caf\u00e9")
                                         << QByteArray("caf\xe9").leftJustified(36, ' ');
    QTest::newRow("beyond Latin-1: one ? each")
        << QString::fromUtf8("\u5b57\u4f53x") << QByteArray("??x").leftJustified(36, ' ');
}

void TestFntOutput::fontNames()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, field);

    ConversionJob job;
    QCOMPARE(job.convertBytes(shapeFont(8, {{65, kEmptyShape}}), name),
             ConversionOutcome::Converted);
    QCOMPARE(job.fntBytes.left(36), field);
    QCOMPARE(job.baselinePos, 42);
    QCOMPARE(job.fntBytes.mid(36, 12), hex("0003 0000 0080 003F 0080 0001"));
}

void TestFntOutput::writing_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QByteArray>("before"); // null: no such file beforehand
    QTest::addColumn<int>("outcome");

    const int converted = int(ConversionOutcome::Converted);
    const int writeFailed = int(ConversionOutcome::WriteFailed);
    const int readFailed = int(ConversionOutcome::ReadFailed);
    QTest::newRow("font.fnt") << "in.shx" << "font.fnt" << QByteArray() << converted;
    QTest::newRow("FONT.FNT") << "in.shx" << "FONT.FNT" << QByteArray() << converted;
    QTest::newRow("a.b.Fnt") << "in.shx" << "a.b.Fnt" << QByteArray() << converted;
    QTest::newRow("no suffix") << "in.shx" << "font" << QByteArray() << writeFailed;
    QTest::newRow("suffix after fnt, file left alone")
        << "in.shx" << "font.fnt.bak" << QByteArray("keep") << writeFailed;
    QTest::newRow("suffix fn") << "in.shx" << "font.fn" << QByteArray() << writeFailed;
    QTest::newRow("missing directory") << "in.shx" << "missing/font.fnt" << QByteArray()
                                       << writeFailed;
    QTest::newRow("empty output path") << "in.shx" << "" << QByteArray() << writeFailed;
    QTest::newRow("input not read: no output")
        << "in.txt" << "font.fnt" << QByteArray() << readFailed;
    QTest::newRow("empty input path") << "" << "font.fnt" << QByteArray() << readFailed;
}

void TestFntOutput::writing()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(QByteArray, before);
    QFETCH(int, outcome);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString &name : {QStringLiteral("in.shx"), QStringLiteral("in.txt")}) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(shapeFont(8, {{65, definition("", ShapeCode().vector(1, 4))}}));
    }
    const QString outPath = output.isEmpty() ? QString() : dir.filePath(output);
    if (!before.isNull()) {
        QFile file(outPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
    }

    ConversionJob job;
    job.shxPath = input.isEmpty() ? QString() : dir.filePath(input);
    job.fntPath = outPath;
    QCOMPARE(int(job.convert()), outcome);

    QFile file(outPath);
    if (outcome == int(ConversionOutcome::Converted)) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), job.fntBytes);
        QCOMPARE(job.fntBytes.left(4), QByteArray("in  "));
    } else if (!before.isNull()) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    } else if (!outPath.isEmpty()) {
        QVERIFY(!file.exists());
    }
}

// A second conversion on the same job starts from scratch: the baseline
// raised by the first must not carry over.
void TestFntOutput::convertingTwiceGivesTheSameBytes()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile input(dir.filePath(QStringLiteral("low.shx")));
    QVERIFY(input.open(QIODevice::WriteOnly));
    // y = -36.75 at above 64: y' = -10.5, so the baseline goes up to 73.
    const ShapeCode low = ShapeCode().divide(4).multiply(3).move(0, -49);
    input.write(shapeFont(64, {{65, definition("", low)}}));
    input.close();

    ConversionJob job;
    job.shxPath = input.fileName();
    job.fntPath = dir.filePath(QStringLiteral("low.fnt"));
    QCOMPARE(job.convert(), ConversionOutcome::Converted);
    const QByteArray first = job.fntBytes;
    QCOMPARE(i16At(first, 42), qint16(73));
    QCOMPARE(job.convert(), ConversionOutcome::Converted);
    QCOMPARE(job.fntBytes, first);
}

QTEST_GUILESS_MAIN(TestFntOutput)
#include "tst_fntoutput.moc"
