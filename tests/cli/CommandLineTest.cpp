// varnel-cli as users run it: one conversion, batches, inspect.
#include "ShxBuilder.h"
#include "fnt/FntReader.h"

#include <QtTest>

using namespace shxtest;

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run runCli(const QStringList &arguments, const QString &workingDir = {})
{
    QProcess process;
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    process.start(QStringLiteral(VARNEL_CLI_PATH), arguments);
    process.waitForFinished(-1);
    Run run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray lineFont()
{
    return shapeFont(8, {{65, definition("L", ShapeCode().vector(8, 0))}});
}

// A different font for every n, of all three kinds.
QByteArray fontNumber(int n)
{
    const QByteArray stroke = definition("S", ShapeCode().vector(1 + n % 15, n % 16).octantArc(2, 0x14));
    switch (n % 3) {
    case 0:
        return shapeFont(8, {{65, stroke}, {66, definition("T", ShapeCode().subshape(65))}});
    case 1:
        return unifont(fontInfo("U", 8), {{quint16(0x4E00 + n), stroke}});
    default:
        return bigfont({{0x81, 0xFE}}, {{0xB0A1, stroke}, {quint16(0xB0A2 + n), stroke}});
    }
}

// What a user must never see: the toolkit's own warnings or a crash report.
bool looksLikeToolkitNoise(const QString &text)
{
    return text.contains(QLatin1String("QFile")) || text.contains(QLatin1String("QSaveFile"))
           || text.contains(QLatin1String("QIODevice")) || text.contains(QLatin1String("QStandardPaths"))
           || text.contains(QLatin1String("terminate")) || text.contains(QLatin1String("Sanitizer"));
}

} // namespace

class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void singleConversion_data();
    void singleConversion();
    void batchOverAFolder();
    void sameOutputsWhateverTheThreads();
    void collidingOutputsConvertNeither();
    void inspect_data();
    void inspect();

private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }
};

void CommandLineTest::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    QVERIFY(writeFile(path(QStringLiteral("good.shx")), lineFont()));
    QVERIFY(writeFile(path(QStringLiteral("broken.shx")), "not a font at all"));
}

void CommandLineTest::singleConversion_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("mustNotExist");

    QTest::newRow("converted") << QStringList{"good.shx", "good.fnt"} << 0
                               << "Converted successfully" << QString();
    QTest::newRow("code page chosen") << QStringList{"good.shx", "good.fnt", "--code-page", "Big5"}
                                      << 0 << "Converted successfully" << QString();
    QTest::newRow("input not a font") << QStringList{"broken.shx", "out.fnt"} << 1
                                      << "Failed to read SHX file" << "out.fnt";
    QTest::newRow("input missing") << QStringList{"missing.shx", "out.fnt"} << 1
                                   << "Failed to read SHX file" << "out.fnt";
    QTest::newRow("output with another suffix") << QStringList{"good.shx", "good.txt"} << 1
                                                << "Failed to write FNT file" << "good.txt";
    QTest::newRow("output in a missing folder") << QStringList{"good.shx", "nowhere/good.fnt"} << 1
                                                << "Failed to write FNT file" << "nowhere";
    QTest::newRow("unknown code page") << QStringList{"good.shx", "good.fnt", "--code-page", "latin"}
                                       << 2 << "unknown code page" << "good.fnt";
    QTest::newRow("nothing to convert") << QStringList{} << 2 << "expected an input" << QString();
    QTest::newRow("zero threads") << QStringList{"-j", "0", "good.shx"} << 2 << "-j" << "good.fnt";
    QTest::newRow("unknown option") << QStringList{"--fast", "good.shx"} << 2 << "fast" << "good.fnt";
    QTest::newRow("help") << QStringList{"--help"} << 0 << "--output-dir" << QString();
    QTest::newRow("version") << QStringList{"--version"} << 0 << "varnel-cli 1." << QString();
}

void CommandLineTest::singleConversion()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(QString, mustNotExist);

    const Run run = runCli(arguments, m_dir->path());
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2((run.out + run.err).contains(message), qPrintable(run.out + run.err));
    // Success and its message on standard output, failures on standard error.
    QCOMPARE(run.out.contains(message), exitCode == 0);
    QVERIFY2(!looksLikeToolkitNoise(run.err), qPrintable(run.err));
    if (!mustNotExist.isEmpty())
        QVERIFY(!QFileInfo::exists(path(mustNotExist)));
}

