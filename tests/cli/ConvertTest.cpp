// varnel-cli's conversions as users run them: what each form reads, writes
// and prints, and what it must leave alone.
#include "HostileFonts.h"
#include "ShxBuilder.h"

#include <QtTest>

#ifndef Q_OS_WIN
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace shxtest;

namespace {

struct Run
{
    int exitCode = -1; // -1: crashed, -2: did not end in time
    QString out, err;
};

QByteArray lineFont(int length = 8)
{
    return shapeFont(8, {{65, definition("L", ShapeCode().vector(length, 0))}});
}

} // namespace

class ConvertTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void specialFilesInAFolderAreListed();
    void namesAreEscapedOnTheTerminal();
    void refusedThreadsAreFewerThreads();
    void interruptedBatchCleansUpAndSummarises();

private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QByteArray read(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    bool write(const QString &name, const QByteArray &bytes) const
    {
        QDir().mkpath(QFileInfo(path(name)).path());
        QFile file(path(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    // Every entry below the folder (links, FIFOs and folders too), sorted.
    QStringList files() const
    {
        QStringList names;
        QDirIterator it(m_dir->path(), QDir::AllEntries | QDir::System | QDir::Hidden
                                           | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            names << QDir(m_dir->path()).relativeFilePath(it.next());
        names.sort();
        return names;
    }
    Run run(const QStringList &arguments, const QString &program = QStringLiteral(VARNEL_CLI_PATH),
            int timeoutMs = 60000) const
    {
        QProcess process;
        process.setWorkingDirectory(m_dir->path());
        process.start(program, arguments);
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished(5000);
            return {-2, {}, {}};
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }
};

void ConvertTest::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void ConvertTest::specialFilesInAFolderAreListed()
{
#ifdef Q_OS_WIN
    QSKIP("FIFOs and symbolic links as tested here are POSIX");
#else
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
    const QStringList before = files();

    const Run result = run({"in"}, QStringLiteral(VARNEL_CLI_PATH), 20000);
    QCOMPARE(result.exitCode, 1); // and above all not -2: the FIFO did not block
    QCOMPARE(result.out, QStringLiteral("Converted 2 of 7 SHX fonts (5 failed).\n"));
    for (const char *expected : {"in/bad\\xff.shx: the name is not valid text",
                                 "in/dangling.shx: the link leads nowhere",
                                 "in/loop1.shx: the link loops", "in/loop2.shx: the link loops",
                                 "in/pipe.shx: not a regular file"})
        QVERIFY2(result.err.contains(QLatin1String(expected)), qPrintable(result.err));
    // The font reached twice is converted once, under its own name.
    QStringList after = before;
    after << "in/a.fnt" << "in/b.fnt";
    after.sort();
    QCOMPARE(files(), after);
    QVERIFY(!result.err.contains("same-as-a"));
    ::unlink(badName.constData()); // QTemporaryDir cannot name it to remove it
#endif
}

void ConvertTest::namesAreEscapedOnTheTerminal()
{
    // Would set the terminal's title and clear the screen if printed raw.
    const QString evil = QStringLiteral("\x1b]0;owned\x07\x1b[2J.shx");
    QVERIFY(write(evil, "not a font"));
    QVERIFY(write("fonts/" + evil, "not a font"));
    for (const QStringList &arguments : {QStringList{evil, "out.fnt"}, QStringList{evil, "fonts"}}) {
        const Run result = run(arguments);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(!result.err.contains(QLatin1Char('\x1b')) && !result.err.contains(QLatin1Char('\x07')),
                 qPrintable(result.err));
        QVERIFY2(result.err.contains("\\x1b]0;owned\\x07\\x1b[2J.shx"), qPrintable(result.err));
    }
}

void ConvertTest::refusedThreadsAreFewerThreads()
{
#ifdef Q_OS_WIN
    QSKIP("process limits are POSIX");
#else
    for (int n = 0; n < 20; ++n)
        QVERIFY(write(QStringLiteral("in/f%1.shx").arg(n), lineFont(1 + n % 15)));
    // The limit binds only a user without the right to exceed it: root runs
    // the program as nobody, who owns next to no processes.
    QStringList wrapper;
    if (::geteuid() == 0) {
        QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOther | QFileDevice::WriteOther
                                                         | QFileDevice::ExeOther | QFileDevice::ReadOwner
                                                         | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        QVERIFY(QFile::setPermissions(path("in"), QFile::permissions(m_dir->path())));
        wrapper << "--reuid=65534" << "--regid=65534" << "--clear-groups" << "prlimit";
    }
    wrapper << "--nproc=2" << VARNEL_CLI_PATH << "-j" << "1000" << "in";
    const QString program = ::geteuid() == 0 ? QStringLiteral("setpriv") : QStringLiteral("prlimit");
    if (QStandardPaths::findExecutable(program).isEmpty())
        QSKIP("needs setpriv and prlimit");
    const Run result = run(wrapper, program);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QStringLiteral("Converted 20 of 20 SHX fonts.\n"));
#endif
}

void ConvertTest::interruptedBatchCleansUpAndSummarises()
{
#ifdef Q_OS_WIN
    QSKIP("signals are POSIX");
#else
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
    const QStringList before = files();

    for (const int signal : {SIGTERM, SIGINT}) {
        QProcess process;
        process.setWorkingDirectory(m_dir->path());
        process.start(QStringLiteral(VARNEL_CLI_PATH), {"-j", "2", "-o", "out", "in"});
        QVERIFY(process.waitForStarted(10000));
        QTest::qWait(400);
        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 128 + signal);
        const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
        QVERIFY2(QRegularExpression("^Converted \\d+ of 40 SHX fonts").match(out).hasMatch(),
                 qPrintable(out));
        // Only finished FNT files were added: no temporary file is left.
        QStringList added = files();
        for (const QString &name : before)
            added.removeOne(name);
        for (const QString &name : std::as_const(added))
            QVERIFY2(name == "out" || QRegularExpression("^out/slow\\d\\d\\.fnt$").match(name).hasMatch(),
                     qPrintable(name));
        QVERIFY(added.size() < 41);
        QVERIFY(QDir(path("out")).removeRecursively());
    }
#endif
}

QTEST_GUILESS_MAIN(ConvertTest)
#include "ConvertTest.moc"
