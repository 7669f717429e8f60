// varnel-cli inspect and preview as users run them, the FNT reader behind
// them, the codes they read and print, and the help, manual and completion
// that describe every command.
#include "Codes.h"
#include "ShxBuilder.h"
#include "TestFiles.h"
#include "fnt/FntReader.h"
#include "io/FileAccess.h"
#include "shp/Shp.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace shxtest;

namespace {

// Every run is bounded: a command that hangs fails the test instead.
constexpr int kRunMilliseconds = 20000;

const ShapeCode kBar = ShapeCode().vector(8, 0);

#ifdef VARNEL_HAVE_PREVIEW
// The glyph boxes are a sheet's only pale blue-grey.
const auto isBox = [](QRgb p) { return p == qRgb(236, 240, 244); };

// The pixels that pass `is`: their bounding rectangle and their number.
std::pair<QRect, int> pixels(const QImage &image, const std::function<bool(QRgb)> &is)
{
    std::pair<QRect, int> found{QRect(), 0};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (is(image.pixel(x, y))) {
                found.first |= QRect(x, y, 1, 1);
                ++found.second;
            }
        }
    }
    return found;
}
#endif

} // namespace

class InspectTest : public QObject, TestFolder
{
    Q_OBJECT

public:
    InspectTest() : TestFolder(QStringLiteral(VARNEL_CLI_PATH), kRunMilliseconds) {}

private slots:
    void init() { QVERIFY(reset()); }

    void codesAndRanges_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("read"); // the ranges as printed, or the start of the error
        const std::pair<const char *, const char *> rows[] = {
            {"65", "0x0041"}, {" 0x4e00 ", "0x4E00"}, {"u+ffff", "0xFFFF"}, {"0", "0x0000"},
            {"32-126, 0x4E00-U+4EFF,7", "0x0020-0x007E 0x4E00-0x4EFF 0x0007"},
            // Past 16 bits, signs, empty digits, a second prefix, the wrong base.
            {"65536", "'65536' is not a code"}, {"0x10000", "'0x10000' is not"}, {"+5", "'+5' is not"},
            {"0x", "'0x' is not"}, {"U+", "'U+' is not"}, {"0x0x41", "'0x0x41' is not"},
            {"4E00", "'4E00' is not"}, {"6 5", "'6 5' is not"}, {"A-Z", "'A' is not a code"},
            {"5-1", "the range 5-1 is reversed: 0x0005 comes after 0x0001; write 0x0001-0x0005"},
            {"1-2-3", "'1-2-3' is not a code or a range"}, {"65,,66", "'' is not a code or a range"},
            // An end left out is named, not printed as an empty code ('').
            {"-5", "'-5' lacks its first code"}, {"5-", "'5-' lacks its last code"}};
        for (const auto &[text, read] : rows)
            QTest::newRow(text) << text << read;
    }

    void codesAndRanges()
    {
        QFETCH(QString, text);
        QFETCH(QString, read);
        QList<cli::CodeRange> ranges;
        QString error;
        QStringList printed;
        if (cli::parseCodeRanges(text, ranges, error)) {
            for (const cli::CodeRange &range : std::as_const(ranges))
                printed << cli::formatRange(range.first, range.last);
            error = printed.join(' ');
        }
        QVERIFY2(error.startsWith(read), qPrintable(error));
        if (ranges.size() == 3)
            QVERIFY(cli::rangesContain(ranges, 7) && cli::rangesContain(ranges, 126)
                    && !cli::rangesContain(ranges, 8) && !cli::rangesContain(ranges, 0x4F00));
    }

    void textPrintsApart_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("printed");

        QTest::newRow("letters") << QStringLiteral("caf\u00e9 \U0001F600") << QStringLiteral("caf\u00e9 \U0001F600");
        QTest::newRow("line separator") << QStringLiteral("a\u2028b\u2029") << QStringLiteral("a\\u2028b\\u2029");
        QTest::newRow("tag outside 16 bits") << QStringLiteral("a\U000E0041") << QStringLiteral("a\\U000e0041");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QStringLiteral("\\ud800");
