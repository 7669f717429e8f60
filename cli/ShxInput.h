// An SHX font as inspect and preview take it: the file itself, or an SHP
// source compiled in memory, both read through the same bounded reader.
#pragma once

#include "shp/Shp.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace cli {

// By suffix, any case.
bool isShxPath(const QString &path);
bool isShpPath(const QString &path);

// "1 error", "2 errors": how a source that does not compile is summed up.
QString errorCount(const shp::Messages &errors);

struct ShxInput
{
    bool ok = false;
    bool fromSource = false; // compiled from SHP
    QByteArray shx;
    qint64 records = 0;      // a source's `*` records
    QString readFailure;     // why the file could not be read: "no such file or directory"
    shp::Messages errors;    // a source's faults, which leave no font
    shp::Messages warnings;

    // Why there is no font: "Failed to read SHP file: ...", "Failed to
    // compile SHP file: 2 errors".
    QString reason() const;
};

// Reads `path`, an .shx file or an .shp source.
ShxInput readShxInput(const QString &path);

} // namespace cli
