// What went wrong in a conversion, recorded where it is known: which of the
// three outcomes it maps to, the reason in words and, for a reader, the byte
// position. The dialog shows only the outcome's text; the command line and
// `inspect` print the whole record.
#pragma once

#include <QString>

// What a conversion ended with; run() turns it into a message box.
enum class ConversionOutcome {
    Converted,
    ReadFailed,
    WriteFailed,
};

struct ConversionFailure
{
    ConversionOutcome outcome = ConversionOutcome::Converted;
    // Lower case, no final full stop, e.g. "the shape table runs past the
    // end of the file (entry 12 at byte 4,102, file has 4,000 bytes)".
    QString reason;
    // Byte position in the file the reason is about, or -1.
    qint64 position = -1;

    bool failed() const { return outcome != ConversionOutcome::Converted; }
};
