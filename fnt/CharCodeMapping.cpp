// A big font's character code to the UTF-16 unit of its code page.
#include "job/ConversionJob.h"

#include <functional>

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

void ConversionJob::mapShapeCodes()
{
    mappedCodes.clear();
    const int windowsCodePage = codePageInfo(CodePage(codePageKind)).windowsCodePage;
    if (windowsCodePage == 0) {
        mappedCodes = shapeMap.keys();
        return;
    }
    decoder.setCodePage(windowsCodePage);
    mappedCodes.reserve(shapeMap.size());
    // Two-byte codes go to the decoder a run at a time: a call per code
    // costs more than the conversion does. A run the decoder refuses (some
    // code in it is not a character) is halved until the parts it takes are
    // found; what is left is decoded code by code.
    constexpr int kRun = 256;
    constexpr int kSmallest = 4;
    quint8 bytes[2 * kRun];
    quint16 units[kRun];
    const std::function<void(int, int)> decodeRun = [&](int first, int count) {
        if (count >= kSmallest && decoder.decodePairs(bytes + 2 * first, count, units + first))
            return;
        if (count >= 2 * kSmallest) {
            decodeRun(first, count / 2);
            decodeRun(first + count / 2, count - count / 2);
            return;
        }
        for (int i = first; i < first + count; ++i) {
            const quint16 code = quint16(bytes[2 * i] << 8 | bytes[2 * i + 1]);
            units[i] = decoder.decode(bytes + 2 * i, 2, code);
        }
    };
    int pending = 0;
    auto flush = [&] {
        decodeRun(0, pending);
        for (int i = 0; i < pending; ++i)
            mappedCodes.append(units[i]);
        pending = 0;
    };
    for (auto it = shapeMap.keyBegin(); it != shapeMap.keyEnd(); ++it) {
        const quint16 code = *it;
        if (code < 256) {
            flush();
            mappedCodes.append(mapCharCode(code));
            continue;
        }
        bytes[2 * pending] = quint8(code >> 8);
        bytes[2 * pending + 1] = quint8(code & 0xFF);
        if (++pending == kRun)
            flush();
    }
    flush();
}
