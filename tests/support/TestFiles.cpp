// Files and child processes for the tests.
#include "TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>

namespace shxtest {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly)
           && file.write(bytes) == bytes.size();
}

QStringList entriesBelow(const QString &folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names << QDir(folder).relativeFilePath(it.next());
    names.sort();
    return names;
}

Run runProgram(const QString &program, const QStringList &arguments, const QString &folder,
               int timeoutMs, const std::function<void()> &inChild)
{
    QProcess process;
    process.setWorkingDirectory(folder);
#ifdef Q_OS_UNIX
    if (inChild)
        process.setChildProcessModifier(inChild);
#else
    Q_UNUSED(inChild);
#endif
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        return {-2, {}, {}};
    }
    // Lines end in CRLF on a Windows console, as there they should.
    const auto text = [](const QByteArray &bytes) {
        QString text = QString::fromLocal8Bit(bytes);
#ifdef Q_OS_WIN
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
#endif
        return text;
    };
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            text(process.readAllStandardOutput()), text(process.readAllStandardError())};
}

bool TestFolder::reset()
{
    m_dir.reset(new QTemporaryDir);
    return m_dir->isValid();
}

QString TestFolder::path(const QString &name) const
{
    return name.isEmpty() ? m_dir->path() : m_dir->filePath(name);
}

} // namespace shxtest
