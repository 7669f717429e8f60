// Where an FNT file may be written and what a write leaves behind: never the
// input, never through a link it should not follow, the old file's mode and
// owner kept, and no temporary file after a refusal or an interruption. (A
// write that fails part way, as on a full disk, is in tst_hostile.)
#include "ShxBuilder.h"
#include "TestFiles.h"
#include "io/SafeWrite.h"
#include "io/TemporaryFiles.h"
#include "job/ConversionJob.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace shxtest;

namespace {

const QByteArray kOldContent("an older file that must survive\n");
// The conventional unprivileged user and group, for files we do not own.
constexpr uid_t kNobody = 65534;
constexpr gid_t kNogroup = 65534;

QByteArray smallFont()
{
    return shapeFont(12, {{65, definition("A", ShapeCode().vector(4, 2).vector(4, 0))}});
}

struct stat statOf(const QString &path)
{
    struct stat st = {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// Converts `shx` into `fnt`; the reason of a failure, or "converted".
QString convert(const QString &shx, const QString &fnt)
{
    ConversionJob job;
    job.shxPath = shx;
    job.fntPath = fnt;
    return job.convert() == ConversionOutcome::Converted ? QStringLiteral("converted")
                                                         : job.failure.reason;
}

// This program run again as a child: "--interrupted MODE DIR".
Run runChild(const QString &mode, const QString &dir)
{
    return runProgram(QCoreApplication::applicationFilePath(), {"--interrupted", mode, dir}, dir,
                      30000);
}

extern "C" void noteInterrupt(int)
{
    const char mark = 'I';
    (void)!::write(STDOUT_FILENO, &mark, 1);
}

// Registers a temporary file in `dir`, installs the cleanup and signals
// itself. Without a callback the handler ends the process; with one the
// process goes on, and a write after that must fail and leave nothing.
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
    if (::faccessat(folder, name, F_OK, 0) == 0 || io::interruptSignal() != SIGINT)
        return 5;
    const io::WriteResult late = io::writeFileSafely(dir + "/font.fnt", "new", {}, "fnt");
    return !late.ok && late.reason == QLatin1String("interrupted") ? 0 : 6;
}

} // namespace

class FilesTest : public QObject
{
    Q_OBJECT

private slots:
    void refusedTargets_data()
    {
        // A fresh folder holds font.shx and secret.conf; `setup` makes the
        // target, `target` is written, nothing in the folder may change.
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");

        QTest::newRow("link to the input") << "link font.shx" << "font.fnt"
                                           << "would overwrite the input file";
        QTest::newRow("hard link to the input") << "hard link font.shx" << "font.fnt"
                                                << "would overwrite the input file";
        QTest::newRow("link to a file that is not a font")
            << "link secret.conf" << "font.fnt"
            << "the output is a link to a file that is not an .fnt file";
        QTest::newRow("dangling link to a name that is not a font")
            << "link new.conf" << "font.fnt"
            << "the output is a link to a file that is not an .fnt file";
        QTest::newRow("link to a link to a file that is not a font")
            << "link other.fnt, other.fnt link secret.conf" << "font.fnt"
            << "the output is a link to a file that is not an .fnt file";
        QTest::newRow("links in a ring") << "link other.fnt, other.fnt link font.fnt"
                                         << "font.fnt" << "too many levels of links";
        QTest::newRow("missing output folder") << "" << "missing/font.fnt"
                                               << "the output folder does not exist";
        QTest::newRow("folder named like a font") << "folder" << "font.fnt" << "is a folder";
        QTest::newRow("pipe named like a font") << "pipe" << "font.fnt" << "not a regular file";
        QTest::newRow("name past the file system's limit")
            << "" << QString(252, 'n') + ".fnt" << "file name too long";
        QTest::newRow("folder we may not write") << "write-protect" << "font.fnt"
                                                 << "permission denied";
    }

