// Converts one character of an East Asian code page into its UTF-16 unit.
//
// On Windows this is MultiByteToWideChar; elsewhere Qt's ICU-backed decoders,
// corrected where ICU and Windows disagree.
#pragma once

#include <QString>

#include <memory>

class CodePageDecoder
{
public:
    CodePageDecoder();
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder &) = delete;
    CodePageDecoder &operator=(const CodePageDecoder &) = delete;

    // Windows code page number (949, 950, 936 or 932); 0 turns conversion off.
    // The decoder for a code page is made once and kept.
    void setCodePage(int codePage);
    int codePage() const { return m_codePage; }

    // The UTF-16 unit of the one- or two-byte character, or `fallback` when
    // the bytes are not exactly one character of the code page.
    quint16 decode(const quint8 *bytes, int length, quint16 fallback);

    // `count` two-byte characters, back to back in `bytes`, in one call: true
    // with each one's unit in `units` when every pair decoded to exactly one
    // unit without error; false otherwise (and on Windows), and the caller
    // decodes each pair on its own.
    bool decodePairs(const quint8 *bytes, int count, quint16 *units);

    // A whole text in the code page, such as a shape's name; without a code
    // page (or a decoder for it) each byte is read as Latin-1.
    QString decodeText(const QByteArray &bytes);

private:
    struct Impl;
    int m_codePage = 0;
    std::unique_ptr<Impl> m_impl;
};