void CommandLineTest::batchOverAFolder()
{
    QVERIFY(writeFile(path("fonts/a.shx"), fontNumber(0)));
    QVERIFY(writeFile(path("fonts/deeper/b.SHX"), fontNumber(1)));
    QVERIFY(writeFile(path("fonts/deeper/c.shx"), fontNumber(2)));
    QVERIFY(writeFile(path("fonts/bad.shx"), fontNumber(0).left(30))); // cut inside the index
    QVERIFY(writeFile(path("fonts/notes.txt"), "not looked at"));
    QVERIFY(QDir().mkpath(path("empty")));

    const Run run = runCli({"-r", "-o", "out", "fonts", "empty", "gone.shx"}, m_dir->path());
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QStringLiteral("Converted 3 of 4 SHX fonts.\n"));
    // Stderr is no terminal here, so no progress line.
    QVERIFY(!run.err.contains(QLatin1Char('\r')));
    const QStringList failures = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(failures.size(), 4);
    QCOMPARE(failures[0], QStringLiteral("3 inputs failed:"));
    QVERIFY(failures[1].contains("bad.shx: Failed to read SHX file"));
    QVERIFY(failures[2].contains("empty: no SHX files in this folder or below"));
    QVERIFY(failures[3].contains("gone.shx: no such file"));

    for (const char *name : {"a", "b", "c"}) {
        fnt::FntReader reader;
        QVERIFY(reader.read(readFile(path(QStringLiteral("out/%1.fnt").arg(name)))));
        QCOMPARE(reader.font().name(), QString::fromLatin1(name));
    }
    QVERIFY(!QFileInfo::exists(path("out/bad.fnt")));

    // Without -o each result lands beside its input; without -r only the
    // folder's own files count.
    const Run beside = runCli({"fonts"}, m_dir->path());
    QCOMPARE(beside.exitCode, 1);
    QCOMPARE(beside.out, QStringLiteral("Converted 1 of 2 SHX fonts.\n"));
    QVERIFY(QFileInfo::exists(path("fonts/a.fnt")));
    QVERIFY(!QFileInfo::exists(path("fonts/deeper/c.fnt")));
}

void CommandLineTest::sameOutputsWhateverTheThreads()
{
    for (int n = 0; n < 24; ++n)
        QVERIFY(writeFile(path(QStringLiteral("many/font%1.shx").arg(n, 2, 10, QLatin1Char('0'))),
                          fontNumber(n)));
    QVERIFY(writeFile(path("many/zz-broken.shx"), "still not a font"));

    const Run one = runCli({"-j", "1", "-o", "one", "many"}, m_dir->path());
    const Run two = runCli({"-j", "2", "-o", "two", "many"}, m_dir->path());
    QCOMPARE(one.exitCode, 1);
    QCOMPARE(two.exitCode, 1);
    QCOMPARE(one.out, QStringLiteral("Converted 24 of 25 SHX fonts.\n"));
    QCOMPARE(two.out, one.out);
    QCOMPARE(two.err, one.err);
    const QStringList names = QDir(path("one")).entryList(QDir::Files);
    QCOMPARE(names.size(), 24);
    QCOMPARE(QDir(path("two")).entryList(QDir::Files), names);
    for (const QString &name : names)
        QVERIFY2(readFile(path("one/" + name)) == readFile(path("two/" + name)), qPrintable(name));
}

void CommandLineTest::collidingOutputsConvertNeither()
{
    QVERIFY(writeFile(path("one/dup.shx"), fontNumber(0)));
    QVERIFY(writeFile(path("two/DUP.shx"), fontNumber(1)));
    QVERIFY(writeFile(path("out/dup.fnt"), "left alone"));

    const Run run = runCli({"-o", "out", "one", "two", "good.shx"}, m_dir->path());
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QStringLiteral("Converted 1 of 3 SHX fonts.\n"));
    QVERIFY(run.err.contains(QStringLiteral("one/dup.shx: would be written to")));
    QVERIFY(run.err.contains(QStringLiteral("two/DUP.shx: would be written to")));
    QCOMPARE(readFile(path("out/dup.fnt")), QByteArray("left alone"));
    QVERIFY(QFileInfo::exists(path("out/good.fnt")));
}

void CommandLineTest::inspect_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expected");

    // 48-byte file of a font without glyphs: name, five words, count 0.
    const QByteArray empty = QByteArray::fromHex("41" + QByteArray(35, ' ').toHex()
                                                 + "000300000080003f00800000");
    QTest::newRow("font without glyphs") << empty << 0 << "glyphs:   0\n";
    QTest::newRow("one byte too many") << empty + 'x' << 1 << "byte 48: ";
    QTest::newRow("cut inside the header") << empty.left(47) << 1 << "byte 47: the file ends";
    QTest::newRow("three stray bytes") << QByteArray("abc") << 1 << "byte 3: the file ends";
}

void CommandLineTest::inspect()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, exitCode);
    QFETCH(QString, expected);

    QVERIFY(writeFile(path("x.fnt"), bytes));
    const Run run = runCli({"inspect", path("x.fnt")});
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.out.contains(expected), qPrintable(run.out));
    QCOMPARE(run.err.contains(QLatin1String("is not a valid FNT file")), exitCode != 0);

    // A file the converter wrote reads back as valid, with its extents:
    // the line runs from (0,63) to (128,63).
    QCOMPARE(runCli({"good.shx", "good.fnt"}, m_dir->path()).exitCode, 0);
    const Run good = runCli({"inspect", path("good.fnt")});
    QCOMPARE(good.exitCode, 0);
    QVERIFY2(good.out.contains("extents:  x 0 to 128, y 63 to 63"), qPrintable(good.out));

    const Run missing = runCli({"inspect", path("missing.fnt")});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY(missing.err.startsWith(QLatin1String("varnel-cli: cannot read")));
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
