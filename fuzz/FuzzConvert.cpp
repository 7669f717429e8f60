// libFuzzer target: any bytes, converted in memory as an SHX file.
//
// Beyond what the sanitizers catch, a converted image must hold together:
// it is judged by the same reader `inspect` uses, so a count that wrapped,
// ranges that disagree with the glyph count, an offset that points astray or
// a record of the wrong length is a finding, and the fuzzer and `inspect`
// can never disagree about what is valid.
#include "fnt/FntBytes.h"
#include "fnt/FntReader.h"
#include "job/ConversionJob.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Whether the image breaks no rule of the format; if it does, says which.
bool imageIsValid(const QByteArray &image)
{
    fnt::FntReader reader;
    if (reader.read(image))
        return true;
    const fnt::FntViolation &first = reader.violations().constFirst();
    std::fprintf(stderr, "converted image at byte %lld: %s\n", qlonglong(first.position),
                 qPrintable(first.message));
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // fromRawData keeps libFuzzer's exactly sized buffer, so a read one byte
    // past the end is caught; a copy would have slack and a terminating zero.
    const QByteArray shx = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                   qsizetype(size));
    ConversionJob job;
    const ConversionOutcome outcome = job.convertBytes(shx, QStringLiteral("fuzz"));
    if (outcome == ConversionOutcome::Converted
        && (job.fntBytes.left(fnt::kNameLength)
                != QByteArray("fuzz").leftJustified(fnt::kNameLength)
            || !imageIsValid(job.fntBytes)))
        std::abort();
    return 0;
}
