// A big font's character code to the UTF-16 unit of its code page.
#include "job/ConversionJob.h"

quint16 ConversionJob::mapCharCode(quint16 code)
{
    const int windowsCodePage = codePageInfo(CodePage(codePageKind)).windowsCodePage;
    if (windowsCodePage == 0)
        return code;
    if (code == 0)
        return 0;
    // The lead byte first, as in the code page's own byte stream.
    quint8 bytes[2];
    int length = 0;
    if (code >= 256)
        bytes[length++] = quint8(code >> 8);
    bytes[length++] = quint8(code & 0xFF);

    decoder.setCodePage(windowsCodePage);
    return decoder.decode(bytes, length, code);
}