    // Each refusal has its own reason, and neither the input, nor a link's
    // target, nor the folder changes: no temporary file stays either.
    void refusedTargets()
    {
        QFETCH(QString, setup);
        QFETCH(QString, target);
        QFETCH(QString, reason);
        if (setup == "write-protect" && ::geteuid() == 0)
            QSKIP("root writes into write-protected folders");

        QTemporaryDir dir;
        const QString shx = dir.filePath("font.shx");
        QVERIFY(writeFile(shx, smallFont()) && writeFile(dir.filePath("secret.conf"), kOldContent));
        const QString output = dir.filePath(target);
        // Each step is "[NAME.fnt] link|hard link TO", "folder" or "pipe";
        // without a name it makes the target.
        for (const QString &step : setup.split(", ", Qt::SkipEmptyParts)) {
            QStringList words = step.split(' ');
            const QString to = words.takeLast();
            const bool named = !words.isEmpty() && words.first().endsWith(".fnt");
            const QString from = named ? dir.filePath(words.takeFirst()) : output;
            const QString how = words.join(' ');
            if (how == "link")
                QVERIFY(QFile::link(to, from));
            else if (how == "hard link")
                QVERIFY(::link(QFile::encodeName(dir.filePath(to)).constData(),
                               QFile::encodeName(from).constData()) == 0);
            else if (to == "folder")
                QVERIFY(QDir().mkdir(output));
            else if (to == "pipe")
                QVERIFY(::mkfifo(QFile::encodeName(output).constData(), 0600) == 0);
        }
        const QStringList entries = entriesBelow(dir.path());
        if (setup == "write-protect")
            QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));

