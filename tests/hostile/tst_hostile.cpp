// Hostile and damaged fonts get the converter's own answer, whatever it
// writes reads back as a well-formed FNT file, and a write that fails part
// way keeps the old file.
#include "HostileFonts.h"
#include "ShxBuilder.h"
#include "TestFiles.h"
#include "fnt/FntBytes.h"
#include "fnt/FntReader.h"
#include "job/ConversionJob.h"
#include "shp/Shp.h"

#include <QDir>
#include <QTest>

#include <cmath>
#include <limits>
#include <optional>
#include <sys/resource.h>

using namespace shxtest;

Q_DECLARE_METATYPE(ConversionOutcome)

namespace {

const QByteArray kOldContent("an older FNT file that must survive\n");

bool sameBox(const fnt::FntExtents &a, const fnt::FntExtents &b)
{
    return a.empty == b.empty
           && (a.empty
               || (a.minX == b.minX && a.minY == b.minY && a.maxX == b.maxX && a.maxY == b.maxY));
}

bool holds(const fnt::FntExtents &outer, const fnt::FntExtents &inner)
{
    return inner.empty
           || (!outer.empty && outer.minX <= inner.minX && outer.minY <= inner.minY
               && outer.maxX >= inner.maxX && outer.maxY >= inner.maxY);
}

// varnel-cli reads its images without their strokes, and without --json
// without the arcs' extents, working a glyph's out only where it must: that
// must tell what reading them whole tells.
bool readsTheSameWithoutStrokes(const QByteArray &bytes, const fnt::FntReader &whole)
{
    const QList<fnt::FntGlyph> &glyphs = whole.font().glyphs;
    for (const bool exact : {true, false}) {
        fnt::FntReader lean;
        lean.setKeepStrokes(false);
        lean.setExactExtents(exact);
        lean.read(bytes);
        if (lean.violations().size() != whole.violations().size()
            || lean.font().glyphs.size() != glyphs.size())
            return false;
        for (qsizetype i = 0; i < glyphs.size(); ++i) {
            const fnt::FntGlyph &glyph = lean.font().glyphs.at(i);
            const fnt::FntExtents drawn = glyphs.at(i).extents();
            if (glyph.code != glyphs.at(i).code || glyph.advance != glyphs.at(i).advance
                || !glyph.lines.isEmpty() || !glyph.polylines.isEmpty() || !glyph.arcs.isEmpty()
                || glyph.bounds.empty != drawn.empty || !holds(glyph.bounds, drawn)
                || (exact ? !sameBox(glyph.box, drawn) : !holds(drawn, glyph.box))
                || !sameBox(fnt::FntReader::extentsOf(bytes, glyph), drawn))
                return false;
        }
    }
    return true;
}

// Converts `shx` and reads the image back: nothing when a converted image
// does not read cleanly, an empty font when nothing was converted.
std::optional<fnt::FntFont> convertAndRead(const QByteArray &shx,
                                           ConversionOutcome *outcome = nullptr,
                                           QString *reason = nullptr)
{
    ConversionJob job;
    const ConversionOutcome got = job.convertBytes(shx, QStringLiteral("hostile"));
    if (outcome)
        *outcome = got;
    if (reason)
        *reason = job.failure.reason;
    fnt::FntReader reader;
    if (got == ConversionOutcome::Converted
        && (!reader.read(job.fntBytes) || !readsTheSameWithoutStrokes(job.fntBytes, reader)))
        return std::nullopt;
    return reader.font();
}

// 200 glyphs of four strokes: an FNT image of several kilobytes.
QByteArray sizeableFont()
{
    const QByteArray glyph = definition("g", ShapeCode().vector(3, 2).vector(3, 14).penUp()
                                                 .vector(1, 0).penDown().octantArc(2, 0x14));
    QList<Entry> entries;
    for (int number = 1; number <= 200; ++number)
        entries.append({quint16(number), glyph});
    return shapeFont(12, entries);
}

// A one-glyph FNT file of 86 bytes whose one arc, round (100, 100) with
// radius 10, runs between the given angles (stored at bytes 78 and 82).
QByteArray oneArcFnt(float start, float end)
{
    QByteArray bytes = QByteArray("ARC").leftJustified(36, ' ');
    for (int word : {3, 0, 128, 63, 128, 1, 1, 65, 65})
        fnt::putU16BE(bytes, word);
    fnt::putU32BE(bytes, 58);
    for (int word : {128, 0, 0, 1, 0, 0, 0, 100, 100, 10})
        fnt::putU16BE(bytes, word);
    fnt::putF32BE(bytes, start);
    fnt::putF32BE(bytes, end);
    return bytes;
}

} // namespace

