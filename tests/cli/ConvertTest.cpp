// varnel-cli's conversions as users run them: what each form reads, writes
// and prints, and what it must leave alone.
#include "HostileFonts.h"
#include "ShxBuilder.h"
#include "TestFiles.h"

#include <QtTest>

#ifndef Q_OS_WIN
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace shxtest;

namespace {

QByteArray lineFont(int length = 8)
{
    return shapeFont(8, {{65, definition("L", ShapeCode().vector(length, 0))}});
}

} // namespace

class ConvertTest : public QObject, TestFolder
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(reset());
    }

    void failuresWriteNothing_data()
    {
        QTest::addColumn<QString>("arguments"); // \ooo: a byte in octal, as printf reads it
        QTest::addColumn<QString>("message");

        // A font that cannot be read or written fails with 1, a usage error with 2.
        QTest::newRow("input not a font") << "broken.shx out.fnt" << "Failed to read SHX file";
        QTest::newRow("no such folder") << "good.shx no/out.fnt" << "Failed to write FNT file";
        QTest::newRow("inspect no font") << "inspect broken.shx" << "Failed to read SHX file";
        QTest::newRow("mistyped command") << "inspekt good.shx" << "unknown command 'inspekt'; did you mean 'inspect'?";
        QTest::newRow("neither command nor file") << "fonts" << "'fonts' is neither a command nor a file";
        QTest::newRow("help on no command") << "help inspekt" << "no help on 'inspekt'; did you mean 'inspect'?";
        QTest::newRow("mistyped option") << "--verbos good.shx" << "unknown option '--verbos'; did you mean '--verbose'?";
        QTest::newRow("mistyped option before a value") << "--cod-page gbk good.shx" << "did you mean '--code-page'?";
        QTest::newRow("command after options") << "--json inspekt good.shx" << "did you mean 'inspect'?";
        QTest::newRow("output among inputs") << "good.shx good.shx out.fnt" << "out.fnt names an output among several inputs";
        QTest::newRow("-o FILE.fnt with two inputs") << "-o y.fnt good.shx good.shx" << "y.fnt names one file, but there are 2 inputs";
        QTest::newRow("-o FILE.fnt with a folder") << "-o y.fnt deep" << "y.fnt names one file, but deep is a folder";
        QTest::newRow("missing folder last") << "good.shx new/" << "new/: no such file or folder; to convert into a folder, use -o new/";
        QTest::newRow("file as a folder") << "good.shx/" << "good.shx/: good.shx is a file, not a folder";
        QTest::newRow("folder without fonts") << "good.shx empty/" << "empty/: no SHX or SHP files in this folder; to convert into it, use -o empty/";
        QTest::newRow("fonts only below") << "deep" << "deep: no SHX or SHP files in this folder, only in the folders below it: add -r";
        QTest::newRow("--to against OUT") << "--to shp good.shx out.fnt" << "--to shp, but out.fnt names an FNT file: give one";
        QTest::newRow("-o FILE in the input's format") << "-o x.shx good.shx" << "good.shx is an SHX file already";
        QTest::newRow("empty argument") << "good.shx " << "varnel-cli: an empty argument names no file or folder\n";
        QTest::newRow("inspect empty argument") << "inspect " << "an empty argument names no file or folder";
        QTest::newRow("-o -") << "-o - good.shx" << "fonts are written to files, not to standard output";
        QTest::newRow("no threads") << "-j 0 good.shx" << "-j needs a whole number of threads, 1 or more";
        QTest::newRow("unknown code page") << "good.shx x.fnt --code-page latin1"
                                           << "unknown code page 'latin1'; accepted: unicode; euc-kr (";
        QTest::newRow("inspect's option mistyped")
            << "inspect --jsn good.shx" << "did you mean '--json'?\nTry 'varnel-cli inspect --help'";
        // A name is used byte for byte: never as the other file whose name
        // holds U+FFFD where the stray byte is.
        QTest::newRow("output name not text") << "good.shx victim\\0377.fnt"
                                              << "victim\\xff.fnt: the name is not valid text";
        QTest::newRow("input name not text") << "victim\\0377.shx x.fnt" << "victim\\xff.shx: the name";
        QTest::newRow("folder name not text") << "-o dir\\0377 good.shx" << "dir\\xff: the name";
        // Would set the terminal's title and clear the screen if printed raw.
        QTest::newRow("name that drives the terminal") << "\\033]0;owned\\007\\033[2J.shx x.fnt"
                                                       << "\\x1b]0;owned\\x07\\x1b[2J.shx: Failed to read SHX file: no such file";
        // The output folder cannot be made: said once, with its reason.
        QTest::newRow("-o below a file")
            << "-o file/out good.shx" << "varnel-cli: cannot create the output folder file/out: a part of the path is not a folder\n";
#ifndef Q_OS_WIN
        QTest::newRow("-o a link that leads nowhere")
            << "-o dangling good.shx" << "cannot create the output folder dangling: the link dangling leads nowhere";
#endif
    }

    void failuresWriteNothing()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, message);

        QVERIFY(write("good.shx", lineFont()) && write("broken.shx", "not a font at all"));
        QVERIFY(write("deep/sub/a.shx", lineFont()));
        QVERIFY(QDir(path()).mkdir("empty") && write("file", "not a folder"));
        QVERIFY(QFile::link("gone/sub", path("dangling")));
        // What a name that does not decode would become, and must never touch.
        for (const char *name : {"victim\xef\xbf\xbd.fnt", "victim\xef\xbf\xbd.shx"})
            QVERIFY(write(QString::fromUtf8(name), lineFont()));
        QVERIFY(QDir(path()).mkdir(QString::fromUtf8("dir\xef\xbf\xbd")));
        const QStringList before = entries();
        const QByteArray victim = read(QString::fromUtf8("victim\xef\xbf\xbd.fnt"));