        const QString got = convert(shx, output);
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                              | QFileDevice::ExeOwner);
        QCOMPARE(got, reason);
        QCOMPARE(entriesBelow(dir.path()), entries);
        QCOMPARE(readFile(shx), smallFont());
        QCOMPARE(readFile(dir.filePath("secret.conf")), kOldContent);
        QVERIFY(!QFileInfo::exists(dir.filePath("new.conf")));
    }

    // A link to an .fnt file (any case, existing or not) is followed: the
    // file it leads to gets the font and the link stays a link.
    void linksToFontsAreFollowed()
    {
        QTemporaryDir dir;
        const QString shx = dir.filePath("font.shx");
        QVERIFY(writeFile(shx, smallFont()) && QDir(dir.path()).mkdir("fonts"));
        const QString existing = dir.filePath("fonts/Existing.FNT");
        QVERIFY(writeFile(existing, kOldContent));
        QVERIFY(QFile::link("fonts/Existing.FNT", dir.filePath("a.fnt")));
        QVERIFY(QFile::link(dir.filePath("fonts/new.fnt"), dir.filePath("b.fnt")));

        QCOMPARE(convert(shx, dir.filePath("a.fnt")), QString("converted"));
        QCOMPARE(convert(shx, dir.filePath("b.fnt")), QString("converted"));
        ConversionJob reference;
        QCOMPARE(reference.convertBytes(smallFont(), "font"), ConversionOutcome::Converted);
        QCOMPARE(readFile(existing), reference.fntBytes);
        QCOMPARE(readFile(dir.filePath("fonts/new.fnt")), reference.fntBytes);
        QVERIFY(QFileInfo(dir.filePath("a.fnt")).isSymLink());
        QVERIFY(QFileInfo(dir.filePath("b.fnt")).isSymLink());
        QCOMPARE(entriesBelow(dir.filePath("fonts")), QStringList({"Existing.FNT", "new.fnt"}));
    }

    void sharedFolderLinks_data()
    {
        QTest::addColumn<bool>("linkOwnedByUs");
        QTest::addColumn<bool>("folderOwnedByLinkOwner");
        QTest::addColumn<QString>("reason");
        QTest::newRow("planted by another user")
            << false << false << "the output is a link in a shared folder that you do not own";
        QTest::newRow("our own link") << true << false << "converted";
        QTest::newRow("the folder owner's link") << false << true << "converted";
    }

    // In a sticky world-writable folder anyone can plant a link; only links
    // we or the folder's owner made are followed.
    void sharedFolderLinks()
    {
        QFETCH(bool, linkOwnedByUs);
        QFETCH(bool, folderOwnedByLinkOwner);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString shared = dir.filePath("shared");
        QVERIFY(QDir().mkdir(shared));
        QVERIFY(::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
        const QString shx = dir.filePath("font.shx");
        const QString victim = dir.filePath("victim.fnt");
        QVERIFY(writeFile(shx, smallFont()) && writeFile(victim, kOldContent));
        const QString link = shared + "/font.fnt";
        QVERIFY(QFile::link(victim, link));
        const QByteArray linkName = QFile::encodeName(link);
        if (!linkOwnedByUs && (::geteuid() != 0 || ::lchown(linkName, kNobody, kNogroup) != 0))
            QSKIP("only root can give a link to another user");
        if (folderOwnedByLinkOwner)
            QVERIFY(::chown(QFile::encodeName(shared).constData(), kNobody, kNogroup) == 0);

        QCOMPARE(convert(shx, link), reason);
        QCOMPARE(readFile(victim) == kOldContent, reason != "converted");
        QCOMPARE(entriesBelow(shared), QStringList({"font.fnt"}));
    }

    void replacedFileKeepsModeAndOwner_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("otherOwner");
        QTest::newRow("group-readable") << 0640 << false;
        QTest::newRow("read-only, another user's") << 0444 << true;
        QTest::newRow("set-user-ID bit dropped") << 04755 << false;
    }

    void replacedFileKeepsModeAndOwner()
    {
        QFETCH(int, mode);
        QFETCH(bool, otherOwner);
        if (otherOwner && ::geteuid() != 0)
            QSKIP("only root replaces another user's read-only file");
        QTemporaryDir dir;
        const QString shx = dir.filePath("font.shx");
        const QString fnt = dir.filePath("font.fnt");
        QVERIFY(writeFile(shx, smallFont()) && writeFile(fnt, kOldContent));
        const QByteArray name = QFile::encodeName(fnt);
        if (otherOwner)
            QVERIFY(::chown(name.constData(), kNobody, kNogroup) == 0);
        QVERIFY(::chmod(name.constData(), mode_t(mode)) == 0);
        const struct stat before = statOf(fnt);

        QCOMPARE(convert(shx, fnt), QString("converted"));
        const struct stat after = statOf(fnt);
        QVERIFY(readFile(fnt) != kOldContent);
        QCOMPARE(after.st_ino == before.st_ino, false); // replaced, not written in place
        QCOMPARE(int(after.st_mode & 07777), mode & 0777);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);

        // A new file gets what any program's new file gets.
        const QString fresh = dir.filePath("fresh.fnt");
        QCOMPARE(convert(shx, fresh), QString("converted"));
        QCOMPARE(int(statOf(fresh).st_mode & 07777), int(0666 & ~currentUmask()));
        QCOMPARE(entriesBelow(dir.path()), QStringList({"font.fnt", "font.shx", "fresh.fnt"}));
    }

    // The temporary name is short: a target whose name is near the limit
    // is written again and again.
    void longNamesConvertRepeatedly()
    {
        QTemporaryDir dir;
        const QString shx = dir.filePath("font.shx");
        const QString fnt = dir.filePath(QString(250, 'l') + ".fnt");
        QVERIFY(writeFile(shx, smallFont()));
        for (int round = 0; round < 3; ++round)
            QCOMPARE(convert(shx, fnt), QString("converted"));
        QCOMPARE(entriesBelow(dir.path()).size(), 2);
    }

    // The handler removes the temporary file whether it ends the process
    // itself (exit code 128 + signal) or hands over to the program, and a
    // write after the interruption leaves the old file as it was.
    void interruptRemovesTemporaryFiles()
    {
        QTemporaryDir dir;
        QCOMPARE(runChild("exit", dir.path()).exitCode, 128 + SIGHUP);
        QCOMPARE(entriesBelow(dir.path()), QStringList());

        QVERIFY(writeFile(dir.filePath("font.fnt"), kOldContent));
        const Run child = runChild("callback", dir.path());
        QCOMPARE(child.exitCode, 0);
        QCOMPARE(child.out, QStringLiteral("I"));
        QCOMPARE(entriesBelow(dir.path()), QStringList({"font.fnt"}));
        QCOMPARE(readFile(dir.filePath("font.fnt")), kOldContent);
    }
};

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--interrupted") == 0)
        return interruptedChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    QCoreApplication app(argc, argv);
    FilesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_files.moc"