class HostileTest : public QObject, TestFolder
{
    Q_OBJECT

public:
    HostileTest() : TestFolder(QStringLiteral(VARNEL_CLI_PATH), 10000) {}

private slots:
    void init() { QVERIFY(reset()); }

    void catalogueGetsItsOwnAnswer_data()
    {
        QTest::addColumn<QByteArray>("shx");
        QTest::addColumn<ConversionOutcome>("outcome");
        QTest::addColumn<bool>("source");
        QTest::addColumn<QString>("firstError");
        for (const hostile::HostileFont &font : hostile::catalogue() + hostile::sources())
            QTest::newRow(font.name) << font.bytes << font.outcome << font.source
                                     << QString::fromUtf8(font.firstError);
    }

    // Every cut a download can make of the small fonts is answered too. A
    // source is compiled first, and refused with its first fault.
    void catalogueGetsItsOwnAnswer()
    {
        QFETCH(QByteArray, shx);
        QFETCH(ConversionOutcome, outcome);
        QFETCH(bool, source);
        QFETCH(QString, firstError);
        if (source) {
            const shp::Compiled compiled = shp::compile(shx);
            const QStringList errors = compiled.errors.lines(QStringLiteral("font.shp"));
            QCOMPARE(errors.value(0), firstError);
            if (!errors.isEmpty())
                return;
            shx = compiled.shx;
        }
        ConversionOutcome got;
        QString reason;
        QVERIFY(convertAndRead(shx, &got, &reason));
        QCOMPARE(got, outcome);
        // A refusal names its cause, not just that the font could not be read.
        if (got != ConversionOutcome::Converted)
            QVERIFY2(!reason.isEmpty() && !reason.startsWith(QLatin1String("not a font")),
                     qPrintable(reason));
        for (qsizetype length = 0; shx.size() <= 4096 && length < shx.size(); ++length)
            QVERIFY2(convertAndRead(shx.left(length)), qPrintable(QString::number(length)));
    }

