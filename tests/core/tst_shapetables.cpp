// The shape tables of all three kinds: positions, font height, code page.
#include "CoreTestSupport.h"
#include "ShxBuilder.h"

#include <QTest>

using namespace shxtest;

using Positions = QMap<int, int>;

class TestShapeTables : public QObject
{
    Q_OBJECT

private slots:
    void shapeFontIndex_data();
    void shapeFontIndex();
    void unifontRecords_data();
    void unifontRecords();
    void bigfontIndex_data();
    void bigfontIndex();
    void codePageDetection_data();
    void codePageDetection();
    void codePageChoice_data();
    void codePageChoice();
};

namespace {

QByteArray filler(int length)
{
    return QByteArray(length, '\x01');
}

// A unifont file whose records are all given, the first one included.
QByteArray unifontOf(const QList<Entry> &records)
{
    QByteArray out = header("Varnel unifont 1.0");
    appendU16LE(out, quint16(records.size()));
    for (const Entry &record : records) {
        appendU16LE(out, record.number);
        appendU16LE(out, quint16(record.definition.size()));
        out.append(record.definition);
    }
    return out;
}

// Overwrites the offset of big font index entry `index` (no escape ranges:
// the index starts at 24 + 6, eight bytes an entry, offset at +4).
QByteArray withOffset(QByteArray font, int index, quint32 offset)
{
    QByteArray le;
    appendU32LE(le, offset);
    font.replace(30 + 8 * index + 4, 4, le);
    return font;
}

Positions positionsOf(const ConversionJob &job)
{
    Positions positions;
    for (auto it = job.shapeMap.cbegin(); it != job.shapeMap.cend(); ++it)
        positions.insert(it.key(), it.value());
    return positions;
}

} // namespace

// Definitions follow the index (24 header + 4 skipped + 2 count + 4 per
// entry), each as long as its entry says.
void TestShapeTables::shapeFontIndex_data()
{
    QTest::addColumn<QByteArray>("font");
    QTest::addColumn<Positions>("positions");
    QTest::addColumn<int>("above");

    // 24 + 6 + 8 = 38; 38 + 10 = 48.
    QTest::newRow("two shapes")
        << shapeFont({{65, filler(10)}, {66, filler(12)}}) << Positions{{65, 38}, {66, 48}} << 1;
    // "Info\0" 9 0 0 is 8 bytes: 0 at 38, 65 at 46.
    QTest::newRow("font info first")
        << shapeFont({{0, fontInfo("Info", 9)}, {65, filler(4)}})
        << Positions{{0, 38}, {65, 46}} << 9;
    QTest::newRow("font info after a shape")
        << shapeFont({{65, filler(4)}, {0, fontInfo("Info", 9)}})
        << Positions{{65, 38}, {0, 42}} << 9;
    // 24 + 6 + 12 = 42; the second 65 at 47; 66 after both at 54.
    QTest::newRow("duplicate: later wins, lengths still add up")
        << shapeFont({{65, filler(5)}, {65, filler(7)}, {66, filler(3)}})
        << Positions{{65, 47}, {66, 54}} << 1;
    QTest::newRow("two font-info records: the last counts")
        << shapeFont({{0, fontInfo("A", 5)}, {0, fontInfo("B", 7)}}) << Positions{{0, 43}} << 7;
    QTest::newRow("above byte 200 is signed")
        << shapeFont({{0, fontInfo("", 200)}}) << Positions{{0, 34}} << -56;
    QTest::newRow("above byte 255 is signed")
        << shapeFont({{0, fontInfo("", 255)}}) << Positions{{0, 34}} << -1;
    QTest::newRow("above byte 0 becomes 1")
        << shapeFont({{0, fontInfo("Info", 0)}}) << Positions{{0, 34}} << 1;
    QTest::newRow("no font info: above 1")
        << shapeFont({{65, filler(3)}}) << Positions{{65, 34}} << 1;
    QTest::newRow("count 0") << shapeFont({}) << Positions{} << 1;
    // The terminator at 30 makes the header 31 bytes: 31 + 6 + 4 = 41.
    QTest::newRow("longer header moves everything")
        << shapeFont({{65, filler(3)}}, header("Varnel shapes 1.0", 30)) << Positions{{65, 41}}
        << 1;
}

