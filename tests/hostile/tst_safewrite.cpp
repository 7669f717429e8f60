// Writing the FNT file loses nothing: a write that fails halfway, a refused
// target or a failed conversion leaves the old file as it was, and nothing
// is left lying beside it.
#include "ShxBuilder.h"
#include "job/ConversionJob.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace shxtest;

namespace {

const QByteArray kOldContent = QByteArray("an older FNT file that must survive\n").repeated(40);

// A font whose FNT image is a few kilobytes: 200 glyphs of three strokes.
QByteArray sizeableFont()
{
    QList<Entry> entries;
    for (int number = 1; number <= 200; ++number)
        entries.append({quint16(number), definition("g", ShapeCode().vector(3, 2).vector(3, 14)
                                                             .penUp().vector(1, 0).penDown()
                                                             .octantArc(2, 0x14))});
    return shapeFont(12, entries);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList entriesOf(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class SafeWriteTest : public QObject
{
    Q_OBJECT

private slots:
    void interruptedWriteKeepsOldFile_data();
    void interruptedWriteKeepsOldFile();
    void refusedTargetsTouchNothing_data();
    void refusedTargetsTouchNothing();
    void failedReadKeepsOldFile();
    void writeProtectedFileIsRefused();
    void shorterFontReplacesWholeFile();
};

void SafeWriteTest::interruptedWriteKeepsOldFile_data()
{
    QTest::addColumn<qint64>("limit"); // largest file the converter may write, bytes
    QTest::newRow("no room at all") << qint64(0);
    QTest::newRow("room for a third of the image") << qint64(1200);
    QTest::newRow("room for all but the last byte") << qint64(-1);
}

// The command line runs under a file size limit with SIGXFSZ ignored, so its
// write fails part way through as on a full disk.
void SafeWriteTest::interruptedWriteKeepsOldFile()
{
    QFETCH(qint64, limit);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = dir.filePath(QStringLiteral("font.shx"));
    const QString output = dir.filePath(QStringLiteral("font.fnt"));
    QVERIFY(writeFile(input, sizeableFont()));
    QVERIFY(writeFile(output, kOldContent));

    ConversionJob reference;
    QCOMPARE(reference.convertBytes(sizeableFont(), QStringLiteral("font")),
             ConversionOutcome::Converted);
    const qint64 imageSize = reference.fntBytes.size();
    QVERIFY(imageSize > 3 * 1200);
    if (limit < 0)
        limit = imageSize - 1;

    QProcess cli;
    cli.setChildProcessModifier([limit] {
        const rlimit size{rlim_t(limit), rlim_t(limit)};
        ::setrlimit(RLIMIT_FSIZE, &size);
        ::signal(SIGXFSZ, SIG_IGN);
    });
    cli.start(QCoreApplication::applicationDirPath() + QStringLiteral("/varnel-cli"),
              {input, output});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 1);
    QVERIFY(cli.readAllStandardError().contains("Failed to write FNT file"));

    QCOMPARE(readFile(output), kOldContent);
    QCOMPARE(entriesOf(dir.path()), (QStringList{QStringLiteral("font.fnt"),
                                                 QStringLiteral("font.shx")}));
}

void SafeWriteTest::refusedTargetsTouchNothing_data()
{
    QTest::addColumn<QString>("target");  // relative to a fresh directory
    QTest::addColumn<bool>("existing");   // a file is there already
    QTest::addColumn<bool>("directory");  // ...and it is a directory

    QTest::newRow("suffix .bak behind .fnt") << "font.fnt.bak" << true << false;
    QTest::newRow("suffix .fn") << "font.fn" << false << false;
    QTest::newRow("no suffix") << "font" << true << false;
    QTest::newRow("directory that does not exist") << "missing/font.fnt" << false << false;
    QTest::newRow("directory named like a font") << "font.fnt" << true << true;
}

void SafeWriteTest::refusedTargetsTouchNothing()
{
    QFETCH(QString, target);
    QFETCH(bool, existing);
    QFETCH(bool, directory);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = dir.filePath(QStringLiteral("font.shx"));
    const QString output = dir.filePath(target);
    QVERIFY(writeFile(input, sizeableFont()));
    if (existing)
        QVERIFY(directory ? QDir().mkdir(output) : writeFile(output, kOldContent));
    const QStringList before = entriesOf(dir.path());

    ConversionJob job;
    job.shxPath = input;
    job.fntPath = output;
    QCOMPARE(job.convert(), ConversionOutcome::WriteFailed);

    QCOMPARE(entriesOf(dir.path()), before);
    if (existing && !directory)
        QCOMPARE(readFile(output), kOldContent);
    QCOMPARE(QFileInfo(output).isDir(), directory);
}

void SafeWriteTest::failedReadKeepsOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = dir.filePath(QStringLiteral("cut.shx"));
    const QString output = dir.filePath(QStringLiteral("cut.fnt"));
    QVERIFY(writeFile(input, sizeableFont().left(30))); // the index is cut off
    QVERIFY(writeFile(output, kOldContent));

    ConversionJob job;
    job.shxPath = input;
    job.fntPath = output;
    QCOMPARE(job.convert(), ConversionOutcome::ReadFailed);
    QCOMPARE(readFile(output), kOldContent);
}

void SafeWriteTest::writeProtectedFileIsRefused()
{
    if (::geteuid() == 0)
        QSKIP("root writes to write-protected files");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = dir.filePath(QStringLiteral("font.shx"));
    const QString output = dir.filePath(QStringLiteral("font.fnt"));
    QVERIFY(writeFile(input, sizeableFont()));
    QVERIFY(writeFile(output, kOldContent));
    QVERIFY(QFile::setPermissions(output, QFileDevice::ReadOwner));

    ConversionJob job;
    job.shxPath = input;
    job.fntPath = output;
    QCOMPARE(job.convert(), ConversionOutcome::WriteFailed);
    QCOMPARE(readFile(output), kOldContent);
    QCOMPARE(entriesOf(dir.path()).size(), 2);
}

// Replacing, not overwriting in place: no tail of a longer old file remains.
void SafeWriteTest::shorterFontReplacesWholeFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = dir.filePath(QStringLiteral("small.shx"));
    const QString output = dir.filePath(QStringLiteral("small.fnt"));
    const QByteArray shx = shapeFont(8, {{65, definition("A", ShapeCode().vector(1, 4))}});
    QVERIFY(writeFile(input, shx));
    QVERIFY(writeFile(output, kOldContent));

    ConversionJob job;
    job.shxPath = input;
    job.fntPath = output;
    QCOMPARE(job.convert(), ConversionOutcome::Converted);
    // 48-byte header, range count, one range, one offset, a 22-byte record.
    QCOMPARE(readFile(output).size(), 48 + 2 + 4 + 4 + 22);
    QCOMPARE(readFile(output), job.fntBytes);
}

QTEST_GUILESS_MAIN(SafeWriteTest)
#include "tst_safewrite.moc"