#ifndef Q_OS_WIN
        // The byte ESC and the four characters \x1b typed in a name.
        QTest::newRow("backslash") << QStringLiteral("\\x1b\x1b") << QStringLiteral("\\\\x1b\\x1b");
#endif
    }

    void textPrintsApart()
    {
        QFETCH(QString, text);
        QFETCH(QString, printed);
        QCOMPARE(io::printableName(text), printed);
    }

    void inspectTellsEachShxKind_data()
    {
        QTest::addColumn<QByteArray>("font");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("shape font")
            << shapeFont(8, {{65, definition("A", kBar)}, {66, definition("B", kBar)}},
                         header("Varnel shapes 1.1 \xe9\\\r\n", 24))
            << QStringList{"kind:     shape font", "header:   Varnel shapes 1.1 \\xe9\\\\\\r\\n  \\x1a",
                           "shapes:   2, height 8", "glyphs:   2 in 1 range: 0x0041-0x0042",
                           "extents:  x 0 to 128, y 63 to 63"};
        QTest::newRow("unifont")
            << unifont(fontInfo("U", 12), {{0x41, definition("A", kBar)}, {0x43, definition("C", kBar)}})
            << QStringList{"kind:     unifont", "shapes:   2, height 12",
                           "glyphs:   2 in 2 ranges: 0x0041, 0x0043"};
        // Lead bytes 0x81 to 0xFE with one at 0xC9 and none at 0x80: GBK codes.
        QTest::newRow("big font")
            << bigfont({{0x81, 0xFE}}, {{0xD2BB, definition("", kBar)}}, 10)
            << QStringList{"kind:     big font", "shapes:   1, height 10",
                           "escapes:  0x0081-0x00FE", "code page: gbc (detected)",
                           "glyphs:   1 in 1 range: 0x4E00"};
        QTest::newRow("notes") << shapeFont(8, {{32, definition("space", ShapeCode().penUp().vector(8, 0))},
                                                {65, definition("A", ShapeCode().vector(4, 0).subshape(90))}})
                               << QStringList{"missing subshapes: 0x0041 calls 0x005A", "draw nothing: 0x0020"};
        // A source (its text starts with a record) is refused with every fault.
        QTest::newRow("broken source")
            << QByteArray("*0,4,F\n16,0,0,0\n*0041,9,A\n1,2,3,4,5,6,7,0\n*01FFFF,1,B\n0\n")
            << QStringList{"font.shp:3:7: the record says 9 bytes and holds 8",
                           "font.shp:5:1: 0x1FFFF is not a shape number"};
    }

    void inspectTellsEachShxKind()
    {
        QFETCH(QByteArray, font);
        QFETCH(QStringList, lines);

        if (font.startsWith('*')) {
            QVERIFY(write("font.shp", font));
            const Run result = run({"inspect", "font.shp"});
            QCOMPARE(result.exitCode, 1);
            QCOMPARE(result.err, lines.join('\n') + '\n');
            QCOMPARE(result.out, QString());
            return;
        }
        QVERIFY(write("font.shx", font));
        const Run result = run({"inspect", "font.shx"});
        QCOMPARE(result.exitCode, 0);
        for (const QString &line : lines)
            QVERIFY2(result.out.contains("  " + line + "\n"), qPrintable(line + "\n" + result.out));
        // Its source tells the same, and that it is one.
        QVERIFY(write("font.shp", shp::decompile(font)));
        Run source = run({"inspect", "font.shp"});
        QCOMPARE(source.exitCode, 0);
        const QRegularExpression sourceLine("\n  source:   SHP, \\d+ records\n");
        VERIFY_CONTAINS(source.out, sourceLine);
        QCOMPARE(source.out.replace(sourceLine, "\n").replace("font.shp", "font.shx"), result.out);
    }

    void inspectRefusesWhatIsNotARegularFile()
    {
        QStringList paths{"/dev/zero"};
#ifdef Q_OS_UNIX
        QCOMPARE(mkfifo(QFile::encodeName(path("pipe.shx")).constData(), 0600), 0);
        QCOMPARE(mkfifo(QFile::encodeName(path("pipe.fnt")).constData(), 0600), 0);
        paths << "pipe.shx" << "pipe.fnt";
#endif
        if (!QFileInfo::exists("/dev/zero"))
            paths.removeFirst();
        for (const QString &input : std::as_const(paths)) {
            for (const char *command : {"inspect", "preview"}) {
                const Run result = run({command, input});
                QCOMPARE(result.exitCode, 1);
                QVERIFY2(result.err.contains(input + ": ") && result.err.contains("not a regular file"),
                         qPrintable(result.err));
            }
        }
        // A name that would drive the terminal is shown escaped.
        const Run result = run({"inspect", "bad\x1b[2Jname.fnt"});
        VERIFY_CONTAINS(result.err, "bad\\x1b[2Jname.fnt: no such file");
    }

    void inspectJsonNamesEveryField()
    {
        QVERIFY(write("big.shx", bigfont({{0x81, 0xFE}}, {{0xD2BB, definition("", kBar)}})));
        QVERIFY(write("cut.fnt", QByteArray(40, 'x')));
        QVERIFY(write("bad.shp", "*0,4,F\n8,0,0\n*!65,3,A\n0\n"));
        const Run result = run({"inspect", "--json", "big.shx", "cut.fnt", "gone.shx", "bad.shp"});
        QCOMPARE(result.exitCode, 1);
        const QJsonArray files = QJsonDocument::fromJson(result.out.toUtf8())["files"].toArray();

        // Every field of each kind of entry, as a script reading the report sees it.
        const QJsonArray expected = QJsonDocument::fromJson(R"json([
            {"path": "big.shx", "outcome": "valid", "reason": "", "kind": "big font", "glyphs": 1,
             "ranges": [[19968, 19968]], "extents": {"minX": 0, "minY": 63, "maxX": 128, "maxY": 63},
             "problems": [], "header": "Varnel bigfont 1.0     \\x1a", "shapeCount": 1, "height": 8,
             "missingSubshapes": [], "drawNothing": [], "nestedTooDeeply": [],
             "escapeRanges": [[129, 254]], "codePage": "gbc"},
            {"path": "cut.fnt", "outcome": "problems", "reason": "not a valid FNT file (1 problem)",
             "kind": "FNT file", "glyphs": 0, "ranges": [], "extents": null, "size": 40, "problems": [
                {"position": 40, "message": "the file ends at byte 40, inside the 48-byte header, which starts at byte 0"}]},
            {"path": "gone.shx", "outcome": "failed", "reason": "no such file or directory", "kind": null},
            {"path": "bad.shp", "outcome": "failed", "reason": "Failed to compile SHP file: 1 error",
             "kind": null, "source": "SHP", "records": 2,
             "errors": ["bad.shp:1:4: the record says 4 bytes and holds 3"],
             "warnings": ["bad.shp:3:1: warning: record kept as written: the record says 3 bytes and holds 1"]}])json")
                                         .array();
        QCOMPARE(files, expected);
    }

    void inspectTakesFolders()
    {
        QVERIFY(write("fonts/a.shx", shapeFont(8, {{65, definition("A", kBar)}})));
        QVERIFY(write("fonts/deeper/b.SHX", shapeFont(8, {{66, definition("B", kBar)}})));
        QVERIFY(write("fonts/deeper/c.shp", "*0,4,C\n8,0,0,0\n"));
        QVERIFY(write("fonts/notes.txt", "not a font"));
        const Run flat = run({"inspect", "fonts"});
        QCOMPARE(flat.exitCode, 0);
        QCOMPARE(flat.out.count("kind:"), 1);
        const Run deep = run({"inspect", "-r", "fonts"});
        QCOMPARE(deep.exitCode, 0);
        QCOMPARE(deep.out.count("kind:"), 3);
        QVERIFY2(!deep.out.contains("notes.txt") && deep.err.isEmpty(), qPrintable(deep.err));
        // Fonts only in the folders below: -r is what is missing.
        const Run above = run({"inspect", "fonts/.."});
        QCOMPARE(above.exitCode, 1);
        VERIFY_CONTAINS(above.err, "no SHX, SHP or FNT files in this folder, only in the folders below it: add -r");
    }

    void helpManualAndCompletionListEveryOption()
    {
        const QString manual = QString::fromUtf8(readFile(QStringLiteral(VARNEL_MAN_PAGE)));
        const QString completion = QString::fromUtf8(readFile(QStringLiteral(VARNEL_COMPLETION)));
        QVERIFY(!manual.isEmpty() && !completion.isEmpty());
        // The man page writes every hyphen of an option as "\-" and switches
        // fonts with "\fB" and "\fR".
        const QString manualOptions = QString(manual)
                                          .remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]")))
                                          .remove(QLatin1Char('\\'));

        const QRegularExpression option(QStringLiteral("(?:^|[\\s,])(--?[a-zA-Z][a-zA-Z-]*)"));
        QStringList commands{QString(), "inspect"};

