// Hostile and damaged fonts get the converter's own answer, and whatever it
// writes reads back as a well-formed FNT file.
#include "HostileFonts.h"
#include "ShxBuilder.h"
#include "fnt/FntReader.h"
#include "job/ConversionJob.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace shxtest;

Q_DECLARE_METATYPE(ConversionOutcome)

namespace {

QString describe(const fnt::FntReader &reader)
{
    QStringList lines;
    for (const fnt::FntViolation &v : reader.violations())
        lines << QStringLiteral("byte %1: %2").arg(v.position).arg(v.message);
    return lines.join(QLatin1Char('\n'));
}

// The first line of glyph `code`, or a line of -1s when there is none.
fnt::FntLine firstLine(const fnt::FntFont &font, quint16 code)
{
    for (const fnt::FntGlyph &glyph : font.glyphs) {
        if (glyph.code == code && !glyph.lines.isEmpty())
            return glyph.lines.first();
    }
    return {-1, -1, -1, -1};
}

// Well-formed fonts of the three kinds, for cutting short.
QList<QPair<const char *, QByteArray>> wholeFonts()
{
    return {
        {"shape font",
         shapeFont(8, {{65, definition("A", ShapeCode().vector(4, 2).push().octantArc(2, 0x14)
                                                 .pop().moves({{3, -2}, {1, 1}}))},
                       {66, definition("B", ShapeCode().subshape(65).bulgeArcs({{4, 4, 90}}))}})},
        {"unifont",
         unifont(fontInfo("uni", 6),
                 {{0x141, definition("", ShapeCode().vector(3, 0).verticalOnly().move(2, 2))},
                  {0x142, definition("", ShapeCode().unifontSubshape(0x141).fractionalArc(
                                             10, 20, 300, qint8(0xA3)))}})},
        {"big font",
         bigfont({{0x81, 0xFE}},
                 {{0x8140, definition("", ShapeCode().vector(4, 4).bulgeArc(2, -2, -40))},
                  {0xB0A1, definition("", ShapeCode().bigfontSubshape(0x8140, 2, 2, 4, 8)
                                               .subshape(0x41).vector(5, 0))},
                  {0x41, definition("", ShapeCode().octantArc(1, 0))}})},
    };
}

} // namespace

class HostileFontsTest : public QObject
{
    Q_OBJECT

private slots:
    void catalogueGetsItsOwnAnswer_data();
    void catalogueGetsItsOwnAnswer();
    void everyPrefixIsAnswered_data();
    void everyPrefixIsAnswered();
    void extremesLandWhereWorkedOut_data();
    void extremesLandWhereWorkedOut();
    void budgetsLeaveRealGlyphsWhole();
    void inputsThatAreNotFilesAreRefused_data();
    void inputsThatAreNotFilesAreRefused();
};

void HostileFontsTest::catalogueGetsItsOwnAnswer_data()
{
    QTest::addColumn<QByteArray>("shx");
    QTest::addColumn<ConversionOutcome>("outcome");
    QTest::addColumn<bool>("heavy");
    for (const hostile::HostileFont &font : hostile::catalogue())
        QTest::newRow(font.name) << font.bytes << font.outcome << font.heavy;
}

// The answer in memory and from a file is the same, and a converted image
// holds together whatever the font did.
void HostileFontsTest::catalogueGetsItsOwnAnswer()
{
    QFETCH(QByteArray, shx);
    QFETCH(ConversionOutcome, outcome);
    QFETCH(bool, heavy);

    ConversionJob job;
    QCOMPARE(job.convertBytes(shx, QStringLiteral("hostile")), outcome);
    if (outcome == ConversionOutcome::Converted) {
        fnt::FntReader reader;
        QVERIFY2(reader.read(job.fntBytes), qPrintable(describe(reader)));
    }
    if (heavy)
        return; // the file path adds nothing but time here

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile input(dir.filePath(QStringLiteral("hostile.shx")));
    QVERIFY(input.open(QIODevice::WriteOnly) && input.write(shx) == shx.size());
    input.close();
    ConversionJob fromFile;
    fromFile.shxPath = input.fileName();
    fromFile.fntPath = dir.filePath(QStringLiteral("hostile.fnt"));
    QCOMPARE(fromFile.convert(), outcome);
    QCOMPARE(fromFile.fntBytes, job.fntBytes);
    QCOMPARE(QFile::exists(fromFile.fntPath), outcome == ConversionOutcome::Converted);
}

void HostileFontsTest::everyPrefixIsAnswered_data()
{
    QTest::addColumn<QByteArray>("shx");
    for (const auto &[name, bytes] : wholeFonts())
        QTest::newRow(name) << bytes;
}