    void damageIsNamedWhereItShows_data()
    {
        QTest::addColumn<QByteArray>("shx");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<qint64>("position");

        // Headers are 24 bytes; a shape font's count is at 28 and its index at 30.
        const QByteArray shapes = header("Varnel shapes 1.0") + QByteArray(4, '\0');
        const QByteArray uni = header("Varnel unifont 1.0");
        const QByteArray big = header("Varnel bigfont 1.0") + u16s({0});
        const QByteArray info = fontInfo("uni", 10); // 7 bytes
        const auto row = [](const char *name, const QByteArray &shx, const char *reason,
                            qint64 position) {
            QTest::newRow(name) << shx << QString::fromLatin1(reason) << position;
        };
        row("empty file", "", "the file is empty", 0);
        row("shorter than a header", "shapes 1.0",
            "the file has 10 bytes, too few for an SHX header (23 or more)", 10);
        row("cut inside the header text", QByteArray("shapes 1.0").leftJustified(30),
            "the file ends at byte 30, inside the header text", 30);
        row("unknown header text", header("Varnel\x01 fonts\t2") + QByteArray(8, '\0'),
            "unknown header text \"Varnel\\x01 fonts\\t2\"", 0);
        row("shape table head cut", shapes.left(26), "the shape table runs past the end of the "
            "file (its head at byte 24, file has 26 bytes)", 24);
        // 1,000 entries counted, 300 there.
        row("shape index cut", shapes + u16s({1000}) + QByteArray(1200, '\x01'), "the shape table "
            "runs past the end of the file (entry 300 at byte 1,230, file has 1,230 bytes)", 1230);
        row("font-info record past the end",
            shapes + u16s({2, 65, 60000, 0, 5}) + QByteArray("A\0\x14", 3), "the font-info record "
            "starts past the end of the file (at byte 60,038, file has 41 bytes)", 60038);
        row("font name without its zero byte",
            shapes + u16s({2, 65, 3, 0, 6}) + definition("A", ShapeCode()) + "Varnel",
            "the font name, without its zero byte, runs past the end of the file (name at "
            "byte 41, file has 47 bytes)", 41);
        row("font height missing", shapes + u16s({1, 0, 7}) + "Varnel" + QByteArray(1, '\0'),
            "the font-info record runs past the end of the file (its height at byte 41, file "
            "has 41 bytes)", 41);
        row("unifont head cut", uni + "\x01", "the shape table runs past the end of the file "
            "(its head at byte 24, file has 25 bytes)", 24);
        row("unifont record cut", uni + u16s({65535, 0, 7}) + info, "the shape table runs past "
            "the end of the file (entry 1 at byte 37, file has 37 bytes)", 37);
        row("unifont definition cut", uni + u16s({3, 0, 7}) + info + u16s({65, 500}) + "A",
            "the definition of entry 1, 500 bytes long, runs past the end of the file (its "
            "start at byte 41, file has 42 bytes)", 41);
        row("big font head cut", big, "the big font table runs past the end of the file (its "
            "head at byte 24, file has 26 bytes)", 24);
        row("escape ranges cut", big + u16s({0, 65535, 0x81}), "the table of escape ranges runs "
            "past the end of the file (range 0 at byte 30, file has 32 bytes)", 30);
        row("big font index cut", big + u16s({2, 0, 0x8140, 0, 0, 0, 0x8141}), "the big font "
            "index runs past the end of the file (entry 1 at byte 38, file has 40 bytes)", 38);
        row("big font index cut inside an offset", big + u16s({1, 0, 0x8140, 0}) + "\x01\x02\x03",
            "the big font index runs past the end of the file (entry 0 at byte 30, file has "
            "37 bytes)", 30);
        row("big font name without its zero byte", big + u16s({0, 0}) + "Varnel", "the font "
            "name, without its zero byte, runs past the end of the file (name at byte 30, file "
            "has 36 bytes)", 30);
        row("big font height missing", big + u16s({0, 0}) + "Varnel" + QByteArray(1, '\0'),
            "the font-info record runs past the end of the file (its height at byte 37, file "
            "has 37 bytes)", 37);
    }

    // Each kind of damage is refused with what went wrong and at which byte,
    // in the same words whatever the user's locale.
    void damageIsNamedWhereItShows()
    {
        QFETCH(QByteArray, shx);
        QFETCH(QString, reason);
        QFETCH(qint64, position);
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        ConversionJob job;
        const ConversionOutcome outcome = job.convertBytes(shx, QStringLiteral("damaged"));
        QLocale::setDefault(before);
        QCOMPARE(outcome, ConversionOutcome::ReadFailed);
        QCOMPARE(job.failure.reason, reason);
        QCOMPARE(job.failure.position, position);
    }

    void arcAnglesAreCheckedNotWalked_data()
    {
        QTest::addColumn<float>("start");
        QTest::addColumn<float>("end");
        QTest::addColumn<qint64>("position"); // of the problem; -1: a valid arc
        const float inf = std::numeric_limits<float>::infinity(), huge = 6e19f;
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const std::tuple<const char *, float, float, qint64> rows[] = {
            {"about 6e19 degrees", huge, std::nextafter(huge, inf), 78},
            {"ending at +infinity", 0, inf, 82}, {"starting at -infinity", -inf, 90, 78},
            {"ending at NaN", 0, nan, 82}, {"ending below its start", 90, 0, 82},
            {"beyond a million degrees", 2e6f, 2e6f + 90, 78}, {"five turns", 0, 1800, 82},
            // Valid arcs, whose extents must match the arc walked in small steps.
            {"through 0 from below", 350, 370, -1}, {"negative, through 270", -100, -80, -1},
            {"four turns on, through 90", 1485, 1575, -1}, {"just under one turn", 100, 459, -1},
            {"one turn from 10", 10, 370, -1}, {"four whole turns", 0, 1440, -1}};
        for (const auto &[name, start, end, position] : rows)
            QTest::newRow(name) << start << end << position;
    }

