// How fast conversions run, set beside plain reading and writing of the same
// bytes: a generated 20,000-glyph big font, the sample fonts, and a batch of
// 200 generated fonts of all kinds converted by varnel-cli on 1 and 2 threads.
//
//     varnel-bench [--repeat N] [--cli PATH] [--samples DIR] [--keep DIR]
#include "ShxBuilder.h"
#include "TestFiles.h"
#include "job/ConversionJob.h"
#include "shp/Shp.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <functional>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

using namespace shxtest;

namespace {

constexpr int kBigFontGlyphs = 20000;
constexpr int kBatchFonts = 200;
constexpr int kBaseShapes = 60; // shapes that glyphs call as subshapes

QTextStream out(stdout);

// Best of `repeat` runs, in seconds: the least disturbed by the machine.
double bestOf(int repeat, const std::function<void()> &work)
{
    double best = 1e300;
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

// Peak resident memory of this process, in MiB, since the last reset.
double peakMemoryMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

void resetPeakMemory()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// A glyph stroke that differs with n: vectors, an octant arc, a bulge arc.
ShapeCode stroke(int n)
{
    ShapeCode code;
    code.vector(2 + n % 12, n % 16).vector(3, (n + 4) % 16);
    code.octantArc(quint8(1 + n % 6), qint8(((n % 8) << 4) | (1 + n % 7)));
    code.penUp().move(qint8(n % 5), qint8(2)).penDown();
    code.bulgeArc(qint8(4), qint8(n % 4), qint8(60 - n % 120));
    return code;
}

// Base shapes 1 to 60, then two-byte codes from 0x8140 on, each glyph
// calling a base shape, some in the extended form with its own origin and size.
QByteArray bigFont(int glyphs)
{
    QList<Entry> entries;
    for (int s = 1; s <= kBaseShapes; ++s)
        entries.append({quint16(s), definition("B", stroke(s))});
    int lead = 0x81;
    int trail = 0x40;
    for (int g = 0; g < glyphs; ++g) {
        ShapeCode code = stroke(g);
        if (g % 3 == 0)
            code.bigfontSubshape(quint16(1 + g % kBaseShapes), 2, 0, 8, 8);
        else
            code.subshape(quint8(1 + g % kBaseShapes));
        code.push().vector(4, 2).pop().vector(2, 12);
        entries.append({quint16(lead << 8 | trail), definition("G", code)});
        if (++trail > 0xFE) {
            trail = 0x40;
            ++lead;
        }
    }
    return bigfont({{0x81, 0xFE}}, entries, 16);
}

QByteArray shapeFontOf(int glyphs, int seed)
{
    QList<Entry> entries;
    for (int s = 1; s <= glyphs; ++s) {
        ShapeCode code = stroke(s + seed);
        if (s > 10)
            code.subshape(quint8(1 + (s + seed) % 10));
        entries.append({quint16(s), definition("S", code)});
    }
    return shapeFont(16, entries);
}

QByteArray unifontOf(int glyphs, int seed)
{
    QList<Entry> entries;
    for (int g = 0; g < glyphs; ++g) {
        ShapeCode code = stroke(g + seed);
        // Like real fonts: later glyphs reuse a few simple early ones.
        if (g >= 10)
            code.unifontSubshape(quint16(0x4E00 + (g + seed) % 10));
        entries.append({quint16(0x4E00 + g), definition("U", code)});
    }
    return unifont(fontInfo("U", 16), entries);
}

QByteArray batchFont(int n)
{
    // Sizes spread like a real library: most fonts small, some large.
    const int glyphs = 100 + (n * 37) % 600;
    switch (n % 3) {
    case 0:
        return shapeFontOf(std::min(glyphs, 255), n);
    case 1:
        return unifontOf(glyphs, n);
    default:
        return bigFont(glyphs * 2);
    }
}

QByteArray convertInMemory(const QByteArray &shx, int *glyphs = nullptr)
{
    ConversionJob job;
    job.convertBytes(shx, QStringLiteral("bench"));
    if (glyphs)
        *glyphs = int(job.codeList.size()) - int(job.codeList.contains(0));
    return job.fntBytes;
}

double mib(qint64 bytes)
{
    return bytes / (1024.0 * 1024.0);
}

void benchBigFont(int repeat, const QString &dir)
{
    const QByteArray shx = bigFont(kBigFontGlyphs - kBaseShapes);
    int glyphs = 0;
    const QByteArray fnt = convertInMemory(shx, &glyphs);
    const QString shxPath = dir + QStringLiteral("/big.shx");
    const QString fntPath = dir + QStringLiteral("/big.fnt");
    writeFile(shxPath, shx);

    resetPeakMemory();
    const double before = peakMemoryMiB();
    const double convert = bestOf(repeat, [&] { convertInMemory(shx); });
    const double peak = peakMemoryMiB();
    const double fileToFile = bestOf(repeat, [&] {
        ConversionJob job;
        job.shxPath = shxPath;
        job.fntPath = fntPath;
        job.convert();
    });
    const double plain = bestOf(repeat, [&] {
        const QByteArray bytes = readFile(shxPath);
        writeFile(fntPath, fnt);
    });

    out << "Big font: " << glyphs << " glyphs with subshapes and arcs, " << shx.size()
        << " bytes in, " << fnt.size() << " bytes out\n";
    out << QStringLiteral("  conversion in memory  %1 ms   %2 glyphs/s   %3 MB/s in\n")
               .arg(convert * 1e3, 0, 'f', 1)
               .arg(glyphs / convert, 0, 'f', 0)
               .arg(mib(shx.size()) / convert, 0, 'f', 1);
    out << QStringLiteral("  file to file          %1 ms   plain read + write %2 ms   ratio %3\n")
               .arg(fileToFile * 1e3, 0, 'f', 1)
               .arg(plain * 1e3, 0, 'f', 2)
               .arg(fileToFile / plain, 0, 'f', 1);
    // SHX to SHP text and back, beside the conversion to FNT.
    const QByteArray shp = shp::decompile(shx);
    const double decompile = bestOf(repeat, [&] { shp::decompile(shx); });
    const double compile = bestOf(repeat, [&] { shp::compile(shp); });
    out << QStringLiteral("  decompile to SHP      %1 ms   %2 bytes of text   %3 times the conversion\n")
               .arg(decompile * 1e3, 0, 'f', 1)
               .arg(shp.size())
               .arg(decompile / convert, 0, 'f', 2);
    out << QStringLiteral("  compile the SHP       %1 ms   %2 the same bytes   %3 times the conversion\n")
               .arg(compile * 1e3, 0, 'f', 1)
               .arg(shp::compile(shp).shx == shx ? "gives" : "does NOT give")
               .arg(compile / convert, 0, 'f', 2);
    out << QStringLiteral("  peak memory           %1 MiB for the whole process (%2 MiB before "
                          "converting)\n")
               .arg(peak, 0, 'f', 1)
               .arg(before, 0, 'f', 1);
    out.flush();
}

void benchSamples(int repeat, const QString &samplesDir)
{
    const QStringList names = QDir(samplesDir).entryList({QStringLiteral("*.shx")}, QDir::Files);
    if (names.isEmpty()) {
        out << "Sample fonts: none in " << samplesDir << "\n";
        return;
    }
    out << "Sample fonts (" << samplesDir << "):\n";
    for (const QString &name : names) {
        const QByteArray shx = readFile(samplesDir + QLatin1Char('/') + name);
        int glyphs = 0;
        const QByteArray fnt = convertInMemory(shx, &glyphs);
        // Tiny fonts: time many conversions at once for a readable figure.
        constexpr int kRounds = 200;
        const double t = bestOf(repeat, [&] {
                             for (int i = 0; i < kRounds; ++i)
                                 convertInMemory(shx);
                         })
                         / kRounds;
        out << QStringLiteral("  %1  %2 glyphs  %3 us   %4 glyphs/s   %5 MB/s in\n")
                   .arg(name, -18)
                   .arg(glyphs, 3)
                   .arg(t * 1e6, 6, 'f', 1)
                   .arg(glyphs / t, 0, 'f', 0)
                   .arg(mib(shx.size()) / t, 0, 'f', 1);
    }
    out.flush();
}

// Processor time (user and system) of the finished child processes so far,
// in seconds; 0 where the system does not tell.
double childCpuSeconds()
{
#ifdef Q_OS_UNIX
    rusage usage = {};
    if (::getrusage(RUSAGE_CHILDREN, &usage) == 0)
        return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
               + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#endif
    return 0;
}

// One run of varnel-cli: wall time and processor time, in seconds.
struct CliRun
{
    double wall = 1e300;
    double cpu = 1e300;
    void keepBest(const CliRun &other)
    {
        wall = std::min(wall, other.wall);
        cpu = std::min(cpu, other.cpu);
    }
};

CliRun runCli(const QString &cli, const QStringList &arguments)
{
    const double cpuBefore = childCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.start(cli, arguments);
    process.waitForFinished(-1);
    CliRun run;
    run.wall = timer.nsecsElapsed() / 1e9;
    run.cpu = childCpuSeconds() - cpuBefore;
    if (process.exitCode() != 0)
        out << "  (varnel-cli exited with " << process.exitCode() << ")\n";
    return run;
}

// Every output gone, so that the next run writes new files.
void emptyFolder(const QString &dir)
{
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
}

void benchBatch(int repeat, const QString &cli, const QString &dir)
{
    const QString inDir = dir + QStringLiteral("/batch");
    const QString outDir = dir + QStringLiteral("/batch-out");
    QDir().mkpath(inDir);
    QDir().mkpath(outDir);
    QStringList inputs;
    QList<QByteArray> outputs;
    qint64 inBytes = 0;
    qint64 outBytes = 0;
    int glyphs = 0;
    for (int n = 0; n < kBatchFonts; ++n) {
        const QByteArray shx = batchFont(n);
        const QString path = inDir + QStringLiteral("/font%1.shx").arg(n, 3, 10, QLatin1Char('0'));
        writeFile(path, shx);
        inputs.append(path);
        int count = 0;
        outputs.append(convertInMemory(shx, &count));
        glyphs += count;
        inBytes += shx.size();
        outBytes += outputs.last().size();
    }

    // Every timed run below writes new files, except the one that says it
    // replaces them; the folder is emptied outside the timing.
    const double plain = bestOf(repeat, [&] {
        emptyFolder(outDir);
        for (int n = 0; n < inputs.size(); ++n) {
            const QByteArray bytes = readFile(inputs.at(n));
            writeFile(outDir + QStringLiteral("/font%1.fnt").arg(n, 3, 10, QLatin1Char('0')),
                      outputs.at(n));
        }
    });
    double inProcess = 1e300;
    for (int i = 0; i < repeat; ++i) {
        emptyFolder(outDir);
        inProcess = std::min(inProcess, bestOf(1, [&] {
            for (const QString &input : std::as_const(inputs)) {
            ConversionJob job;
            job.shxPath = input;
            job.fntPath = outDir + QLatin1Char('/') + QFileInfo(input).completeBaseName()
                          + QStringLiteral(".fnt");
            job.convert();
            }
        }));
    }
    CliRun one;
    CliRun two;
    CliRun replacing;
    for (int i = 0; i < repeat; ++i) {
        emptyFolder(outDir);
        one.keepBest(runCli(cli, {"-j", "1", "-o", outDir, inDir}));
        replacing.keepBest(runCli(cli, {"-j", "1", "-o", outDir, inDir}));
        emptyFolder(outDir);
        two.keepBest(runCli(cli, {"-j", "2", "-o", outDir, inDir}));
    }

    out << "Batch: " << kBatchFonts << " fonts of all three kinds, " << glyphs << " glyphs, "
        << QString::number(mib(inBytes), 'f', 2) << " MiB in, "
        << QString::number(mib(outBytes), 'f', 2) << " MiB out\n";
    out << QStringLiteral("  plain read + write           %1 ms\n").arg(plain * 1e3, 7, 'f', 1);
    out << QStringLiteral("  converted in this process    %1 ms   %2 x plain   %3 glyphs/s\n")
               .arg(inProcess * 1e3, 7, 'f', 1)
               .arg(inProcess / plain, 0, 'f', 1)
               .arg(glyphs / inProcess, 0, 'f', 0);
    out << QStringLiteral("  varnel-cli -j 1              %1 ms   %2 x plain   %3 MB/s in   "
                          "processor %4 ms\n")
               .arg(one.wall * 1e3, 7, 'f', 1)
               .arg(one.wall / plain, 0, 'f', 1)
               .arg(mib(inBytes) / one.wall, 0, 'f', 1)
               .arg(one.cpu * 1e3, 0, 'f', 0);
    out << QStringLiteral("  varnel-cli -j 2              %1 ms   %2 x plain   %3 x -j 1   "
                          "processor %4 ms\n")
               .arg(two.wall * 1e3, 7, 'f', 1)
               .arg(two.wall / plain, 0, 'f', 1)
               .arg(two.wall / one.wall, 0, 'f', 2)
               .arg(two.cpu * 1e3, 0, 'f', 0);
    out << QStringLiteral("  -j 1 replacing every file    %1 ms   (each flushed to disk)   "
                          "processor %2 ms\n")
               .arg(replacing.wall * 1e3, 7, 'f', 1)
               .arg(replacing.cpu * 1e3, 0, 'f', 0);
    out.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Measures conversion speed and memory."));
    parser.addHelpOption();
    const QCommandLineOption repeat(QStringLiteral("repeat"),
                                    QStringLiteral("Runs per figure; the best counts (default 5)."),
                                    QStringLiteral("n"), QStringLiteral("5"));
    const QCommandLineOption cli(QStringLiteral("cli"), QStringLiteral("The varnel-cli to time."),
                                 QStringLiteral("path"), QStringLiteral(VARNEL_CLI_PATH));
    const QCommandLineOption samples(QStringLiteral("samples"),
                                     QStringLiteral("Folder of sample SHX fonts."),
                                     QStringLiteral("dir"), QStringLiteral(VARNEL_SAMPLES_DIR));
    const QCommandLineOption keep(QStringLiteral("keep"),
                                  QStringLiteral("Write the generated fonts into <dir> and keep them."),
                                  QStringLiteral("dir"));
    parser.addOptions({repeat, cli, samples, keep});
    parser.process(app);

    const int runs = std::max(1, parser.value(repeat).toInt());
    QTemporaryDir temporary;
    const QString dir = parser.isSet(keep) ? parser.value(keep) : temporary.path();
    QDir().mkpath(dir);

    out << "varnel-bench: best of " << runs << " runs, " << QThread::idealThreadCount()
        << " cores\n\n";
    out.flush();
    benchBigFont(runs, dir);
    out << "\n";
    benchSamples(runs, parser.value(samples));
    out << "\n";
    benchBatch(runs, parser.value(cli), dir);
    return 0;
}
