// libFuzzer target: any bytes, read as an SHP source and as an SHX font.
//
// Beyond what the sanitizers catch, the text form must lose nothing: a font
// the loader takes decompiles to text that compiles to the same bytes and
// decompiles to the same text again. A source that compiles is held to the
// same on the font it gives.
#include "shp/Shp.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char *what, const QByteArray &shx)
{
    std::fprintf(stderr, "%s (a font of %lld bytes)\n", what, qlonglong(shx.size()));
    std::abort();
}

void checkRoundTrip(const QByteArray &shx)
{
    const QByteArray text = shp::decompile(shx);
    if (text.isEmpty())
        return; // not a font the loader takes
    const shp::Compiled again = shp::compile(text);
    if (again.shx != shx)
        fail("the decompiled text does not compile to the font", shx);
    if (shp::decompile(again.shx) != text)
        fail("the font decompiles to other text the second time", shx);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // fromRawData keeps libFuzzer's exactly sized buffer, so a read one byte
    // past the end is caught.
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     qsizetype(size));
    const shp::Compiled compiled = shp::compile(bytes);
    if (!compiled.shx.isEmpty())
        checkRoundTrip(compiled.shx);
    checkRoundTrip(bytes);
    return 0;
}