#ifdef VARNEL_HAVE_PREVIEW
        commands << "preview";
#endif
        for (const QString &command : std::as_const(commands)) {
            QVERIFY2(manual.contains(command) && completion.contains(command), qPrintable(command));
            const Run help = run(command.isEmpty() ? QStringList{"--help"}
                                                   : QStringList{command, "--help"});
            QCOMPARE(help.exitCode, 0);
            // Asked for in any order, a command's help is its own.
            QCOMPARE(run({"help", command}).out, help.out);
            QCOMPARE(run(command.isEmpty() ? QStringList{"help"} : QStringList{"--help", command}).out, help.out);
            if (!command.isEmpty())
                QCOMPARE(run({command, "--help-all"}).exitCode, 0);
            QStringList seen;
            for (const QString &line : help.out.split('\n')) {
                // Options are the lines that start, indented, with a hyphen.
                if (!line.trimmed().startsWith('-'))
                    continue;
                auto it = option.globalMatch(line.section(QStringLiteral("  "), 0, 1));
                while (it.hasNext()) {
                    const QString name = it.next().captured(1);
                    seen << name;
                    const QRegularExpression whole(QRegularExpression::escape(name) + "(?![a-zA-Z-])");
                    QVERIFY2(manualOptions.contains(whole) && completion.contains(whole),
                             qPrintable(command + " " + name));
                }
            }
            QVERIFY2(seen.size() >= 2, qPrintable(help.out));
            if (command.isEmpty()) {
                // Under the program's own name, every conversion option, no Qt extras.
                QVERIFY2(help.out.startsWith("Usage: varnel-cli [options]"), qPrintable(help.out));
                for (const char *name : {"--output", "--recursive", "--no-clobber", "--update", "--jobs",
                                         "--quiet", "--verbose", "--json", "--code-page", "-v",
                                         "--version"})
                    QVERIFY2(seen.contains(QLatin1String(name)), name);
                QVERIFY(!help.out.contains("help-all"));
            }
        }
        QCOMPARE(run({"--help-all"}).exitCode, 2);
        for (const char *name : {"unicode", "euc-kr", "big5", "gbc", "shift-jis"})
            QVERIFY2(completion.contains(name) && manual.contains(name), qPrintable(name));
    }

    // The FNT reader behind inspect and preview: it takes an intact file (every
    // file the writer makes is read back in tst_hostile), no prefix of one, and
    // names each kind of damage at its byte.
    void readerFindsDamageWhereItShows_data()
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
        QTest::newRow("line count too large for the file") << patched(64, "ffff") << qint64(126);
    }

    void readerFindsDamageWhereItShows()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, position);

        fnt::FntReader reader;
        QCOMPARE(reader.read(bytes), position < 0);
        QList<qint64> positions{-1};
        for (const fnt::FntViolation &violation : reader.violations())
            positions << violation.position;
        QVERIFY2(positions.contains(position), qPrintable(reader.violations().value(0).message));
        // Under the sanitizers this also shows no prefix is read past its end.
        for (qsizetype size = 0; position < 0 && size < bytes.size(); ++size)
            QVERIFY2(!reader.read(bytes.left(size)), qPrintable(QString::number(size)));
    }

