// The kinds of SHX file, recognised from the text at the start of the file.
//
// The values are those of the job's `fontKind` and are bit sets: after
// recognition only the big font bit and the unifont bit are tested. 264 is 8
// with 256 added; nothing further tells 264, 4 and 8 apart.
#pragma once

#include <QtGlobal>

enum class FontKind : qint32 {
    Unrecognised = 0,
    Bigfont = 1,       // two-byte codes, escape ranges, own index layout
    Unifont = 2,       // 16-bit shape numbers in records
    ShapeFont10 = 4,   // plain shape font, header "1.0"
    ShapeFont11 = 8,   // plain shape font, header "1.1"
    ShapeFont264 = 264, // plain shape font, header "shapes 1.1"
};

struct FontKindMark
{
    const char *text; // looked for in the header text
    FontKind kind;
};

// Tried in this order; the first text found decides.
inline constexpr FontKindMark kFontKindMarks[] = {
    {"bigfont", FontKind::Bigfont},
    {"unifont 1.0", FontKind::Unifont},
    {"shapes 1.1", FontKind::ShapeFont264},
    {"1.0", FontKind::ShapeFont10},
    {"1.1", FontKind::ShapeFont11},
};

constexpr bool isBigfont(qint32 fontKind)
{
    return (fontKind & qint32(FontKind::Bigfont)) != 0;
}

constexpr bool isUnifont(qint32 fontKind)
{
    return (fontKind & qint32(FontKind::Unifont)) != 0;
}

// What the command line calls a kind; empty while none is recognised.
constexpr const char *fontKindName(qint32 fontKind)
{
    if (isBigfont(fontKind))
        return "big font";
    if (isUnifont(fontKind))
        return "unifont";
    return fontKind != 0 ? "shape font" : "";
}