#ifdef Q_OS_WIN
        if (arguments.contains(QLatin1Char('\\')))
            QSKIP("Windows names are UTF-16: every one is text");
        const Run result = run(arguments.split(QLatin1Char(' ')));
#else
        // Each word through printf, so that it may hold any byte.
        const Run result = runProgram(QStringLiteral("sh"),
                                      QStringList{"-c", "p=$0; for a do set -- \"$@\" \"$(printf '%b' \"$a\")\"; "
                                                        "shift; done; exec \"$p\" \"$@\"",
                                                  VARNEL_CLI_PATH}
                                          + arguments.split(QLatin1Char(' ')),
                                      path());
#endif
        QCOMPARE(result.exitCode, message.contains("Failed") || message.contains("cannot create") ? 1 : 2);
        QVERIFY2(result.err.count(message) == 1, qPrintable(result.err)); // said once
        // Never the toolkit's own warnings or a crash report.
        QVERIFY2(!result.err.contains(QRegularExpression("\\bQ[A-Z]\\w+")), qPrintable(result.err));
        QCOMPARE(result.out, QString());
        QCOMPARE(entries(), before);
        QCOMPARE(read(QString::fromUtf8("victim\xef\xbf\xbd.fnt")), victim);
    }

    void batchSameWhateverTheThreads()
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
        VERIFY_CONTAINS(one.err, failed);
        QCOMPARE(two.out + two.err, one.out + one.err);
        const QStringList names = entriesBelow(path("one"));
        QCOMPARE(names.size(), 14); // 12 fonts, deeper and deeper/line.fnt: -r mirrors the tree
        QCOMPARE(entriesBelow(path("two")), names);
        for (const QString &name : names)
            QVERIFY2(read("one/" + name) == read("two/" + name), qPrintable(name));
    }

    void destinations_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("added"); // every new entry in the folder

        QTest::newRow("input output") << "x.shx y.fnt" << 0 << QStringList{"y.fnt"};
        QTest::newRow("-o a file") << "-o y.fnt x.shx" << 0 << QStringList{"y.fnt"};
        QTest::newRow("beside each input") << "x.shx in/a.shx" << 0 << QStringList{"in/a.fnt", "x.fnt"};
        QTest::newRow("a folder beside itself") << "in" << 0 << QStringList{"in/a.fnt"};
        // A folder named on the command line is always an input (shell globs end
        // folders with /); the destination is -o's, or a file named by its suffix.
        QTest::newRow("a folder last is an input") << "x.shx in/" << 0 << QStringList{"in/a.fnt", "x.fnt"};
        QTest::newRow("-o a folder: made first") << "-o new/ gone.shx" << 1 << QStringList{"new"};
        QTest::newRow("-o a folder: made") << "-o made x.shx in" << 0
                                           << QStringList{"made", "made/a.fnt", "made/x.fnt"};
        QTest::newRow("-r mirrors the tree")
            << "-r -o out in" << 0
            << QStringList{"out", "out/a.fnt", "out/sub", "out/sub/a.fnt", "out/sub/b.fnt"};
        QTest::newRow("-r beside each input") << "-r in" << 0
                                              << QStringList{"in/a.fnt", "in/sub/a.fnt", "in/sub/b.fnt"};
        QTest::newRow("one name from two folders: neither") << "-o out in in/sub" << 1
                                                            << QStringList{"out", "out/b.fnt"};
        QTest::newRow("--to shp mirrors the tree")
            << "--to shp -r -o out in" << 0
            << QStringList{"out", "out/a.shp", "out/sub", "out/sub/a.shp", "out/sub/b.shp"};
    }

    void destinations()
    {
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QStringList, added);

        QVERIFY(write("x.shx", lineFont()));
        QVERIFY(write("in/a.shx", lineFont(2)));
        QVERIFY(write("in/sub/a.shx", lineFont(3)));
        QVERIFY(write("in/sub/b.shx", lineFont(4)));
        const QStringList before = entries();

        const Run result = run(arguments.split(QLatin1Char(' ')));
        QVERIFY2(result.exitCode == exitCode, qPrintable(result.out + result.err));
        QStringList expected = before + added;
        expected.sort();
        QCOMPARE(entries(), expected);
        if (added.contains("out/b.fnt"))
            VERIFY_CONTAINS(result.err,
                            "in/a.shx: would be written to out/a.fnt, as would in/sub/a.shx");
        // Same-named fonts from different folders keep their own drawings.
        if (added.contains("out/sub/a.fnt"))
            QVERIFY(read("out/a.fnt") != read("out/sub/a.fnt"));
    }

    // shx -> shp -> fnt is shx -> fnt, and shx -> shp -> shx gives the same bytes.
    void samplesAsSourcesGiveTheirFonts()
    {
        for (const QString &name : QStringList{"varnel-sans", "varnel-uni", "varnel-big"}) {
            QVERIFY(write(name + ".shx", readFile(QStringLiteral(VARNEL_SAMPLES_DIR "/") + name + ".shx")));
            for (const QStringList &step : {QStringList{name + ".shx", "direct.fnt"}, {name + ".shx", name + ".shp"},
                                            {name + ".shp", "made.fnt"}, {"-o", "made.shx", name + ".shp"}})
                QCOMPARE(run(step).exitCode, 0);
            QCOMPARE(read("made.fnt"), read("direct.fnt"));
            QCOMPARE(read("made.shx"), read(name + ".shx"));
            QVERIFY(!read(name + ".shp").contains("*!")); // the samples keep every rule
        }
    }

    void sourcesInBatches()
    {
        QVERIFY(write("in/a.shx", lineFont()) && write("b.shx", lineFont(3)));
        QCOMPARE(run({"in/a.shx", "in/a.shp"}).out, QStringLiteral("Decompiled successfully\n"));
        QCOMPARE(run({"b.shx", "in/b.shp"}).exitCode, 0);
        // Two existing fonts of different names are two inputs, never one written over the other.
        const QByteArray font = read("b.shx");
        QCOMPARE(run({"in/a.shp", "b.shx"}).out, QStringLiteral("Converted 2 of 2 SHX and SHP fonts.\n"));
        QCOMPARE(read("b.shx"), font);

        // a.shp beside a.shx would write the same a.fnt: the font is converted.
        const Run both = run({"--verbose", "in"});
        QCOMPARE(both.out, QStringLiteral("in/a.shp: skipped, in/a.shx becomes the same in/a.fnt\n")
                               + both.out.section('\n', 1, 2) + "\nConverted 2 of 3 SHX and SHP fonts (1 skipped).\n");
        VERIFY_CONTAINS(both.out, "in/b.shp -> in/b.fnt: shape font, 1 glyph");
        QCOMPARE(read("in/b.fnt"), [&] { run({"b.shx"}); return read("b.fnt"); }());

        // --to shx looks for sources only; a font named is one already.
        const Run compiled = run({"--to", "shx", "-o", "out", "in", "b.shx"});
        QCOMPARE(compiled.out, QStringLiteral("Compiled 2 of 3 SHX and SHP fonts (1 skipped).\n"));
        QCOMPARE(read("out/a.shx"), read("in/a.shx"));
        QCOMPARE(read("out/b.shx"), read("b.shx"));
        QCOMPARE(QJsonDocument::fromJson(run({"--json", "--to", "shx", "b.shx"}).out.toUtf8())["files"][0]["reason"]
                     .toString(), QStringLiteral("already an SHX file"));
    }

    // Every error with its place, nothing written; warnings alike, but the
    // source compiles.
    void sourceErrorsAsACompilerPrintsThem()
    {
        QVERIFY(write("bad.shp", "*0,4,bad\n8,2,0,0\n*65,3,A\n014,0\n*70000,2,\n014,1\n"));
        QVERIFY(write("kept.shp", "*0,4,kept\n8,2,0,0\n*!65,4,A\n014,010\n*66,2,B\n014,0\n"));
        const QStringList before = entries();
        for (const QString &output : QStringList{"bad.shx", "bad.fnt"}) {
            const Run result = run({"bad.shp", output});
            QCOMPARE(result.exitCode, 1);
            QCOMPARE(result.out, QString());
            QCOMPARE(result.err, QStringLiteral("bad.shp:3:5: the record says 3 bytes and holds 2\n"
                                                "bad.shp:5:1: 0x11170 is not a shape number\n"));
        }
        QCOMPARE(entries(), before);
        const Run batch = run({"bad.shp", "kept.shp"});
        QCOMPARE(batch.exitCode, 1);
        QVERIFY2(batch.err.endsWith("kept.shp:3:1: warning: record kept as written: the record says 4 bytes and "
                                    "holds 2, it does not end with 0\n1 input failed:\n"
                                    "  bad.shp: Failed to compile SHP file: 2 errors\n"),
                 qPrintable(batch.err));
        QCOMPARE(run({"-q", "kept.shp", "kept.shx"}).err, QString());
    }

    void overwriting_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("replaced"); // of old.fnt, new.fnt; missing.fnt is always made

        QTest::newRow("replace") << "-j1" << "Converted 3 of 3 SHX fonts." << QStringList{"old", "new"};
        QTest::newRow("-n") << "-n" << "Converted 1 of 3 SHX fonts (2 skipped)." << QStringList{};
        QTest::newRow("-u") << "-u" << "Converted 2 of 3 SHX fonts (1 skipped)." << QStringList{"old"};
    }

    void overwriting()
    {
        QFETCH(QString, option);
        QFETCH(QString, summary);
        QFETCH(QStringList, replaced);

        // Writes `name` as if `age` seconds ago.
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const auto writeAged = [&](const QString &name, const QByteArray &bytes, int age) {
            QFile file(path(name));
            return write(name, bytes) && file.open(QIODevice::ReadWrite)
                   && file.setFileTime(now.addSecs(age), QFileDevice::FileModificationTime);
        };
        for (const char *name : {"old", "new", "missing"})
            QVERIFY(writeAged(QStringLiteral("in/%1.shx").arg(name), lineFont(), -3600));
        // old.fnt predates its SHX file, new.fnt was made after it.
        QVERIFY(writeAged("out/old.fnt", "kept", -7200));
        QVERIFY(writeAged("out/new.fnt", "kept", -60));

        const Run result = run({option, "-o", "out", "in"});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, summary + "\n");
        for (const char *name : {"old", "new"})
            QCOMPARE(read(QStringLiteral("out/%1.fnt").arg(name)) != "kept", replaced.contains(name));
        QCOMPARE(QDir(path("out")).entryList(QDir::Files),
                 (QStringList{"missing.fnt", "new.fnt", "old.fnt"}));

        // The single form keeps the file the same way.
        if (option == "-n") {
            const Run single = run({"-n", "in/new.shx", "out/new.fnt"});
            QCOMPARE(single.exitCode, 0);
            QVERIFY2(single.out.startsWith("Skipped: out/new.fnt exists"), qPrintable(single.out));
            QCOMPARE(read("out/new.fnt"), QByteArray("kept"));
        }
    }

    void quietVerboseAndJson()
    {
        QVERIFY(write("in/a.shx", lineFont()));
        QVERIFY(write("in/b.shx", "not a font"));
        QVERIFY(write("in/c.shx", lineFont(3)));

        // Not on a terminal: no progress line, nothing that moves the cursor.
        const Run normal = run({"in"});
        QCOMPARE(normal.exitCode, 1);
        QCOMPARE(normal.out, QStringLiteral("Converted 2 of 3 SHX fonts (1 failed).\n"));
        QVERIFY(!normal.err.contains(QLatin1Char('\r')) && !normal.err.contains(QLatin1Char('\x1b')));

        const Run quiet = run({"-q", "in"});
        QCOMPARE(quiet.exitCode, 1);
        QCOMPARE(quiet.out, QString());
        VERIFY_CONTAINS(quiet.err, "in/b.shx: Failed to read SHX file");
        // The single form reports its success, unless asked to be quiet.
        QVERIFY(run({"in/a.shx", "one.fnt"}).out.startsWith("Converted successfully"));
        const Run quietOne = run({"--quiet", "in/a.shx", "one.fnt"});
        QCOMPARE(quietOne.exitCode, 0);
        QCOMPARE(quietOne.out + quietOne.err, QString());

        // One line per font, in input order whatever finished first.
        const Run verbose = run({"--verbose", "-j", "2", "in"});
        const QStringList lines = verbose.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY2(QRegularExpression("^in/a.shx -> in/a.fnt: shape font, 1 glyph, [\\d,]+ bytes, [\\d,]+ ms$")
                     .match(lines[0]).hasMatch(), qPrintable(lines[0]));
        QVERIFY2(lines[1].startsWith("in/c.shx -> in/c.fnt: shape font, 1 glyph"), qPrintable(lines[1]));
        QCOMPARE(lines[2], QStringLiteral("Converted 2 of 3 SHX fonts (1 failed)."));

        const Run json = run({"--json", "in", "gone.shx"});
        QCOMPARE(json.exitCode, 1);
        QCOMPARE(json.err, QString());
        const QJsonObject document = QJsonDocument::fromJson(json.out.toUtf8()).object();
        QCOMPARE(document["converted"].toInt(), 2);
        QCOMPARE(document["failed"].toInt(), 2);
        const QJsonArray entries = document["files"].toArray();
        QCOMPARE(entries.size(), 4);
        QJsonObject a = entries[0].toObject();
        QVERIFY(a.take("milliseconds").isDouble());
        // Height 8: the vector of 8 runs from (0,63) to (128,63).
        QCOMPARE(a, (QJsonObject{{"path", "in/a.shx"}, {"outcome", "converted"}, {"output", "in/a.fnt"},
                                 {"kind", "shape font"}, {"glyphs", 1}, {"fntBytes", 80},
                                 {"ranges", QJsonArray{QJsonArray{65, 65}}}, {"problems", QJsonArray()},
                                 {"extents", QJsonObject{{"minX", 0}, {"minY", 63}, {"maxX", 128}, {"maxY", 63}}},
                                 {"warnings", QJsonArray()}}));
        const QJsonObject b = entries[1].toObject();
        QCOMPARE(b["outcome"].toString(), QStringLiteral("read-failed"));
        QCOMPARE(b["reason"].toString(), "the file has 10 bytes, too few for an SHX header (23 or more)");
        QCOMPARE(entries[3].toObject()["reason"].toString(), QStringLiteral("no such file or directory"));
        // A folder that cannot be made is the reason in JSON too. (Unlike run(), keeps
        // Windows' separators, which JSON escapes.)
        QVERIFY(write("file", "not a folder"));
        const Run noFolder = runProgram(QStringLiteral(VARNEL_CLI_PATH), {"--json", "-o", "file/out", "in"}, path());
        QCOMPARE(QDir::fromNativeSeparators(QJsonDocument::fromJson(noFolder.out.toUtf8())["files"][0]["reason"].toString()),
                 QStringLiteral("cannot create the output folder file/out: a part of the path is not a folder"));
    }

    void warningsWhereAPersonShouldLook()
    {
        // Glyphs 66 and 73 to 78 call shape 9, which the font lacks; glyph 67 ends 1,000
        // units right of its origin; 68 calls 69, ... 72, five levels deep; the
        // other font draws nothing at all.
        const ShapeCode farAway = ShapeCode().penUp().multiply(60).vector(15, 0).divide(60).penDown().vector(1, 0);
        QList<Entry> odd{{65, definition("A", ShapeCode().vector(8, 0))},
                         {66, definition("B", ShapeCode().subshape(9).vector(4, 0))},
                         {67, definition("C", farAway)}};
        for (quint8 k = 68; k <= 72; ++k)
            odd << Entry{k, definition("", k < 72 ? ShapeCode().subshape(k + 1) : ShapeCode().vector(1, 0))};
        for (quint8 k = 73; k <= 78; ++k)
            odd << Entry{k, definition("", ShapeCode().subshape(9))};
        QVERIFY(write("odd.shx", shapeFont(8, odd)));
        QVERIFY(write("blank.shx", shapeFont(8, {{65, definition("A", ShapeCode().penUp().vector(8, 0))}})));
        QVERIFY(write("fine.shx", lineFont()));

        const Run result = run({"odd.shx", "blank.shx", "fine.shx"});
        QCOMPARE(result.exitCode, 0); // warnings are not failures
        QCOMPARE(result.out, QStringLiteral("Converted 3 of 3 SHX fonts.\n"));
        const QStringList lines = result.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], "varnel-cli: odd.shx: warning: 7 glyphs call subshapes the font does not have: 0x0042 "
                           "(calls 0x0009), 0x0049 (calls 0x0009), 0x004A (calls 0x0009), 0x004B (calls 0x0009), "
                           "0x004C (calls 0x0009) and 2 more");
        QCOMPARE(lines[1], "varnel-cli: odd.shx: warning: 1 glyph stops where subshapes nest more than "
                           "four levels deep: 0x0044");
        QVERIFY2(lines[2].startsWith("varnel-cli: odd.shx: warning: 1 glyph reaches more than 4 font heights "
                                     "outside the font's box (x 0 to 128, y 63 to 191): 0x0043 (x 14,400 to 14,416"),
                 qPrintable(lines[2]));
        QVERIFY2(lines[3].startsWith("varnel-cli: blank.shx: warning: the font draws nothing"), qPrintable(lines[3]));

        const Run json = run({"--json", "odd.shx"});
        const QJsonArray warnings = QJsonDocument::fromJson(json.out.toUtf8())["files"][0]["warnings"].toArray();
        QCOMPARE(warnings.size(), 3);
        QCOMPARE(run({"-q", "odd.shx", "fine.shx"}).err, QString());

        // The FNT name field holds Latin-1 only; Café fits, 字体 does not.
        QVERIFY(write(QStringLiteral("Café.shx"), lineFont()));
        QVERIFY(write(QStringLiteral("字体.shx"), lineFont()));
        const Run named = run({QStringLiteral("Café.shx"), QStringLiteral("字体.shx")});
        // One warning, for 字体 (whose letters Windows' test run reads back in
        // its own code page, so only the rest is compared).
        QCOMPARE(named.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(named.err.endsWith(QStringLiteral(".shx: warning: the FNT name field holds at most 36 "
                                                   "Latin-1 characters: the name \"%1\" is stored as \"??\"\n")
                                        .arg(named.err.section(QLatin1Char('"'), 1, 1))),
                 qPrintable(named.err));
    }

    void codePageNames()
    {
        const QByteArray big = bigfont({{0x81, 0xFE}}, {{0xB0A1, definition("", ShapeCode().vector(8, 0))},
                                                        {0xB0A2, definition("", ShapeCode().vector(8, 2))}});
        QVERIFY(write("big.shx", big));
        QVERIFY(write("shape.shx", lineFont()));

        const Run detected = run({"--verbose", "big.shx", "detected.fnt"});
        VERIFY_CONTAINS(detected.out, ", code page gbc (detected), ");
        // Any case, and an alias writes what its code page's own name writes.
        QHash<QString, QByteArray> written;
        // One of each form, not every alias: the aliases are a table in main.cpp.
        for (const auto &[name, item] : {std::pair{"gbc", "gbc"}, {"GBK", "gbc"}, {"936", "gbc"},
                                         {"cp950", "big5"}, {"uhc", "euc-kr"}, {"unicode", "unicode"}}) {
            const Run forced = run({"--verbose", "big.shx", "x.fnt", "--code-page", name});
            QCOMPARE(forced.exitCode, 0);
            QVERIFY2(forced.out.contains(QStringLiteral("code page %1 (forced)").arg(item)),
                     qPrintable(forced.out));
            const QByteArray bytes = read("x.fnt");
            QCOMPARE(written.value(item, bytes), bytes);
            written.insert(item, bytes);
        }

        VERIFY_CONTAINS(run({"shape.shx", "x.fnt", "--code-page", "gbk"}).err,
                        "shape.shx: warning: --code-page has no effect: this is not a big font");
    }

    void unwritableStandardOutputFails()
    {
        if (!QFileInfo::exists("/dev/full"))
            QSKIP("needs /dev/full");
        QVERIFY(write("a.shx", lineFont()));
        // The conversion succeeds, but its report is lost: that is no success.
        for (const QStringList &arguments : {QStringList{"--json", "a.shx"}, QStringList{"inspect", "a.shx"},
                                             QStringList{"--help"}}) {
            QProcess process;
            process.setWorkingDirectory(path());
            process.setStandardOutputFile("/dev/full");
            process.start(QStringLiteral(VARNEL_CLI_PATH), arguments);
            QVERIFY(process.waitForFinished(30000));
            QCOMPARE(process.exitCode(), 1);
            QCOMPARE(QString::fromLocal8Bit(process.readAllStandardError()),
                     "varnel-cli: cannot write to standard output: no space left on device\n");
        }
    }