    // Reading, inspecting and drawing finish on any angle; a hostile one is a
    // problem at its byte, and a valid arc's extents are where the arc really goes.
    void arcAnglesAreCheckedNotWalked()
    {
        QFETCH(float, start);
        QFETCH(float, end);
        QFETCH(qint64, position);
        const QByteArray bytes = oneArcFnt(start, end);

        fnt::FntReader reader;
        QCOMPARE(reader.read(bytes), position < 0);
        if (position >= 0) {
            QCOMPARE(reader.violations().size(), 1);
            QCOMPARE(reader.violations().first().position, position);
        }
        const fnt::FntExtents box = reader.font().extents(); // as a sheet asks
        QVERIFY(readsTheSameWithoutStrokes(bytes, reader));
        if (position < 0) {
            fnt::FntExtents walked;
            const double span = std::min<double>(end - start, 360.0);
            for (int step = 0; step <= 36000; ++step) {
                const double radians = (start + span * step / 36000) * M_PI / 180.0;
                walked.add(100 + 10 * std::cos(radians), 100 + 10 * std::sin(radians));
            }
            const auto near = [](double a, double b) { return std::fabs(a - b) < 1e-3; };
            QVERIFY(!box.empty && near(box.minX, walked.minX) && near(box.maxX, walked.maxX)
                    && near(box.minY, walked.minY) && near(box.maxY, walked.maxY));
        }

        QVERIFY(write("arc.fnt", bytes));
        const Run cli = run({"inspect", "arc.fnt"});
        QCOMPARE(cli.exitCode, position < 0 ? 0 : 1);
        if (position >= 0)
            QVERIFY(cli.out.contains(QStringLiteral("byte %1: arc 0").arg(position)));
#ifdef VARNEL_HAVE_PREVIEW
        // A sheet draws the arc, or refuses the file, promptly too.
        const Run sheet = run({"preview", "arc.fnt"});
        QVERIFY2(sheet.exitCode == 0 || sheet.exitCode == 1, qPrintable(sheet.err));
#endif
    }

    // The work budgets stop runaway glyphs, but a glyph far larger than any
    // real one is drawn whole: a pen-down run of 20,000 steps. Its divisor 0
    // must leave the scale alone.
    void budgetsLeaveRealGlyphsWhole()
    {
        const QByteArray run = QByteArray("A\0\x03\0", 4) + QByteArray(20000, 0x10) + '\0';
        const auto font = convertAndRead(shapeFont(100, {{65, run}}));
        QVERIFY(font && font->glyphs.size() == 1);
        const fnt::FntGlyph &glyph = font->glyphs.first();
        QCOMPARE(glyph.polylines.size(), 1);
        QCOMPARE(glyph.polylines.first().points.size(), 20001);
        // 20,000 units at 128 / 100 FNT units each: x = 25600.
        QCOMPARE(glyph.polylines.first().points.last(), QPoint(25600, 63));
    }

    void interruptedWriteKeepsOldFile_data()
    {
        QTest::addColumn<qint64>("limit"); // largest file the converter may write, bytes
        QTest::newRow("no room at all") << qint64(0);
        QTest::newRow("room for all but the last byte") << qint64(-1);
    }

    // The command line runs under a file size limit, so its write fails part
    // way through as on a full disk (the program itself keeps SIGXFSZ from
    // ending it): it says why, and leaves neither a temporary file nor a
    // damaged old one.
    void interruptedWriteKeepsOldFile()
    {
        QFETCH(qint64, limit);
        QVERIFY(write("font.shx", sizeableFont()) && write("font.fnt", kOldContent));
        ConversionJob reference;
        QCOMPARE(reference.convertBytes(sizeableFont(), "font"), ConversionOutcome::Converted);
        if (limit < 0)
            limit = reference.fntBytes.size() - 1;

        const rlimit size{rlim_t(limit), rlim_t(limit)};
        const Run cli = runProgram(VARNEL_CLI_PATH, {"font.shx", "font.fnt"}, path(), 60000,
                                   [size] { ::setrlimit(RLIMIT_FSIZE, &size); });
        QCOMPARE(cli.exitCode, 1);
        VERIFY_CONTAINS(cli.err, "Failed to write FNT file");
        VERIFY_CONTAINS(cli.err, "file too large");
        QCOMPARE(read("font.fnt"), kOldContent);
        QCOMPARE(entries(), QStringList({"font.fnt", "font.shx"}));
    }
};

QTEST_GUILESS_MAIN(HostileTest)
#include "tst_hostile.moc"
