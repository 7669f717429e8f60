// The catalogue of hand-made hostile SHX fonts and SHP sources, each named
// for what it attacks. The tests convert every one of them; varnel-worst-case measures
// them; the fuzzer takes them as seeds.
#pragma once

#include "job/ConversionJob.h"

#include <QByteArray>
#include <QList>

namespace hostile {

struct HostileFont
{
    const char *name;
    QByteArray bytes;
    ConversionOutcome outcome; // the answer the converter must give
    bool heavy = false;        // pushes the work budgets: measured, not fuzzed
    // An SHP source, compiled before it is converted; `firstError` is its
    // first message as "font.shp:LINE:COLUMN: text", or null when it compiles.
    bool source = false;
    const char *firstError = nullptr;
};

QList<HostileFont> catalogue();
// Hostile SHP sources, up to the 16 MiB every input is bounded by.
QList<HostileFont> sources();

} // namespace hostile
