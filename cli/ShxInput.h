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

struct ShxInput
{
    bool ok = false;
    bool fromSource = false; // compiled from SHP
    QByteArray shx;
    qint64 records = 0;   // a source's `*` records
    QString reason;       // why there is no font: "Failed to read SHP file: ...",
                          // "Failed to compile SHP file: 2 errors"
    QStringList errors;   // a source's faults, "font.shp:12:7: ...", then "and N more"
    QStringList warnings; // "font.shp:3:1: warning: ..."
};

// "1 error", "2 errors": how a source that does not compile is summed up.
QString errorCount(const shp::Messages &errors);

// Reads `path`, an .shx file or an .shp source; a source's messages name
// the file as it may be printed.
ShxInput readShxInput(const QString &path);

} // namespace cli
