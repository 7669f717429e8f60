// The catalogue of hand-made hostile SHX fonts, each named for what it
// attacks. The tests convert every one of them; varnel-worst-case measures
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
};

QList<HostileFont> catalogue();

} // namespace hostile
