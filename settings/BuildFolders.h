// Build folders from which the program may fall back on a development tree.
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

// True when the last component of `programDir` names one of the build
// folders, letter case included.
inline bool isBuildFolder(const QString &programDir)
{
    static const QStringList names = {
        QStringLiteral("Debug"), QStringLiteral("Debugx64"),
        QStringLiteral("Release"), QStringLiteral("Releasex64"),
    };
    return names.contains(QDir(programDir).dirName(), Qt::CaseSensitive);
}