// Every way a download or a copy can cut a font short: each prefix is
// refused or converted, and a conversion reads back cleanly.
void HostileFontsTest::everyPrefixIsAnswered()
{
    QFETCH(QByteArray, shx);
    int converted = 0;
    for (qsizetype length = 0; length <= shx.size(); ++length) {
        ConversionJob job;
        const ConversionOutcome outcome = job.convertBytes(shx.left(length), QStringLiteral("cut"));
        QVERIFY2(outcome != ConversionOutcome::WriteFailed, qPrintable(QString::number(length)));
        if (outcome != ConversionOutcome::Converted)
            continue;
        ++converted;
        fnt::FntReader reader;
        QVERIFY2(reader.read(job.fntBytes),
                 qPrintable(QStringLiteral("prefix %1: %2").arg(length).arg(describe(reader))));
    }
    QVERIFY(converted > 0); // at least the whole font
}

void HostileFontsTest::extremesLandWhereWorkedOut_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<int>("baseline");
    QTest::addColumn<int>("advance");
    QTest::addColumn<QList<int>>("line"); // x1, y1, x2, y2 in FNT units

    // No font-info record, so above is 1: one shape unit is 128 FNT units,
    // and the baseline sits at 63.
    QTest::newRow("glyph 128 units left of zero is moved right by 16384")
        << ShapeCode().move(-128, 0).bytes() << 63 << 16384
        << QList<int>{16384, 63, 0, 63}; // x: 0 - 128 * 128 = -16384
    QTest::newRow("glyph 128 units below the baseline raises it to 16384")
        << ShapeCode().move(0, -128).bytes() << 16384 << 1
        << QList<int>{0, 16384, 0, 0}; // y: 63 - 16384 = -16321, baseline 63 + 16321
    QTest::newRow("divisor 0 leaves the scale alone")
        << ShapeCode().divide(0).vector(1, 0).bytes() << 63 << 128
        << QList<int>{0, 63, 128, 63};
    // 255^140 is about 1e337: its inverse is below the smallest double.
    QTest::newRow("scale divided down to zero draws a point")
        << QByteArray(ShapeCode().divide(255).bytes().left(2)).repeated(140)
               + ShapeCode().vector(15, 0).bytes()
        << 63 << 1 << QList<int>{0, 63, 0, 63};
}

void HostileFontsTest::extremesLandWhereWorkedOut()
{
    QFETCH(QByteArray, code);
    QFETCH(int, baseline);
    QFETCH(int, advance);
    QFETCH(QList<int>, line);

    ConversionJob job;
    const QByteArray shx = shapeFont({{65, QByteArray("A", 2) + code}});
    QCOMPARE(job.convertBytes(shx, QStringLiteral("extreme")), ConversionOutcome::Converted);
    fnt::FntReader reader;
    QVERIFY2(reader.read(job.fntBytes), qPrintable(describe(reader)));
    const fnt::FntFont &font = reader.font();
    QCOMPARE(font.baseline, baseline);
    QCOMPARE(font.glyphs.size(), 1);
    QCOMPARE(font.glyphs.first().advance, advance);
    const fnt::FntLine drawn = firstLine(font, 65);
    QCOMPARE((QList<int>{drawn.x1, drawn.y1, drawn.x2, drawn.y2}), line);
}

// The work budgets stop runaway glyphs, but a glyph far larger than any
// real one is drawn whole: a pen-down run of 20,000 steps.
void HostileFontsTest::budgetsLeaveRealGlyphsWhole()
{
    const QByteArray run(20000, char(0x10)); // one unit right, 20,000 times
    ConversionJob job;
    QCOMPARE(job.convertBytes(shapeFont(100, {{65, QByteArray("A", 2) + run + '\0'}}),
                              QStringLiteral("long")),
             ConversionOutcome::Converted);
    fnt::FntReader reader;
    QVERIFY2(reader.read(job.fntBytes), qPrintable(describe(reader)));
    const fnt::FntGlyph &glyph = reader.font().glyphs.first();
    QCOMPARE(glyph.polylines.size(), 1);
    QCOMPARE(glyph.polylines.first().points.size(), 20001);
    // 20,000 units at 128 / 100 FNT units each: x = 25600.
    QCOMPARE(glyph.polylines.first().points.last(), QPoint(25600, 63));
}

void HostileFontsTest::inputsThatAreNotFilesAreRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("pipe named like a font") << "pipe";      // open() waits for a writer
    QTest::newRow("endless device named like a font") << "zero"; // /dev/zero never ends
    QTest::newRow("directory named like a font") << "directory";
}

void HostileFontsTest::inputsThatAreNotFilesAreRefused()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = dir.filePath(QStringLiteral("font.shx"));
    if (kind == QLatin1String("pipe"))
        QVERIFY(::mkfifo(QFile::encodeName(input).constData(), 0600) == 0);
    else if (kind == QLatin1String("zero"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), input));
    else
        QVERIFY(QDir().mkdir(input));

    ConversionJob job;
    job.shxPath = input;
    job.fntPath = dir.filePath(QStringLiteral("font.fnt"));
    QCOMPARE(job.convert(), ConversionOutcome::ReadFailed);
    QVERIFY(!QFile::exists(job.fntPath));
}

QTEST_GUILESS_MAIN(HostileFontsTest)
#include "tst_hostilefonts.moc"
