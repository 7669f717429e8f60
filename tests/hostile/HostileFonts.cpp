// The catalogue of hostile fonts. Each one is small to describe, and the
// heavy ones use zero-length index entries so that thousands of glyphs share
// one definition: a few hundred kilobytes that ask for days of work.
#include "HostileFonts.h"

#include "ShxBuilder.h"

using namespace shxtest;

namespace hostile {

namespace {

constexpr auto Read = ConversionOutcome::ReadFailed;
constexpr auto Converted = ConversionOutcome::Converted;

// The longest definition a 16-bit length can describe, in two-byte commands.
constexpr int kTwoByteCommands = 32000;

QByteArray shapeHeader() { return header("Varnel shapes 1.0"); }
QByteArray unifontHeader() { return header("Varnel unifont 1.0"); }
QByteArray bigfontHeader() { return header("Varnel bigfont 1.0"); }

// A shape font whose table is given raw: count, then (number, length) pairs.
QByteArray shapeTable(const QList<QPair<quint16, quint16>> &index, const QByteArray &data,
                      int count = -1)
{
    QByteArray out = shapeHeader() + QByteArray(4, '\0');
    appendU16LE(out, quint16(count < 0 ? index.size() : count));
    for (const auto &entry : index) {
        appendU16LE(out, entry.first);
        appendU16LE(out, entry.second);
    }
    return out + data;
}

ShapeCode repeated(int times, ShapeCode code, ShapeCode &(ShapeCode::*op)(quint8), quint8 arg)
{
    for (int i = 0; i < times; ++i)
        (code.*op)(arg);
    return code;
}

ShapeCode calls(quint8 subshape, int times)
{
    return repeated(times, ShapeCode(), &ShapeCode::subshape, subshape);
}

// Glyphs first..65535 all run `glyph`: every entry but the last has length 0,
// so they all start where the last one does.
QList<Entry> sharedGlyphs(quint16 first, const QByteArray &glyph)
{
    QList<Entry> entries;
    for (int number = first; number < 65535; ++number)
        entries.append({quint16(number), QByteArray()});
    entries.append({65535, glyph});
    return entries;
}

// Shape `inner` is run by a chain of fan-outs: shape 2 calls it 32,000
// times and every glyph calls shape 2 as often, so each glyph asks for a
// billion runs of `inner` and the font for 65,535 times that.
QByteArray fannedOut(const QByteArray &innerDefinition)
{
    QList<Entry> entries = {
        {1, innerDefinition},
        {2, definition("fan", calls(1, kTwoByteCommands))},
    };
    entries.append(sharedGlyphs(3, definition("glyph", calls(2, kTwoByteCommands))));
    return shapeFont(entries);
}

QByteArray bytesOf(int count, char byte) { return QByteArray(count, byte); }

// ---- tables -------------------------------------------------------------

QList<HostileFont> tables()
{
    QList<HostileFont> fonts;
    fonts.append({"file shorter than its header", shapeHeader().left(22), Read});
    fonts.append({"header without terminator and nothing behind it",
                  header("Varnel shapes 1.0 and a long header text", -1).left(40), Read});
    fonts.append({"shape font count 65535 with no index behind it",
                  shapeTable({}, QByteArray(), 65535), Read});
    fonts.append({"shape font index cut inside an entry",
                  shapeTable({{65, 3}}, QByteArray("\x41\x00", 2), 2), Read});
    {
        QByteArray out = unifontHeader();
        appendU16LE(out, 65535);
        const QByteArray info = fontInfo("uni", 10);
        appendU16LE(out, 0);
        appendU16LE(out, quint16(info.size()));
        fonts.append({"unifont count 65535 with one record", out + info, Read});
    }
    {
        QByteArray out = bigfontHeader();
        appendU16LE(out, 0);
        appendU16LE(out, 65535);
        appendU16LE(out, 0);
        fonts.append({"bigfont entry count 65535 with no index", out, Read});
    }
    {
        QByteArray out = bigfontHeader();
        appendU16LE(out, 0);
        appendU16LE(out, 0);
        appendU16LE(out, 65535);
        appendU16LE(out, 0x81);
        fonts.append({"bigfont escape count 65535 with one bound", out, Read});
    }
    fonts.append({"font-info name without its zero byte",
                  shapeFont({{65, definition("A", ShapeCode().vector(1, 4))}, {0, "Varnel"}}),
                  Read});
    fonts.append({"font-info record past the end of the file",
                  shapeTable({{65, 60000}, {0, 5}}, QByteArray("A\0\x14\0", 4)), Read});
    {
        QByteArray out = bigfontHeader();
        appendU16LE(out, 0);
        appendU16LE(out, 0);
        appendU16LE(out, 0);
        fonts.append({"bigfont font-info name without its zero byte", out + "Varnel", Read});
        fonts.append({"bigfont font-info without its height byte",
                      out + QByteArray("Varnel\0", 7), Read});
    }

    fonts.append({"definitions past the end of the file",
                  shapeTable({{65, 65535}, {66, 65535}, {67, 65535}}, QByteArray("A\0\x14\0", 4)),
                  Converted});
    fonts.append({"shape name without its zero byte",
                  shapeFont({{65, definition("A", ShapeCode().vector(1, 4))}, {66, "B"}}),
                  Converted});
    {
        QByteArray out = unifontHeader();
        appendU16LE(out, 2);
        const QByteArray info = fontInfo("uni", 10);
        appendU16LE(out, 0);
        appendU16LE(out, quint16(info.size()));
        out += info;
        appendU16LE(out, 65);
        appendU16LE(out, 50);
        fonts.append({"unifont last definition cut short", out + QByteArray("\0\x14", 2),
                      Converted});
    }
    {
        // Offsets just inside, at and far past the end, and one at the header.
        const QByteArray tail = definition("", ShapeCode().vector(2, 0));
        QByteArray out = bigfontHeader();
        appendU16LE(out, 0);
        appendU16LE(out, 5);
        appendU16LE(out, 0);
        const quint32 size = quint32(out.size() + 5 * 8 + 10 + tail.size());
        const quint32 offsets[] = {size - 1, size, 0xFFFFFFFF, 0, size - quint32(tail.size())};
        for (int i = 0; i < 5; ++i) {
            appendU16LE(out, quint16(0x8141 + i));
            appendU16LE(out, 0);
            appendU32LE(out, offsets[i]);
        }
        out += QByteArray("Varnel\0\x08\0\0", 10) + tail;
        fonts.append({"bigfont offsets at and past the end", out, Converted});
    }
    {
        QList<Entry> entries;
        for (int code = 1; code <= 65535; ++code)
            entries.append({quint16(code), QByteArray()});
        entries.last().definition = definition("", ShapeCode().vector(4, 2));
        fonts.append({"bigfont with 65535 index entries and escape ranges",
                      bigfont({{0x81, 0xFE}, {0xA1, 0xDF}}, entries), Converted, true});
        QList<EscapeRange> ranges(65535, EscapeRange{0x81, 0xFE});
        fonts.append({"bigfont with 65535 escape ranges",
                      bigfont(ranges, {{0x8140, definition("", ShapeCode().vector(4, 2))}}),
                      Converted});
    }
    return fonts;
}

// ---- shape byte code ----------------------------------------------------

// The commands of `code` without its end byte, to be joined with others.
QByteArray commands(ShapeCode code)
{
    return code.withoutEnd().bytes();
}

// A definition from joined commands, ended unless `end` is false.
QByteArray glyphOf(const QByteArray &name, const QByteArray &code, bool end = true)
{
    return name + QByteArray(1, '\0') + code + (end ? QByteArray(1, '\0') : QByteArray());
}

QByteArray oneGlyph(const QByteArray &definitionBytes)
{
    return shapeFont(10, {{65, definitionBytes}});
}

// Every kind of stroke, for the scale and coordinate extremes.
QByteArray everyStroke()
{
    return commands(ShapeCode()
                        .vector(15, 2)
                        .move(127, -128)
                        .moves({{-128, 127}, {1, 1}})
                        .octantArc(255, qint8(0x80))
                        .fractionalArc(255, 255, 65535, 0x7F)
                        .bulgeArc(1, 0, -128)
                        .bulgeArc(-128, -128, 127)
                        .bulgeArcs({{127, 127, 127}, {0, 1, -128}, {3, 4, 0}}));
}

QList<HostileFont> byteCode()
{
    QList<HostileFont> fonts;
    auto one = [](const ShapeCode &code) { return oneGlyph(definition("A", code)); };

    fonts.append({"subshape that calls itself", one(ShapeCode().vector(1, 0).subshape(65)),
                  Converted});
    fonts.append({"subshapes that call each other",
                  shapeFont({{65, definition("A", ShapeCode().vector(1, 0).subshape(66))},
                             {66, definition("B", ShapeCode().vector(1, 4).subshape(65))}}),
                  Converted});
    fonts.append({"unifont subshape that calls itself",
                  unifont(fontInfo("uni", 10),
                          {{0x141, definition("", ShapeCode().unifontSubshape(0x141).vector(1, 0))}}),
                  Converted});
    fonts.append({"bigfont extended subshape that calls itself",
                  bigfont({}, {{0x8140, definition("", ShapeCode()
                                                           .bigfontSubshape(0x8140, 1, 1, 127, -128)
                                                           .vector(1, 0))}}),
                  Converted});

    fonts.append({"code 9 without its end pair",
                  one(ShapeCode().raw({9, 1, 1, 2, 2, 3}).withoutEnd()), Converted});
    fonts.append({"code 13 without its end pair",
                  one(ShapeCode().raw({13, 5, 5, 20, 3, 3, 0, -4}).withoutEnd()), Converted});
    fonts.append({"code 14 before code 9 without its end pair",
                  one(ShapeCode().raw({14, 9, 5, 5, 20, 3}).withoutEnd()), Converted});
    fonts.append({"code 14 before code 13 without its end pair",
                  one(ShapeCode().raw({14, 13, 5, 5, 20, 3}).withoutEnd()), Converted});

    // Each command with its operands cut off by the end of the data.
    const QList<QPair<const char *, QList<int>>> cut = {
        {"code 3 without its operand", {3}},
        {"code 7 without its operand", {7}},
        {"code 8 with half its operands", {8, 1}},
        {"code 10 with half its operands", {10, 3}},
        {"code 11 with two of five operands", {11, 0, 0}},
        {"code 12 without its bulge", {12, 3, 4}},
        {"code 14 at the end of the data", {14}},
        {"code 14 before a cut code 11", {14, 11, 1}},
    };
    for (const auto &[name, bytes] : cut) {
        ShapeCode code = ShapeCode().vector(2, 4);
        for (int byte : bytes)
            code.raw({byte});
        fonts.append({name, one(code.withoutEnd()), Converted});
    }
    fonts.append({"bigfont extended subshape cut inside its operands",
                  bigfont({}, {{0x8140, glyphOf("", QByteArray("\x07\x00\x81\x40\x01", 5), false)}}),
                  Converted});

    // Scales: 255 to the 140th power overflows a double; 1/255 to the 140th
    // is zero. Strokes at both extremes must still encode to something.
    const QByteArray huge = commands(repeated(140, ShapeCode(), &ShapeCode::multiply, 255));
    const QByteArray tiny = commands(repeated(140, ShapeCode(), &ShapeCode::divide, 255));
    fonts.append({"scale driven to infinity", oneGlyph(glyphOf("A", huge + everyStroke())),
                  Converted});
    fonts.append({"scale driven to zero", oneGlyph(glyphOf("A", tiny + everyStroke())), Converted});
    fonts.append({"scale driven to the largest finite value",
                  oneGlyph(glyphOf("A", huge.left(2 * 127) + everyStroke() + everyStroke())),
                  Converted});
    fonts.append({"scale divided by zero", one(ShapeCode().divide(0).vector(1, 0)), Converted});
    fonts.append({"bigfont extended subshape with zero and negative sizes",
                  bigfont({},
                          {{0x8140, definition("", ShapeCode().vector(15, 0).bulgeArc(9, 9, 127))},
                           {0x8141, definition("", ShapeCode()
                                                       .bigfontSubshape(0x8140, -128, 127, 0, -128)
                                                       .bigfontSubshape(0x8140, 127, -128, -128, 0))}},
                          255),
                  Converted});

    fonts.append({"radii and bulges at their extremes",
                  oneGlyph(glyphOf("A", everyStroke() + commands(ShapeCode()
                                                                    .octantArc(0, 0)
                                                                    .fractionalArc(0, 0, 0, -1)
                                                                    .bulgeArc(0, 1, 1)
                                                                    .bulgeArc(1, 0, -1)
                                                                    .bulgeArc(127, -128, -128)))),
                  Converted});
    fonts.append({"glyph far left of zero",
                  oneGlyph(glyphOf("A", huge.left(2 * 127) + commands(ShapeCode().move(-128, 0)))),
                  Converted});
    fonts.append({"glyph far below the baseline",
                  oneGlyph(glyphOf("A", huge.left(2 * 127) + commands(ShapeCode().move(0, -128)))),
                  Converted});
    fonts.append({"pushes without pops", oneGlyph(glyphOf("A", bytesOf(60000, 5))), Converted});
    return fonts;
}

// ---- work budgets -------------------------------------------------------

QList<HostileFont> budgets()
{
    QList<HostileFont> fonts;
    auto heavy = [&fonts](const char *name, const QByteArray &bytes) {
        fonts.append({name, bytes, Converted, true});
    };

    // One pen-down run, one code 13 and one string of arcs each longer than
    // a glyph may run: the counts of a record are 16-bit.
    heavy("pen-down run longer than a record can count",
          oneGlyph(glyphOf("A", bytesOf(70000, char(0x12)))));
    {
        QByteArray segments("\x0d");
        for (int i = 0; i < 70000; ++i)
            segments += QByteArray("\x01\x00\x00", 3);
        heavy("bulge segments more than a record can count", oneGlyph(glyphOf("A", segments)));
    }
    {
        QByteArray arcs;
        for (int i = 0; i < 70000; ++i)
            arcs += QByteArray("\x0a\x01\x12", 3);
        heavy("arcs more than a record can count", oneGlyph(glyphOf("A", arcs)));
    }

    // Four levels of subshapes, each calling the next 32,000 times, with
    // the cheapest and the dearest strokes at the bottom.
    heavy("pen-down vectors fanned out four levels deep",
          fannedOut(definition("vectors", ShapeCode().vector(1, 0).vector(1, 4).vector(1, 8))));
    heavy("octant arcs fanned out four levels deep",
          fannedOut(definition("arcs", ShapeCode().octantArc(3, 0x12).octantArc(3, qint8(0xA5)))));
    heavy("bulge arcs fanned out four levels deep",
          fannedOut(definition("bulges", ShapeCode().bulgeArcs({{3, 4, 60}, {-5, 1, -127}}))));
    heavy("bulge segments fanned out four levels deep",
          fannedOut(definition("segments", ShapeCode().bulgeArcs({{3, 4, 0}, {-5, 1, 0}}))));
    heavy("subshape with a long name called over and over",
          fannedOut(glyphOf(bytesOf(65000, 'x'), commands(ShapeCode().vector(1, 0)))));
    heavy("code 14 chain as long as a definition, called over and over",
          fannedOut(glyphOf("v", bytesOf(65000, 14) + commands(ShapeCode().vector(1, 0)))));
    {
        QByteArray pairs("\x0e\x09");
        for (int i = 0; i < kTwoByteCommands; ++i)
            pairs += QByteArray("\x01\x01", 2);
        heavy("code 14 before a long code 9, called over and over",
              fannedOut(glyphOf("v", pairs + QByteArray("\0\0", 2))));
    }
    {
        QByteArray triples("\x0e\x0d");
        for (int i = 0; i < 21000; ++i)
            triples += QByteArray("\x01\x01\x01", 3);
        heavy("code 14 before a long code 13, called over and over",
              fannedOut(glyphOf("v", triples + QByteArray("\0\0", 2))));
    }
    return fonts;
}

} // namespace

QList<HostileFont> catalogue()
{
    return tables() + byteCode() + budgets();
}

} // namespace hostile