void TestShapeTables::shapeFontIndex()
{
    QFETCH(QByteArray, font);
    QFETCH(Positions, positions);
    QFETCH(int, above);

    ConversionJob job;
    QVERIFY(coretest::load(job, font));
    QCOMPARE(positionsOf(job), positions);
    QCOMPARE(job.above, above);
}

// 24 header + 2 count; each record is a 4-byte head and its definition.
void TestShapeTables::unifontRecords_data()
{
    QTest::addColumn<QByteArray>("font");
    QTest::addColumn<Positions>("positions");
    QTest::addColumn<int>("above");

    // "I\0" 6 0 0 is 5 bytes at 30..34; the next head 35..38, definition 39.
    const QByteArray info = fontInfo("I", 6);
    QTest::newRow("first record is the font info whatever its number")
        << unifontOf({{5, info}, {65, filler(4)}}) << Positions{{65, 39}} << 6;
    QTest::newRow("a later record with that number is a shape")
        << unifontOf({{5, info}, {5, filler(4)}}) << Positions{{5, 39}} << 6;
    // 65 at 39..42, the second font info's head 43..46: it is never a shape.
    QTest::newRow("a later record numbered 0 is font info too")
        << unifontOf({{0, info}, {65, filler(4)}, {0, fontInfo("J", 9)}})
        << Positions{{65, 39}} << 9;
    QTest::newRow("duplicate: later wins")
        << unifontOf({{0, info}, {65, filler(4)}, {65, filler(2)}})
        << Positions{{65, 47}} << 6;
    QTest::newRow("above byte 200 is signed")
        << unifontOf({{0, fontInfo("I", 200)}}) << Positions{} << -56;
    QTest::newRow("count 0") << unifontOf({}) << Positions{} << 1;
    QTest::newRow("built with the builder")
        << unifont(fontInfo("I", 6), {{321, filler(3)}}) << Positions{{321, 39}} << 6;
}

void TestShapeTables::unifontRecords()
{
    QFETCH(QByteArray, font);
    QFETCH(Positions, positions);
    QFETCH(int, above);

    ConversionJob job;
    QVERIFY(coretest::load(job, font));
    QCOMPARE(job.fontKind, 2);
    QCOMPARE(positionsOf(job), positions);
    QCOMPARE(job.above, above);
}

// Without escape ranges: 24 header + 6, then 8 bytes per entry, then the
// font info "Varnel\0", the height and two bytes (10 in all).
void TestShapeTables::bigfontIndex_data()
{
    QTest::addColumn<QByteArray>("font");
    QTest::addColumn<Positions>("positions");
    QTest::addColumn<int>("height");

    // 24 + 6 + 16 + 10 = 56; 56 + 3 = 59; the file is 63 bytes long.
    const QByteArray two = bigfont({}, {{0x8140, filler(3)}, {0x8141, filler(4)}});
    QTest::newRow("offsets as stored") << two << Positions{{0x8140, 56}, {0x8141, 59}} << 8;
    QTest::newRow("offset on the last byte")
        << withOffset(two, 1, 62) << Positions{{0x8140, 56}, {0x8141, 62}} << 8;
    QTest::newRow("offset at the end is left out")
        << withOffset(two, 1, 63) << Positions{{0x8140, 56}} << 8;
    QTest::newRow("offset far past the end is left out")
        << withOffset(two, 1, 0xFFFFFFFF) << Positions{{0x8140, 56}} << 8;
    QByteArray empty = two;
    empty.replace(30, 8, QByteArray(8, '\0'));
    QTest::newRow("all-zero entry maps 0 to 0") << empty << Positions{{0, 0}, {0x8141, 59}} << 8;
    QTest::newRow("duplicate: later wins")
        << bigfont({}, {{0x8140, filler(3)}, {0x8140, filler(4)}}) << Positions{{0x8140, 59}}
        << 8;
    QTest::newRow("height 0 stands for 8")
        << bigfont({}, {{0x8140, filler(3)}}, 0) << Positions{{0x8140, 48}} << 8;
    QTest::newRow("height 200 is unsigned")
        << bigfont({}, {{0x8140, filler(3)}}, 200) << Positions{{0x8140, 48}} << 200;
    // One escape range moves the index by 4: 24 + 6 + 4 + 8 + 10 = 52.
    QTest::newRow("escape ranges come before the index")
        << bigfont({{0x81, 0xFE}}, {{0x8140, filler(3)}}) << Positions{{0x8140, 52}} << 8;
}

