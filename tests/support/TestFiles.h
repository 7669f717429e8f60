// Files and child processes for the tests: reading and writing whole files,
// listing what a folder holds, and running a program with a time limit.
#pragma once

#include <QByteArray>
#include <QScopedPointer>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// Fails with the whole of `text` when it lacks `part`.
#define VERIFY_CONTAINS(text, part) QVERIFY2((text).contains(part), qPrintable(text))

namespace shxtest {

// The whole file, or nothing when it cannot be read.
QByteArray readFile(const QString &path);
// Writes `bytes` to `path`, making its folder first.
bool writeFile(const QString &path, const QByteArray &bytes);
// Every entry below `folder` (links, FIFOs and folders too), relative and sorted.
QStringList entriesBelow(const QString &folder);

struct Run
{
    int exitCode = -1; // -1: crashed, -2: did not end in time
    QString out, err;  // Windows' CRLF line ends folded to '\n'
};

// Runs `program` in `folder` and kills it after `timeoutMs`. `inChild` runs
// in the child before the program starts (POSIX only).
Run runProgram(const QString &program, const QStringList &arguments, const QString &folder,
               int timeoutMs = 60000, const std::function<void()> &inChild = {});

// A fresh folder for every test function (call reset() from init()), with
// names relative to it; run() starts `program` in it with a time limit.
class TestFolder
{
public:
    explicit TestFolder(const QString &program = QString(), int timeoutMs = 60000)
        : m_program(program), m_timeoutMs(timeoutMs)
    {
    }

    bool reset();
    QString path(const QString &name = QString()) const;
    QByteArray read(const QString &name) const { return readFile(path(name)); }
    bool write(const QString &name, const QByteArray &bytes) const
    {
        return writeFile(path(name), bytes);
    }
    QStringList entries() const { return entriesBelow(path()); }
    Run run(const QStringList &arguments) const
    {
        return runProgram(m_program, arguments, path(), m_timeoutMs);
    }

private:
    QString m_program;
    int m_timeoutMs;
    QScopedPointer<QTemporaryDir> m_dir;
};

} // namespace shxtest
