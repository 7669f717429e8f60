// Where an FNT file may be written and what a write leaves behind: never the
// input, never through a link it should not follow, the old file's mode and
// owner kept, and no temporary file after a failure or an interruption.
#include "io/TemporaryFiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

QStringList entriesOf(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// This program run again as a child that gets a signal while a temporary
// file is registered in `dir`. Returns the child's exit code, -1 when it
// did not exit normally in time.
int runInterruptedChild(const QString &mode, const QString &dir, QByteArray *out = nullptr)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--interrupted-child"), mode, dir});
    if (!child.waitForFinished(30000) || child.exitStatus() != QProcess::NormalExit)
        return -1;
    if (out)
        *out = child.readAllStandardOutput();
    return child.exitCode();
}

extern "C" void noteInterrupt(int)
{
    const char mark = 'I';
    (void)!::write(STDOUT_FILENO, &mark, 1);
}

// The child: registers a temporary file, installs the cleanup and signals
// itself. Without a callback the handler ends the process; with one the
// process goes on and checks what it sees afterwards.
int interruptedChild(const QString &mode, const QString &dir)
{
    const int folder = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    const char *name = ".varnel-child";
    const int fd = ::openat(folder, name, O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (folder < 0 || fd < 0)
        return 3;
    const int slot = io::detail::registerTemporary(folder, name);
    if (mode == QLatin1String("exit")) {
        io::installInterruptCleanup();
        ::raise(SIGHUP);
        return 4; // not reached
    }
    io::installInterruptCleanup(noteInterrupt);
    ::raise(SIGINT);
    io::detail::releaseTemporary(slot);
    const bool gone = ::faccessat(folder, name, F_OK, 0) != 0;
    return gone && io::detail::interrupted() && io::interruptSignal() == SIGINT ? 0 : 5;
}

} // namespace

class FilesTest : public QObject
{
    Q_OBJECT

private slots:
    // The handler removes the temporary file whether it ends the process
    // itself (exit code 128 + signal) or hands over to the program.
    void interruptRemovesTemporaryFiles()
    {
        QTemporaryDir dir;
        QCOMPARE(runInterruptedChild(QStringLiteral("exit"), dir.path()), 128 + SIGHUP);
        QCOMPARE(entriesOf(dir.path()), QStringList());

        QByteArray out;
        QCOMPARE(runInterruptedChild(QStringLiteral("callback"), dir.path(), &out), 0);
        QCOMPARE(out, QByteArray("I"));
        QCOMPARE(entriesOf(dir.path()), QStringList());
    }
};

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--interrupted-child") == 0)
        return interruptedChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    QCoreApplication app(argc, argv);
    FilesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_files.moc"