#ifdef VARNEL_HAVE_PREVIEW
    void previewWritesOneSheetPerFontHere()
    {
        QVERIFY(write("one.shx", shapeFont(8, {{65, definition("A", kBar)}})));
        QVERIFY(write("sub/two.shx", shapeFont(8, {{66, definition("B", kBar)}})));
        QVERIFY(write("sub/one.fnt", "never read"));
        QVERIFY(write("one.shp", shp::decompile(read("one.shx"))));
        QList<Entry> many;
        for (quint16 code = 0x8140; code < 0x8140 + 2049; ++code)
            many.append({code, definition("", kBar)});
        QVERIFY(write("many.shx", bigfont({{0x81, 0xFE}}, many)));
        const QStringList before = entries();
        // Refused before anything is drawn: a reversed range (a usage error), a
        // range without a glyph (in the notation codes are printed in) and a
        // sheet too large.
        const std::tuple<const char *, int, const char *> refused[] = {
            {"one.shx --codes 5-1", 2, "the range 5-1 is reversed"},
            {"one.shx --codes 0x3000-0x3100", 1, "0x3000-0x3100"},
            {"many.shx", 1, "2,049 glyphs"}};
        for (const auto &[arguments, exitCode, message] : refused) {
            const Run result = run(QStringList{"preview"} + QString(arguments).split(' '));
            QCOMPARE(result.exitCode, exitCode);
            VERIFY_CONTAINS(result.err, message);
            QCOMPARE(entries(), before);
        }
        // Each sheet lands here, named after its font; a source beside its font
        // is skipped, the font drawn once. Glyph codes are the Unicode codes
        // conversion maps them to.
        const Run drawn = run({"preview", "one.shp", "one.shx", "sub/two.shx"});
        QCOMPARE(drawn.exitCode, 0);
        QCOMPARE(drawn.err, QStringLiteral("varnel-cli: one.shp: skipped, one.shx is drawn instead\n"));
        QCOMPARE(run({"preview", "many.shx", "--codes", "0-0x4E10"}).exitCode, 0);
        // Two fonts of one name would share a sheet: the second is refused.
        const Run clash = run({"preview", "one.shx", "sub/one.fnt"});
        QCOMPARE(clash.exitCode, 1);
        VERIFY_CONTAINS(clash.err, "sub/one.fnt: its sheet one.png is one.shx's already");
        QStringList after = before + QStringList{"many.png", "one.png", "two.png"};
        after.sort();
        QCOMPARE(entries(), after);
        QVERIFY(!QImage(path("two.png")).isNull());
        // Alone, a source draws what its font draws.
        QCOMPARE(run({"preview", "one.shp", "-o", "source.png"}).exitCode, 0);
        QCOMPARE(read("source.png"), read("one.png"));
    }

    void previewDrawsWhereTheStrokesAre()
    {
        // Height 8: a pen-up move of 5 lifts the pen 5 / 8 * 128 = 80 units over
        // the baseline, then a vector of 8 draws 128 units, origin to advance.
        const ShapeCode lift = ShapeCode().penUp().move(0, 5).penDown().vector(8, 0);
        QVERIFY(write("lift.shx", shapeFont(8, {{65, definition("L", lift)}})));
        QCOMPARE(run({"preview", "lift.shx"}).exitCode, 0);
        const QImage image = sheet("lift.png");

        // In the glyph box the baseline row is blue, the origin and advance
        // columns orange, the strokes black.
        const QRect box = pixels(image, isBox).first;
        QRect ink;
        QList<int> guides;
        int baseline = -1;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                const QRgb p = image.pixel(x, y);
                ink |= qMax(qMax(qRed(p), qGreen(p)), qBlue(p)) < 110 ? QRect(x, y, 1, 1) : QRect();
                if (y == box.center().y() && qRed(p) > qBlue(p) + 60)
                    guides << x;
                if (x == box.left() && qBlue(p) > qRed(p) + 60)
                    baseline = y;
            }
        }
        QCOMPARE(guides.size(), 2);
        // One row of ink (give or take the pen) from guide to guide...
        QVERIFY(ink.height() <= 3);
        QVERIFY(qAbs(ink.left() - guides[0]) <= 2 && qAbs(ink.right() - guides[1]) <= 2);
        // ...80 of those 128 units above the baseline.
        const double unit = (guides[1] - guides[0]) / 128.0, rise = baseline - ink.center().y();
        QVERIFY2(qAbs(rise - 80 * unit) <= 2, qPrintable(QString::number(rise / unit)));
    }

    // Glyphs far from the font's box, as conversion warns about them, are
    // framed red in cells as large as the others. A reaches 2,032 units below
    // the baseline, which is raised to 2,032 for it; C lies some 40,000 units
    // right (twenty moves of 127), or in the near font beside the others; D's
    // whole circle reaches far left, but not the part of it drawn.
    void previewFramesTheGlyphsConversionWarnsAbout()
    {
        ShapeCode far = ShapeCode().penUp();
        for (int i = 0; i < 20; ++i)
            far.move(127, 0);
        QList<Entry> glyphs{{65, definition("A", ShapeCode().penUp().move(0, -127).penDown().vector(8, 0))},
                            {66, definition("B", ShapeCode().vector(8, 4))}, {67, definition("C", kBar)},
                            {68, definition("D", ShapeCode().octantArc(30, 0x01))}};
        QVERIFY(write("near.shx", shapeFont(8, glyphs)));
        glyphs[2] = {67, definition("C", far.penDown().vector(8, 4))};
        QVERIFY(write("raised.shx", shapeFont(8, glyphs)));
        const Run converted = run({"raised.shx", "raised.fnt"});
        QVERIFY2(converted.err.contains("warning: 2 glyphs reach more than 4 font heights outside "
                                        "the font's box (x 0 to 128, y 2,032 to 2,160): 0x0041 (")
                     && converted.err.contains(", 0x0043 ("),
                 qPrintable(converted.err));
        QCOMPARE(run({"preview", "raised.fnt"}).out + run({"preview", "near.shx"}).out,
                 QStringLiteral("Drew 4 glyphs into raised.png, 2 far outside the font's box (framed red)\n"
                                "Drew 4 glyphs into near.png, 1 far outside the font's box (framed red)\n"));

        const QSize nearCells = pixels(sheet("near.png"), isBox).first.size();
        const QSize farCells = pixels(sheet("raised.png"), isBox).first.size();
        QVERIFY(qAbs(farCells.width() - nearCells.width()) <= 1
                && qAbs(farCells.height() - nearCells.height()) <= 1);
        const auto isRed = [](QRgb p) { return qRed(p) > 180 && qGreen(p) < 90 && qBlue(p) < 90; };
        QVERIFY(pixels(sheet("raised.png"), isRed).second > pixels(sheet("near.png"), isRed).second + 10);
    }

private:
    QImage sheet(const QString &name) const
    {
        return QImage(path(name)).convertToFormat(QImage::Format_RGB32);
    }
#endif
};

QTEST_GUILESS_MAIN(InspectTest)
#include "tst_inspect.moc"
