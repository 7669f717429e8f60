// varnel-worst-case [NAME...]: converts every font of the hostile catalogue
// (or those whose name contains a NAME) in a child process of its own and
// prints the time (wall clock and processor) and peak memory each one took.
// A conversion still running after five minutes is stopped and reported as a
// hang.
#include "HostileFonts.h"

#include <QElapsedTimer>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr unsigned kHangSeconds = 300;

struct Measurement
{
    const char *name;
    qint64 inputBytes;
    double seconds;
    double cpuSeconds; // user and system: what the figure is on a busy machine
    long peakKiB;
    int outcome; // ConversionOutcome; -1: the child died, -2: it hung
    qint64 outputBytes;
};

bool selected(const char *name, int argc, char *argv[])
{
    if (argc < 2)
        return true;
    for (int i = 1; i < argc; ++i) {
        if (std::strstr(name, argv[i]))
            return true;
    }
    return false;
}

Measurement measure(const hostile::HostileFont &font)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return {font.name, font.bytes.size(), 0, 0, 0, -1, 0};
    QElapsedTimer timer;
    timer.start();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        ::alarm(kHangSeconds);
        ConversionJob job;
        const qint64 size[2] = {qint64(job.convertBytes(font.bytes, QStringLiteral("worst"))),
                                job.fntBytes.size()};
        const bool written = ::write(pipeFds[1], size, sizeof size) == sizeof size;
        ::_exit(written ? 0 : 1);
    }
    ::close(pipeFds[1]);
    qint64 result[2] = {-1, 0};
    const bool read = ::read(pipeFds[0], result, sizeof result) == sizeof result;
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const double seconds = timer.nsecsElapsed() / 1e9;
    const bool clean = read && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const bool hung = WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM;
    const auto toSeconds = [](const timeval &t) { return t.tv_sec + t.tv_usec / 1e6; };
    return {font.name, font.bytes.size(), seconds,
            toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime), usage.ru_maxrss,
            clean ? int(result[0]) : hung ? -2 : -1, result[1]};
}

} // namespace

int main(int argc, char *argv[])
{
    const char *outcomes[] = {"converted", "read failed", "write failed"};
    std::printf("%8s %8s %9s %10s %10s  %-13s %s\n", "seconds", "cpu s", "peak MiB", "input",
                "output", "outcome", "font");
    bool allAnswered = true;
    for (const hostile::HostileFont &font : hostile::catalogue()) {
        if (!selected(font.name, argc, argv))
            continue;
        const Measurement m = measure(font);
        const char *outcome = m.outcome == -2 ? "HUNG" : m.outcome < 0 ? "CRASHED"
                                                                       : outcomes[m.outcome];
        std::printf("%8.3f %8.3f %9.1f %10lld %10lld  %-13s %s\n", m.seconds, m.cpuSeconds,
                    m.peakKiB / 1024.0,
                    static_cast<long long>(m.inputBytes), static_cast<long long>(m.outputBytes),
                    outcome, m.name);
        std::fflush(stdout);
        allAnswered = allAnswered && m.outcome >= 0;
    }
    return allAnswered ? 0 : 1;
}