#ifndef Q_OS_WIN // links, FIFOs, long paths, escapes in names, process limits and signals
    void outputsThatAreOneFileCollide()
    {
        QVERIFY(write("in/linked.shx", lineFont()));
        QVERIFY(write("in/target.shx", lineFont(2)));
        QVERIFY(write("out/target.fnt", "left alone"));
        QVERIFY(QFile::link("target.fnt", path("out/linked.fnt")));
        // Names differing only in case are two files here (the test folder is on
        // a file system that keeps case, or the comparison below is skipped).
        QVERIFY(write("in/Case.shx", lineFont(3)));
        QVERIFY(write("in/sub/CASE.shx", lineFont(4)));
        const bool keepsCase = !QFileInfo::exists(path("in/case.shx"));

        const Run result = run({"-r", "-o", "out", "in"});
        QCOMPARE(result.exitCode, 1);
        VERIFY_CONTAINS(result.err,
                        "in/linked.shx: would be written to out/linked.fnt, as would in/target.shx");
        QCOMPARE(read("out/target.fnt"), QByteArray("left alone"));
        if (keepsCase) {
            QVERIFY(QFileInfo::exists(path("out/Case.fnt")));
            QVERIFY(QFileInfo::exists(path("out/sub/CASE.fnt")));
            const Run flat = run({"-o", "flat", "in", "in/sub"});
            QCOMPARE(flat.exitCode, 0);
            QCOMPARE(QDir(path("flat")).entryList(QDir::Files),
                     (QStringList{"CASE.fnt", "Case.fnt", "linked.fnt", "target.fnt"}));
        }
    }

    void outputsThatAreInputsAreRefused()
    {
        // a.fnt leads to a.shx itself; b.fnt is a hard link to a.shx. Both are
        // refused for what they are, not as two inputs writing one file.
        QVERIFY(write("a.shx", lineFont()) && write("b.shx", lineFont(2)));
        QVERIFY(QFile::link("a.shx", path("a.fnt")));
        QVERIFY(::link(QFile::encodeName(path("a.shx")).constData(),
                       QFile::encodeName(path("b.fnt")).constData()) == 0);
        const Run result = run({"a.shx", "b.shx"});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.err, QStringLiteral("2 inputs failed:\n"
                                            "  a.shx -> a.fnt: Failed to write FNT file: would overwrite the input file\n"
                                            "  b.shx -> b.fnt: Failed to write FNT file: would overwrite the input file a.shx\n"));
        QVERIFY(QFile::link("a.shx", path("c.shp")));
        QCOMPARE(run({"-o", "c.shp", "a.shx"}).err, QStringLiteral("varnel-cli: c.shp: Failed to write SHP file: "
                                                              "would overwrite the input file\n"));
        // A FIFO named as OUT is an output refused, not an input read.
        QCOMPARE(::mkfifo(qPrintable(path("pipe.shp")), 0600), 0);
        QCOMPARE(run({"a.shx", "pipe.shp"}).err, "varnel-cli: pipe.shp: Failed to write SHP file: not a regular file\n");
        QCOMPARE(read("a.shx"), lineFont());
    }

    void fontTooDeepToOpenIsListed()
    {
        // 24 folders of 200-letter names: a path longer than the system opens.
        const QByteArray name(200, 'd');
        int folder = ::open(QFile::encodeName(path()).constData(), O_RDONLY | O_DIRECTORY);
        int middle = -1;
        const QList<QByteArray> parts = QList<QByteArray>{"in"} + QList<QByteArray>(24, name);
        for (int i = 0; i < parts.size(); ++i) {
            QVERIFY(folder >= 0 && ::mkdirat(folder, parts[i].constData(), 0700) == 0);
            const int below = ::openat(folder, parts[i].constData(), O_RDONLY | O_DIRECTORY);
            if (i == 12)
                middle = folder;
            else
                ::close(folder);
            folder = below;
        }
        const QByteArray font = lineFont();
        const int fd = ::openat(folder, "deep.shx", O_WRONLY | O_CREAT, 0600);
        QVERIFY(fd >= 0 && ::write(fd, font.constData(), size_t(font.size())) == font.size());
        ::close(fd);
        ::close(folder);
        const Run result = run({"-r", "in"});
        // The deep half moved up, so the test folder can be removed by name.
        const int top = ::open(QFile::encodeName(path()).constData(), O_RDONLY | O_DIRECTORY);
        ::renameat(middle, name.constData(), top, "half");
        ::close(middle);
        ::close(top);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains("the path is too long to open"), qPrintable(result.err.right(200)));
    }

    void specialFilesInAFolderAreListed()
    {
        QVERIFY(write("in/a.shx", lineFont()));
        QVERIFY(write("in/b.shx", lineFont(4)));
        QCOMPARE(::mkfifo(qPrintable(path("in/pipe.shx")), 0600), 0);
        QVERIFY(QFile::link("nowhere.shx", path("in/dangling.shx")));
        QVERIFY(QFile::link("loop2.shx", path("in/loop1.shx")));
        QVERIFY(QFile::link("loop1.shx", path("in/loop2.shx")));
        QVERIFY(QFile::link("a.shx", path("in/same-as-a.shx")));
        // A name that is not UTF-8: byte 0xff.
        const QByteArray badName = QFile::encodeName(path("in/")) + "bad\xff.shx";
        const int fd = ::open(badName.constData(), O_CREAT | O_WRONLY, 0600);
        QVERIFY(fd >= 0);
        ::close(fd);
        const QStringList before = entries();

        const Run result = run({"in"}, 20000);
        QCOMPARE(result.exitCode, 1); // and above all not -2: the FIFO did not block
        QCOMPARE(result.out, QStringLiteral("Converted 3 of 8 SHX fonts (5 failed).\n"));
        for (const char *expected : {"in/bad\\xff.shx: the name is not valid text",
                                     "in/dangling.shx: the link leads nowhere",
                                     "in/loop1.shx: the link loops", "in/loop2.shx: the link loops",
                                     "in/pipe.shx: not a regular file"})
            VERIFY_CONTAINS(result.err, QLatin1String(expected));
        // A link under another name is converted under that name too; the
        // folder named twice is read once.
        QStringList after = before;
        after << "in/a.fnt" << "in/b.fnt" << "in/same-as-a.fnt";
        after.sort();
        QCOMPARE(entries(), after);
        QCOMPARE(run({"-n", "in", "in/"}).out, QStringLiteral("Converted 0 of 8 SHX fonts (3 skipped, 5 failed).\n"));
        // In JSON too the bytes show, marked as escaped: never as U+FFFD, which
        // every such name would share.
        const QJsonArray files = QJsonDocument::fromJson(run({"--json", "in"}).out.toUtf8())["files"].toArray();
        QCOMPARE(files[0]["path"].toString(), QStringLiteral("in/a.shx"));
        QVERIFY(!files[0].toObject().contains("pathEscaped"));
        QCOMPARE(files[2]["path"].toString(), QStringLiteral("in/bad\\xff.shx"));
        QVERIFY(files[2]["pathEscaped"].toBool());
        ::unlink(badName.constData()); // QTemporaryDir cannot name it to remove it
    }

    void refusedThreadsAreFewerThreads()
    {
        for (int n = 0; n < 20; ++n)
            QVERIFY(write(QStringLiteral("in/f%1.shx").arg(n), lineFont(1 + n % 15)));
        // The limit binds only a user without the right to exceed it: root runs
        // the program as nobody, who owns next to no processes. Nobody may not
        // enter the build folder (a checkout in root's home), so the program runs
        // from a copy in the test folder.
        QStringList wrapper;
        QString program = QStringLiteral(VARNEL_CLI_PATH);
        if (::geteuid() == 0) {
            const auto everyone = QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther
                                  | QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
            QVERIFY(QFile::setPermissions(path(), everyone));
            QVERIFY(QFile::setPermissions(path("in"), everyone));
            for (QDir up = QFileInfo(path()).dir(); !up.isRoot(); up.cdUp()) {
                if (!QFileInfo(up.path()).permission(QFileDevice::ExeOther))
                    QSKIP(qPrintable("nobody may not enter " + up.path()
                                     + ", which holds the temporary folder; set TMPDIR to one everyone may enter"));
            }
            program = path("varnel-cli");
            QVERIFY(QFile::copy(QStringLiteral(VARNEL_CLI_PATH), program));
            QVERIFY(QFile::setPermissions(program, everyone));
            wrapper << "--reuid=65534" << "--regid=65534" << "--clear-groups" << "prlimit";
        }
        wrapper << "--nproc=2" << program << "-j" << "1000" << "in";
        const QString wrapperProgram = ::geteuid() == 0 ? QStringLiteral("setpriv") : QStringLiteral("prlimit");
        if (QStandardPaths::findExecutable(wrapperProgram).isEmpty())
            QSKIP("needs setpriv and prlimit");
        const Run result = runProgram(wrapperProgram, wrapper, path());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral("Converted 20 of 20 SHX fonts.\n"));
    }

    void interruptedBatchCleansUpAndSummarises()
    {
        // The slowest fonts we know, each about a second's work: the batch is
        // still running when the signal comes.
        QByteArray slow;
        for (const hostile::HostileFont &font : hostile::catalogue()) {
            if (font.heavy && font.outcome == ConversionOutcome::Converted)
                slow = font.bytes;
        }
        QVERIFY(!slow.isEmpty());
        for (int n = 0; n < 40; ++n)
            QVERIFY(write(QStringLiteral("in/slow%1.shx").arg(n, 2, 10, QLatin1Char('0')), slow));
        const QStringList before = entries();

        // SIGPIPE: the reader of standard output goes away, as `| head -1` does.
        for (const int signal : {SIGTERM, SIGINT, SIGPIPE}) {
            const QStringList arguments{"--verbose", "-j", "2", "-o", "out", "in"};
            QProcess process, head;
            process.setWorkingDirectory(path());
            if (signal == SIGPIPE) {
                process.setStandardOutputProcess(&head);
                head.start("head", {"-n", "1"});
            }
            process.start(QStringLiteral(VARNEL_CLI_PATH), arguments);
            // The first font's line: the batch is under way, with conversions running.
            QVERIFY((signal == SIGPIPE ? head : process).waitForReadyRead(30000));
            if (signal != SIGPIPE)
                ::kill(pid_t(process.processId()), signal);
            QVERIFY(process.waitForFinished(30000));
            QCOMPARE(process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(process.exitCode(), 128 + signal);
            const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
            QVERIFY2(signal == SIGPIPE
                         || QRegularExpression("\nConverted \\d+ of 40 SHX fonts \\(.*\\d+ not started\\)").match(out).hasMatch(),
                     qPrintable(out));
            // Only finished FNT files were added: no temporary file is left.
            QStringList added = entries();
            for (const QString &name : before)
                added.removeOne(name);
            for (const QString &name : std::as_const(added))
                QVERIFY2(name == "out" || QRegularExpression("^out/slow\\d\\d\\.fnt$").match(name).hasMatch(),
                         qPrintable(name));
            QVERIFY(added.size() < 41);
            QVERIFY(QDir(path("out")).removeRecursively());
        }
    }
#endif

private:
    // Names use the system's separator; the expected texts use '/'.
    Run run(const QStringList &arguments, int timeoutMs = 60000) const
    {
        Run result = runProgram(QStringLiteral(VARNEL_CLI_PATH), arguments, path(), timeoutMs);
#ifdef Q_OS_WIN
        result.out.replace(QLatin1Char('\\'), QLatin1Char('/'));
        result.err.replace(QLatin1Char('\\'), QLatin1Char('/'));
#endif
        return result;
    }
};

QTEST_GUILESS_MAIN(ConvertTest)
#include "ConvertTest.moc"