void TestShapeTables::bigfontIndex()
{
    QFETCH(QByteArray, font);
    QFETCH(Positions, positions);
    QFETCH(int, height);

    ConversionJob job;
    QVERIFY(coretest::load(job, font));
    QCOMPARE(positionsOf(job), positions);
    QCOMPARE(int(job.bigfontHeight), height);
    QCOMPARE(job.above, height);
}

void TestShapeTables::codePageDetection_data()
{
    QTest::addColumn<QList<EscapeRange>>("ranges");
    QTest::addColumn<int>("kind");

    using R = QList<EscapeRange>;
    QTest::newRow("81-FE: C9 without 80 is GBC") << R{{0x81, 0xFE}} << 3;
    QTest::newRow("80-FF: C9 and 80 is Big5") << R{{0x80, 0xFF}} << 2;
    QTest::newRow("80 and C9 from different ranges") << R{{0x80, 0x80}, {0xC9, 0xC9}} << 2;
    QTest::newRow("81-9F, E0-FC is Shift-JIS") << R{{0x81, 0x9F}, {0xE0, 0xFC}} << 4;
    QTest::newRow("A1-AF is EUC_KR") << R{{0xA1, 0xAF}} << 1;
    QTest::newRow("last bound in A1-DF") << R{{0x81, 0xA1}} << 1;
    QTest::newRow("DF is the top of the bound test") << R{{0xDF, 0xDF}} << 1;
    QTest::newRow("A0 is below the bound test") << R{{0xA0, 0xA0}} << 4;
    QTest::newRow("containing C9 beats a bound in A1-DF") << R{{0x81, 0xDF}} << 3;
    QTest::newRow("no ranges") << R{} << 0;
    // Bounds are signed 16-bit: FFFF is -1, so 80..FFFF holds nothing.
    QTest::newRow("FFFF reads as -1") << R{{0x80, 0xFFFF}} << 4;
    QTest::newRow("FF00 reads as -256 and reaches C9") << R{{0xFF00, 0xC9}} << 2;
    QTest::newRow("bounds in the wrong order hold nothing") << R{{0xFE, 0x81}} << 4;
}

void TestShapeTables::codePageDetection()
{
    QFETCH(QList<EscapeRange>, ranges);
    QFETCH(int, kind);

    ConversionJob job;
    QVERIFY(coretest::load(job, bigfont(ranges, {{0x8140, filler(3)}})));
    QCOMPARE(job.codePageKind, kind);
}

void TestShapeTables::codePageChoice_data()
{
    QTest::addColumn<QByteArray>("font");
    QTest::addColumn<bool>("useCodePage");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("kind");

    // These ranges alone would give Big5 (2).
    const QByteArray big = bigfont({{0x80, 0xFF}}, {{0x8140, filler(3)}});
    QTest::newRow("box unchecked: detected") << big << false << 3 << 2;
    QTest::newRow("GBC chosen over the ranges") << big << true << 3 << 3;
    QTest::newRow("Shift-JIS chosen") << big << true << 4 << 4;
    QTest::newRow("Unicode chosen: no mapping") << big << true << 0 << 0;
    QTest::newRow("index past the list") << big << true << 5 << 0;
    QTest::newRow("negative index") << big << true << -1 << 0;
    QTest::newRow("shape font ignores the choice")
        << shapeFont({{65, filler(3)}}) << true << 2 << 0;
    QTest::newRow("unifont ignores the choice")
        << unifont(fontInfo("I", 6), {{65, filler(3)}}) << true << 2 << 0;
}

void TestShapeTables::codePageChoice()
{
    QFETCH(QByteArray, font);
    QFETCH(bool, useCodePage);
    QFETCH(int, index);
    QFETCH(int, kind);

    ConversionJob job;
    job.useCodePage = useCodePage;
    job.codePageIndex = index;
    QVERIFY(coretest::load(job, font));
    QCOMPARE(job.codePageKind, kind);
    // The choice is the caller's and outlives the reset.
    QCOMPARE(job.useCodePage, useCodePage);
    QCOMPARE(job.codePageIndex, index);
}

QTEST_GUILESS_MAIN(TestShapeTables)
#include "tst_shapetables.moc"
