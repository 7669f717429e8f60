// varnel-worst-case [--cli PROGRAM] [NAME...]: converts every font of the
// hostile catalogue, SHP sources compiled first (or those whose name
// contains a NAME), in a child process
// of its own and prints the time (wall clock and processor) and peak memory
// each one took; then draws each one's glyph sheet with `varnel-cli preview`
// (the varnel-cli beside this program unless --cli names one) and prints
// the same figures for that. A child still running after five minutes is
// stopped and reported as a hang.
#include "HostileFonts.h"
#include "shp/Shp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr unsigned kHangSeconds = 300;

struct Measurement
{
    double seconds = 0.0;
    double cpuSeconds = 0.0; // user and system: what the figure is on a busy machine
    long peakKiB = 0;
    int status = 0; // as wait4 gives it
    bool started = false;

    bool hung() const { return started && WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM; }
    bool exited() const { return started && WIFEXITED(status); }
};

// Runs `work` in a child process that it must end with _exit (or exec);
// an alarm, kept across exec, stops it after kHangSeconds.
template<typename Work>
Measurement inChild(Work work)
{
    Measurement m;
    QElapsedTimer timer;
    timer.start();
    const pid_t child = ::fork();
    if (child < 0)
        return m;
    if (child == 0) {
        ::alarm(kHangSeconds);
        work();
        ::_exit(127);
    }
    rusage usage{};
    m.started = ::wait4(child, &m.status, 0, &usage) == child;
    m.seconds = timer.nsecsElapsed() / 1e9;
    const auto toSeconds = [](const timeval &t) { return t.tv_sec + t.tv_usec / 1e6; };
    m.cpuSeconds = toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
    m.peakKiB = usage.ru_maxrss;
    return m;
}

void printFigures(const Measurement &m)
{
    std::printf("%8.3f %8.3f %9.1f", m.seconds, m.cpuSeconds, m.peakKiB / 1024.0);
}

// A font of the catalogue, written to a file of its own: the children read
// it there, so that their peak memory is not the whole catalogue's, which a
// child shares with its parent (and keeps across exec).
struct Case
{
    const char *name;
    bool source;
    qint64 size;
    QString path;
};

// Converts in memory; true when the child answered (converted or refused).
bool measureConversion(const Case &font)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return false;
    const Measurement m = inChild([&] {
        ::close(pipeFds[0]);
        QFile file(font.path);
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const shp::Compiled compiled = font.source ? shp::compile(bytes) : shp::Compiled();
        ConversionJob job;
        const qint64 size[2] = {
            font.source && compiled.shx.isEmpty()
                ? qint64(ConversionOutcome::ReadFailed)
                : qint64(job.convertBytes(font.source ? compiled.shx : bytes,
                                          QStringLiteral("worst"))),
            job.fntBytes.size()};
        ::_exit(::write(pipeFds[1], size, sizeof size) == sizeof size ? 0 : 1);
    });
    ::close(pipeFds[1]);
    qint64 result[2] = {-1, 0};
    const bool read = ::read(pipeFds[0], result, sizeof result) == sizeof result;
    ::close(pipeFds[0]);
    const bool answered = read && m.exited() && WEXITSTATUS(m.status) == 0;
    const char *outcomes[] = {"converted", "read failed", "write failed"};
    printFigures(m);
    std::printf(" %10lld %10lld  %-13s %s\n", static_cast<long long>(font.size),
                static_cast<long long>(result[1]),
                m.hung() ? "HUNG" : answered ? outcomes[result[0]] : "CRASHED", font.name);
    return answered;
}

// Draws the font's sheet as PNG; true when varnel-cli drew it or refused it.
bool measurePreview(const QString &cli, const QTemporaryDir &dir, const Case &font)
{
    const QString sheetPath = dir.filePath(QStringLiteral("font.png"));
    QFile::remove(sheetPath);
    const QByteArray program = QFile::encodeName(cli);
    const QByteArray fontArg = QFile::encodeName(font.path);
    const QByteArray sheetArg = QFile::encodeName(sheetPath);
    const Measurement m = inChild([&] {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        const char *argv[] = {program.constData(), "preview", fontArg.constData(), "-o",
                              sheetArg.constData(), nullptr};
        ::execv(argv[0], const_cast<char *const *>(argv));
    });
    const int code = m.exited() ? WEXITSTATUS(m.status) : -1;
    printFigures(m);
    std::printf(" %10lld  %-13s %s\n",
                static_cast<long long>(QFileInfo(sheetPath).exists() ? QFileInfo(sheetPath).size()
                                                                      : 0),
                m.hung() ? "HUNG" : code == 0 ? "drawn" : code == 1 ? "refused" : "CRASHED",
                font.name);
    return code == 0 || code == 1;
}

bool selected(const char *name, const QStringList &names)
{
    if (names.isEmpty())
        return true;
    for (const QString &wanted : names) {
        if (std::strstr(name, qPrintable(wanted)))
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QString cli = QFileInfo(QFile::decodeName(argv[0])).dir().filePath(QStringLiteral("varnel-cli"));
    QStringList names;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--cli") == 0 && i + 1 < argc)
            cli = QFile::decodeName(argv[++i]);
        else
            names << QString::fromLocal8Bit(argv[i]);
    }
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::printf("no folder for the fonts: %s\n", qPrintable(dir.errorString()));
        return 1;
    }
    QList<Case> fonts;
    for (const hostile::HostileFont &font : hostile::catalogue() + hostile::sources()) {
        if (!selected(font.name, names))
            continue;
        const Case one{font.name, font.source, font.bytes.size(),
                       dir.filePath(QStringLiteral("%1.%2").arg(fonts.size()).arg(
                           font.source ? QStringLiteral("shp") : QStringLiteral("shx")))};
        QFile file(one.path);
        if (!file.open(QIODevice::WriteOnly) || file.write(font.bytes) != font.bytes.size()) {
            std::printf("cannot write %s\n", qPrintable(one.path));
            return 1;
        }
        fonts.append(one);
    }

    bool allAnswered = true;
    std::printf("conversion, in memory\n%8s %8s %9s %10s %10s  %-13s %s\n", "seconds", "cpu s",
                "peak MiB", "input", "output", "outcome", "font");
    for (const Case &font : std::as_const(fonts)) {
        allAnswered = measureConversion(font) && allAnswered;
        std::fflush(stdout);
    }

    if (!QFileInfo(cli).isExecutable()) {
        std::printf("\nno preview figures: %s is not there\n", qPrintable(cli));
        return allAnswered ? 0 : 1;
    }
    std::printf("\nglyph sheet, %s preview FONT -o SHEET.png\n%8s %8s %9s %10s  %-13s %s\n",
                qPrintable(cli), "seconds", "cpu s", "peak MiB", "sheet", "outcome", "font");
    for (const Case &font : std::as_const(fonts)) {
        allAnswered = measurePreview(cli, dir, font) && allAnswered;
        std::fflush(stdout);
    }
    return allAnswered ? 0 : 1;
}
