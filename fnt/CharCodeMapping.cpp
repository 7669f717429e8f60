// A big font's character code to the UTF-16 unit of its code page.
#include "job/ConversionJob.h"

namespace {

// Windows code pages by codePageKind: none, EUC_KR, Big5, GBC, Shift-JIS.
constexpr int kCodePages[] = {0, 949, 950, 936, 932};

} // namespace

quint16 ConversionJob::mapCharCode(quint16 code)
{
    if (codePageKind <= 0 || codePageKind >= int(std::size(kCodePages)))
        return code;
    if (code == 0)
        return 0;
    // The lead byte first, as in the code page's own byte stream.
    quint8 bytes[2];
    int length = 0;
    if (code >= 256)
        bytes[length++] = quint8(code >> 8);
    bytes[length++] = quint8(code & 0xFF);

    decoder.setCodePage(kCodePages[codePageKind]);
    return decoder.decode(bytes, length, code);
}
