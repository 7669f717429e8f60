// Where a file may be written and what a write leaves behind: never the
// input, never through a link it should not follow, the old file's mode and
// owner kept, and no temporary file after a refusal or an interruption. (A
// write that fails part way, as on a full disk, is in tst_hostile.)
#include "ShxBuilder.h"
#include "TestFiles.h"
#include "io/FileAccess.h"
#include "io/SafeWrite.h"
#include "io/TemporaryFiles.h"
#include "job/ConversionJob.h"

#include <QDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace shxtest;

namespace {

// Longer than the image of smallFont() that replaces it.
const QByteArray kOldContent = QByteArray("an older file that must survive\n").repeated(8);
const char *const kVictim = "private/font.fnt";
// The conventional unprivileged user and group, for files we do not own.
constexpr uid_t kNobody = 65534;
constexpr gid_t kNogroup = 65534;

QByteArray smallFont()
{
    return shapeFont(12, {{65, definition("A", ShapeCode().vector(4, 2).vector(4, 0))}});
}

// What smallFont() converts to, as font.shx.
QByteArray smallFnt()
{
    ConversionJob job;
    job.convertBytes(smallFont(), QStringLiteral("font"));
    return job.fntBytes;
}

struct stat statOf(const QString &path)
{
    struct stat st = {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

// What a folder holds, to tell that nothing changed: each entry's kind,
// and a file's bytes or a link's text. A FIFO or device is never opened.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> state;
    for (const QString &entry : entriesBelow(folder)) {
        const QString path = folder + '/' + entry;
        const struct stat st = statOf(path);
        if (S_ISLNK(st.st_mode))
            state[entry] = "link to " + QFile::encodeName(QFile::symLinkTarget(path));
        else if (S_ISREG(st.st_mode))
            state[entry] = readFile(path);
        else
            state[entry] = QByteArray::number(uint(st.st_mode & S_IFMT), 8) + " "
                           + QByteArray::number(quint64(st.st_rdev));
    }
    return state;
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
    const io::WriteResult late = io::writeFileSafely(dir + "/font.fnt", "new", {}, {"fnt"});
    return !late.ok && late.reason == QLatin1String("interrupted") ? 0 : 6;
}

} // namespace

class FilesTest : public QObject, TestFolder
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(reset()); }

    void refusedTargets_data()
    {
        // A fresh folder holds font.shx, secret.conf, victim.KIND and the
        // folders private/ (with out.KIND) and shared/ (sticky, world-
        // writable). `setup` makes the input and the target; `target` is
        // written by a conversion ("job": its exact reason), by varnel-cli
        // (fnt) or by varnel-cli preview (png, svg).
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        const QString notOurs = "a link in a shared folder that you do not own";
        for (const QString kind : {"fnt", "png", "svg"}) {
            const QString out = "out." + kind;
            const QString notOfItsKind = "the output is a link to a file that is not "
                                         + QString(kind == "png" ? "a ." : "an .") + kind + " file";
            const auto row = [&](const char *name, const QString &setup, const QString &target,
                                 const QString &reason) {
                QTest::addRow("%s, %s", qPrintable(kind), name)
                    << kind << setup << target << reason;
            };
            row("link to the input", "link font.shx", out, "would overwrite the input file");
            row("hard link to the input", "hard link font.shx", out,
                "would overwrite the input file");
            row("link to a file of another kind", "link secret.conf", out, notOfItsKind);
            row("link to a device", "link /dev/null", out, notOfItsKind);
            row("device", "device", out, "not a regular file");
            row("FIFO", "pipe", out, "not a regular file");
            row("another user's link in a sticky folder", "nobody's link ../victim." + kind,
                "shared/" + out, "the output is " + notOurs);
            row("another user's folder link on the way", "nobody's link ../private",
                "shared/dir/" + out, "shared/dir is " + notOurs);
        }
        const auto row = [](const char *name, const char *setup, const QString &target,
                            const char *reason) {
            QTest::newRow(name) << QString("job") << QString(setup) << target << QString(reason);
        };
        const char *notAFont = "the output is a link to a file that is not an .fnt file";
        row("dangling link to a name that is not a font", "link new.conf", "font.fnt", notAFont);
        row("link to a link to a file that is not a font",
            "link other.fnt, other.fnt link secret.conf", "font.fnt", notAFont);
        row("links in a ring", "link other.fnt, other.fnt link font.fnt", "font.fnt",
            "too many levels of links");
        row("missing output folder", "", "missing/font.fnt", "the output folder does not exist");
        row("folder named like a font", "folder", "font.fnt", "is a folder");
        row("name past the file system's limit", "", QString(252, 'n') + ".fnt",
            "file name too long");
        row("folder we may not write", "write-protect", "font.fnt", "permission denied");
        row("suffix .bak behind .fnt", "old", "font.fnt.bak",
            "the output name does not end in .fnt");
        row("write-protected file", "old, locked", "font.fnt", "permission denied");
        // Refused by its size before it is read, though it starts as a font.
        row("font padded past the size bound", "old, input padded", "font.fnt",
            "too large (16,777,217 bytes, at most 16,777,216 bytes)");
        // A pipe would block open(), /dev/zero never ends.
        row("pipe named like a font", "old, input pipe", "font.fnt", "not a regular file");
        row("endless device named like a font", "old, input zero", "font.fnt",
            "not a regular file");
    }

    // Each refusal has its own reason, and nothing in the folder changes: not
    // the input, not what a link leads to, not the old file; no temporary
    // file stays either.
    void refusedTargets()
    {
        QFETCH(QString, kind);
        QFETCH(QString, setup);
        QFETCH(QString, target);
        QFETCH(QString, reason);
#ifndef VARNEL_HAVE_PREVIEW
        if (kind == "png" || kind == "svg")
            QSKIP("varnel-cli is built without preview");
#endif
        if (::geteuid() == 0 && (setup.contains("write-protect") || setup.contains("locked")))
            QSKIP("root writes to what is write-protected");
        if (::geteuid() != 0 && (setup == "device" || setup.startsWith("nobody's")))
            QSKIP("only root makes devices and gives links to another user");

        const QString shx = path("font.shx");
        const QString output = path(target);
        const QString own = kind == "job" ? "fnt" : kind;
        QVERIFY(writeFile(shx, smallFont()) && write("secret.conf", kOldContent)
                && write("victim." + own, kOldContent) && write("private/out." + own, kOldContent)
                && QDir(path()).mkdir("shared"));
        QVERIFY(::chmod(QFile::encodeName(path("shared")).constData(), 01777) == 0);
        // Each step is "[NAME.fnt] link|hard link TO", "nobody's link TO"
        // (the first name below shared/), "device", "pipe", "folder", "old"
        // (an old file there), "locked" (that file read-only), "write-protect"
        // (the folder) or "input KIND"; without a name it makes the target.
        for (const QString &step : setup.split(", ", Qt::SkipEmptyParts)) {
            QStringList words = step.split(' ');
            const QString to = words.takeLast();
            const bool named = !words.isEmpty() && words.first().endsWith(".fnt");
            const QString from = named ? path(words.takeFirst()) : output;
            const QByteArray made = QFile::encodeName(from);
            const QString how = words.join(' ');
            if (how == "link")
                QVERIFY(QFile::link(to, from));
            else if (how == "hard link")
                QVERIFY(::link(QFile::encodeName(path(to)).constData(), made) == 0);
            else if (how == "nobody's link") {
                const QString link = path("shared/" + target.section('/', 1, 1));
                QVERIFY(QFile::link(to, link));
                QVERIFY(::lchown(QFile::encodeName(link), kNobody, kNogroup) == 0);
            } else if (how == "input") {
                QVERIFY(to == "padded" || QFile::remove(shx));
                if (to == "pipe")
                    QVERIFY(::mkfifo(QFile::encodeName(shx).constData(), 0600) == 0);
                else if (to == "zero")
                    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), shx));
                else // sparse: no disk used
                    QVERIFY(QFile::resize(shx, io::kMaxFontFileBytes + 1));
            } else if (to == "device")
                QVERIFY(::mknod(made, S_IFCHR | 0666, makedev(1, 3)) == 0);
            else if (to == "pipe")
                QVERIFY(::mkfifo(made, 0600) == 0);
            else if (to == "folder")
                QVERIFY(QDir().mkdir(output));
            else if (to == "old")
                QVERIFY(writeFile(output, kOldContent));
        }
        if (setup.contains("locked"))
            QVERIFY(QFile::setPermissions(output, QFileDevice::ReadOwner));
        const QMap<QString, QByteArray> before = snapshot(path());
        if (setup == "write-protect")
            QVERIFY(QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));

        QString got = kind == "job" ? convert(shx, output) : QString();
        if (kind != "job") {
            const QStringList arguments = kind == "fnt" ? QStringList{shx, output}
                                                        : QStringList{"preview", shx, "-o", output};
            const Run cli = runProgram(VARNEL_CLI_PATH, arguments, path(), 30000);
            QCOMPARE(cli.exitCode, 1);
            got = cli.err.contains(reason) ? reason : cli.err;
        }
        QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                              | QFileDevice::ExeOwner);
        QCOMPARE(got, reason);
        QCOMPARE(snapshot(path()), before);
    }

    void linksAreFollowed_data()
    {
        // A fresh folder holds font.shx, fonts/Existing.FNT, private/font.fnt
        // and shared/ (sticky, world-writable). `link` leads to `to` (from
        // the folder when it starts with '/') and is ours or the folder
        // owner's; writing it (or font.fnt in it, a folder) puts the font
        // into `lands`.
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("ours");
        QTest::addColumn<QString>("lands");
        const auto row = [](const char *name, const char *link, const char *to, bool ours,
                            const char *lands) {
            QTest::newRow(name) << QString(link) << QString(to) << ours << QString(lands);
        };
        // A link to an .fnt file, in any case, existing or not.
        row("to a font", "a.fnt", "fonts/Existing.FNT", true, "fonts/Existing.FNT");
        row("to a new font", "b.fnt", "/fonts/new.fnt", true, "fonts/new.fnt");
        // Anyone can plant a link in a shared folder; ours and the folder
        // owner's are followed, on the way as at the end (refusedTargets has
        // the ones that are not).
        row("our own link", "shared/font.fnt", "/private/font.fnt", true, kVictim);
        row("the folder owner's link", "shared/font.fnt", "../private/font.fnt", false, kVictim);
        row("our own folder link on the way", "shared/dir", "/private", true, kVictim);
        row("the folder owner's folder link on the way", "shared/dir", "../private", false, kVictim);
    }

    void linksAreFollowed()
    {
        QFETCH(QString, link);
        QFETCH(QString, to);
        QFETCH(bool, ours);
        QFETCH(QString, lands);
        if (!ours && ::geteuid() != 0)
            QSKIP("only root can give a link and a folder to another user");
        const QString shx = path("font.shx");
        QVERIFY(writeFile(shx, smallFont()) && write(kVictim, kOldContent)
                && write("fonts/Existing.FNT", kOldContent) && QDir(path()).mkdir("shared"));
        const QByteArray shared = QFile::encodeName(path("shared"));
        QVERIFY(::chmod(shared.constData(), 01777) == 0);
        QVERIFY(QFile::link(to.startsWith('/') ? path() + to : to, path(link)));
        if (!ours)
            QVERIFY(::lchown(QFile::encodeName(path(link)), kNobody, kNogroup) == 0
                    && ::chown(shared.constData(), kNobody, kNogroup) == 0);
        QStringList after = entries() << lands;
        after.removeDuplicates();
        after.sort();

        const QString target = link.endsWith(".fnt") ? link : link + "/font.fnt";
        QCOMPARE(convert(shx, path(target)), QString("converted"));
        QCOMPARE(read(lands), smallFnt());
        QVERIFY(QFileInfo(path(link)).isSymLink());
        QCOMPARE(entries(), after);
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
        const QString shx = path("font.shx");
        const QString fnt = path("font.fnt");
        QVERIFY(writeFile(shx, smallFont()) && writeFile(fnt, kOldContent));
        const QByteArray name = QFile::encodeName(fnt);
        if (otherOwner)
            QVERIFY(::chown(name.constData(), kNobody, kNogroup) == 0);
        QVERIFY(::chmod(name.constData(), mode_t(mode)) == 0);
        const struct stat before = statOf(fnt);

        QCOMPARE(convert(shx, fnt), QString("converted"));
        const struct stat after = statOf(fnt);
        // Replaced, not written in place: no tail of the longer old file stays.
        QCOMPARE(readFile(fnt), smallFnt());
        QVERIFY(after.st_ino != before.st_ino);
        QCOMPARE(int(after.st_mode & 07777), mode & 0777);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);

        // A new file gets what any program's new file gets. The temporary
        // name is short, so one whose name is near the limit is written again
        // and again.
        const QString fresh = QString(250, 'l') + ".fnt";
        for (int round = 0; round < 3; ++round)
            QCOMPARE(convert(shx, path(fresh)), QString("converted"));
        const mode_t mask = ::umask(022); // read by setting it
        ::umask(mask);
        QCOMPARE(int(statOf(path(fresh)).st_mode & 07777), int(0666 & ~mask));
        QCOMPARE(entries(), QStringList({"font.fnt", "font.shx", fresh}));
    }

    // The handler removes the temporary file whether it ends the process
    // itself (exit code 128 + signal) or hands over to the program, and a
    // write after the interruption leaves the old file as it was.
    void interruptRemovesTemporaryFiles()
    {
        QCOMPARE(runChild("exit", path()).exitCode, 128 + SIGHUP);
        QCOMPARE(entries(), QStringList());

        QVERIFY(write("font.fnt", kOldContent));
        const Run child = runChild("callback", path());
        QCOMPARE(child.exitCode, 0);
        QCOMPARE(child.out, QStringLiteral("I"));
        QCOMPARE(entries(), QStringList({"font.fnt"}));
        QCOMPARE(read("font.fnt"), kOldContent);
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
