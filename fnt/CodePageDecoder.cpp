// One character of code page 949, 950, 936 or 932 to one UTF-16 unit.
#include "fnt/CodePageDecoder.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>

struct CodePageDecoder::Impl
{
    // What the code page gives for bytes it cannot map.
    wchar_t defaultUnit = L'?';
};

CodePageDecoder::CodePageDecoder() = default;
CodePageDecoder::~CodePageDecoder() = default;

void CodePageDecoder::setCodePage(int codePage)
{
    if (codePage == m_codePage && (m_impl || codePage == 0))
        return;
    m_codePage = codePage;
    m_impl.reset();
    if (codePage == 0)
        return;
    m_impl = std::make_unique<Impl>();
    CPINFOEXW info{};
    if (GetCPInfoExW(UINT(codePage), 0, &info))
        m_impl->defaultUnit = info.UnicodeDefaultChar;
}

quint16 CodePageDecoder::decode(const quint8 *bytes, int length, quint16 fallback)
{
    if (!m_impl || length < 1 || length > 2)
        return fallback;
    // Room for two units, so that two characters are told apart from one.
    const auto convert = [&](DWORD flags, wchar_t *units) {
        return MultiByteToWideChar(UINT(m_codePage), flags, reinterpret_cast<LPCCH>(bytes),
                                   length, units, 2);
    };
    wchar_t units[2] = {};
    if (convert(MB_ERR_INVALID_CHARS, units) == 1)
        return quint16(units[0]);
    // The strict call also refuses the single bytes each code page maps into
    // the private use area (0xFF in 936, 949 and 950; 0xA0 and 0xFD to 0xFF
    // in 932), which are characters all the same. What it refuses otherwise
    // (a lone lead byte, an unmapped pair) comes back as the default
    // character and keeps its code, as on the other platforms.
    if (convert(0, units) == 1 && units[0] != m_impl->defaultUnit)
        return quint16(units[0]);
    return fallback;
}

bool CodePageDecoder::decodePairs(const quint8 *, int, quint16 *)
{
    return false;
}

QString CodePageDecoder::decodeText(const QByteArray &bytes)
{
    const int length = int(bytes.size());
    const int units = m_impl && length > 0
                          ? MultiByteToWideChar(UINT(m_codePage), 0, bytes.constData(), length,
                                                nullptr, 0)
                          : 0;
    if (units <= 0)
        return QString::fromLatin1(bytes);
    QString text(units, Qt::Uninitialized);
    MultiByteToWideChar(UINT(m_codePage), 0, bytes.constData(), length,
                        reinterpret_cast<wchar_t *>(text.data()), units);
    return text;
}

#else
#include <QString>
#include <QStringDecoder>
#include <QVarLengthArray>

#include <iterator>

namespace {

// Qt 6.4's ICU decoders keep their error count across resetState(), so one
// bad character would mark every later one as bad: clear it by hand.
class ResettableDecoder : public QStringDecoder
{
public:
    using QStringDecoder::QStringDecoder;
    void restart()
    {
        resetState();
        state.invalidChars = 0;
    }
};

const char *icuName(int codePage)
{
    switch (codePage) {
    case 949: return "windows-949";
    case 950: return "windows-950";
    case 936: return "windows-936";
    case 932: return "windows-31j";
    default: return nullptr;
    }
}

// Single bytes on which ICU's windows-31j differs from Windows' code page 932.
bool windows932SingleByte(quint8 byte, quint16 &unit)
{
    if (byte < 0x80) {
        unit = byte; // ICU swaps 0x1A, 0x1C and 0x7F
        return true;
    }
    switch (byte) {
    case 0x80: unit = 0x0080; return true;
    case 0xA0: unit = 0xF8F0; return true;
    case 0xFD: unit = 0xF8F1; return true;
    case 0xFE: unit = 0xF8F2; return true;
    case 0xFF: unit = 0xF8F3; return true;
    default: return false;
    }
}

} // namespace

struct CodePageDecoder::Impl
{
    explicit Impl(const char *name) : decoder(name, QStringConverter::Flag::Stateless) {}
    ResettableDecoder decoder;
};

CodePageDecoder::CodePageDecoder() = default;
CodePageDecoder::~CodePageDecoder() = default;

void CodePageDecoder::setCodePage(int codePage)
{
    if (codePage == m_codePage && (m_impl || codePage == 0))
        return;
    m_codePage = codePage;
    m_impl.reset();
    if (const char *name = icuName(codePage))
        m_impl = std::make_unique<Impl>(name);
}

quint16 CodePageDecoder::decode(const quint8 *bytes, int length, quint16 fallback)
{
    if (!m_impl || !m_impl->decoder.isValid() || length < 1 || length > 2)
        return fallback;
    quint16 unit = 0;
    if (m_codePage == 932 && length == 1 && windows932SingleByte(bytes[0], unit))
        return unit;
    ResettableDecoder &decoder = m_impl->decoder;
    decoder.restart();
    // Into a buffer of our own: no string is made for each code.
    const QByteArrayView in(reinterpret_cast<const char *>(bytes), length);
    QChar units[8];
    if (decoder.requiredSpace(length) > qsizetype(std::size(units)))
        return fallback;
    const QChar *end = decoder.appendToBuffer(units, in);
    if (decoder.hasError() || end - units != 1)
        return fallback;
    return units[0].unicode();
}

// The code pages' characters are one or two bytes, each giving one unit, so
// 2n bytes that give n units without error were read pair by pair: a pair
// split differently would leave a byte on its own and give more units.
bool CodePageDecoder::decodePairs(const quint8 *bytes, int count, quint16 *units)
{
    if (!m_impl || !m_impl->decoder.isValid() || count < 1)
        return false;
    ResettableDecoder &decoder = m_impl->decoder;
    decoder.restart();
    const QByteArrayView in(reinterpret_cast<const char *>(bytes), 2 * qsizetype(count));
    QVarLengthArray<QChar, 1024> out(decoder.requiredSpace(in.size()));
    const QChar *end = decoder.appendToBuffer(out.data(), in);
    if (decoder.hasError() || end - out.constData() != count)
        return false;
    for (int i = 0; i < count; ++i)
        units[i] = out[i].unicode();
    return true;
}

QString CodePageDecoder::decodeText(const QByteArray &bytes)
{
    if (!m_impl || !m_impl->decoder.isValid())
        return QString::fromLatin1(bytes);
    m_impl->decoder.restart();
    return m_impl->decoder.decode(bytes);
}
#endif
