// varnel-cli as users run it, and the FNT reader behind its inspect command.
#include "ShxBuilder.h"
#include "TestFiles.h"
#include "fnt/FntReader.h"
#include "job/ConversionJob.h"

#include <QtTest>

using namespace shxtest;

QByteArray lineFont() { return shapeFont(8, {{65, definition("L", ShapeCode().vector(8, 0))}}); }

class CommandLineTest : public QObject, TestFolder
{
    Q_OBJECT

public:
    CommandLineTest() : TestFolder(QStringLiteral(VARNEL_CLI_PATH)) {}

private slots:
    void init();
    void readerTakesWhatTheWriterMakesButNoPrefix();
    void readerFindsDamageWhereItShows_data();
    void readerFindsDamageWhereItShows();
    void singleRun_data();
    void singleRun();
    void batchSameWhateverTheThreads();
};

void CommandLineTest::init()
{
    QVERIFY(reset());
    QVERIFY(write("good.shx", lineFont()));
    QVERIFY(write("broken.shx", "not a font at all"));
}

void CommandLineTest::readerTakesWhatTheWriterMakesButNoPrefix()
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

void CommandLineTest::readerFindsDamageWhereItShows_data()
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
    QTest::newRow("arc ending below its start") << patched(118, "42b4000000000000") << qint64(122);
    QTest::newRow("line count too large for the file") << patched(64, "ffff") << qint64(126);
}

void CommandLineTest::readerFindsDamageWhereItShows()
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

void CommandLineTest::singleRun_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("converted") << "good.shx out.fnt" << 0 << "Converted successfully";
    QTest::newRow("input not a font") << "broken.shx out.fnt" << 1 << "Failed to read SHX file";
    QTest::newRow("no such folder") << "good.shx no/out.fnt" << 1 << "Failed to write FNT file";
    QTest::newRow("inspect no font") << "inspect broken.shx" << 1 << "Failed to read SHX file";
}

void CommandLineTest::singleRun()
{
    QFETCH(QString, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    const Run result = run(arguments.split(QLatin1Char(' ')));
    QCOMPARE(result.exitCode, exitCode);
    // Success and its message on standard output, failures on standard error.
    QVERIFY2((exitCode ? result.err : result.out).contains(message), qPrintable(result.err));
    QCOMPARE(QFileInfo::exists(path("out.fnt")), exitCode == 0);
    // Never the toolkit's own warnings or a crash report.
    QVERIFY2(!result.err.contains(QRegularExpression("\\bQ[A-Z]\\w+")), qPrintable(result.err));
}

void CommandLineTest::batchSameWhateverTheThreads()
{
    for (int n = 0; n < 12; ++n) // a different font for every n
        QVERIFY(write(QStringLiteral("fonts/f%1.shx").arg(n),
                      shapeFont(8, {{65, definition("S", ShapeCode().vector(1 + n, n))}})));
    QVERIFY(write("fonts/deeper/line.SHX", lineFont()));
    QVERIFY(write("fonts/bad.shx", lineFont().left(30))); // cut inside the index
    QVERIFY(write("fonts/notes.txt", "not looked at"));

    const Run one = run({"-r", "-j", "1", "-o", "one", "fonts", "gone.shx"});
    const Run two = run({"-r", "-j", "2", "-o", "two", "fonts", "gone.shx"});
    QCOMPARE(one.exitCode, 1);
    QCOMPARE(one.out, QStringLiteral("Converted 13 of 15 SHX fonts (2 failed).\n"));
    const QRegularExpression failed("bad.shx: Failed to read SHX file.*\n.*gone.shx: no such file");
    QVERIFY2(one.err.contains(failed), qPrintable(one.err));
    QCOMPARE(two.out + two.err, one.out + one.err);
    const QStringList names = QDir(path("one")).entryList(QDir::Files);
    QCOMPARE(names.size(), 12); // and deeper/line.fnt: -r mirrors the tree
    QCOMPARE(QDir(path("two")).entryList(QDir::Files), names);
    for (const QString &name : names)
        QVERIFY2(read("one/" + name) == read("two/" + name), qPrintable(name));

    // Height 8 is 128 units over a baseline at 63: the vector of 8 to the
    // right runs from (0,63) to (128,63).
    QCOMPARE(read("one/deeper/line.fnt"), read("two/deeper/line.fnt"));
    const Run inspect = run({"inspect", "one/deeper/line.fnt"});
    QCOMPARE(inspect.exitCode, 0);
    QVERIFY2(inspect.out.contains("extents:  x 0 to 128, y 63 to 63"), qPrintable(inspect.out));
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
