// The catalogue of hostile fonts. Each one is small to describe, and the
// heavy ones use zero-length index entries so that thousands of glyphs share
// one definition: a few hundred kilobytes that ask for days of work.
#include "HostileFonts.h"

#include "ShxBuilder.h"
#include "io/FileAccess.h"
#include "shp/Shp.h"

using namespace shxtest;
using S = ShapeCode;

namespace hostile {

namespace {

constexpr auto Read = ConversionOutcome::ReadFailed;
constexpr auto Converted = ConversionOutcome::Converted;

const QByteArray kShapeHead = header("Varnel shapes 1.0") + QByteArray(4, '\0');
const QByteArray kBigfontHead = header("Varnel bigfont 1.0") + u16s({0});

// A definition from raw command bytes, ended unless `end` is false.
QByteArray glyphOf(const QByteArray &name, const QByteArray &code, bool end = true)
{
    return name + QByteArray(1, '\0') + code + (end ? QByteArray(1, '\0') : QByteArray());
}

QByteArray oneGlyph(const QByteArray &code, bool end = true)
{
    return shapeFont(10, {{65, glyphOf("A", code, end)}});
}

// Glyphs first..65534 have length 0, so they all share `last`, glyph 65535.
QList<Entry> sharing(QList<Entry> entries, int first, const QByteArray &last)
{
    for (int number = first; number < 65535; ++number)
        entries.append({quint16(number), QByteArray()});
    return entries << Entry{65535, last};
}

QByteArray commands(S code) { return code.withoutEnd().bytes(); }

// Shape `inner` is run by a chain of fan-outs: shape 2 calls it 32,000
// times (the longest a 16-bit length allows) and every glyph calls shape 2
// as often, so each glyph asks for a billion runs of `inner` and the font
// for 65,535 times that.
QByteArray fannedOut(const QByteArray &inner)
{
    const QByteArray callOne = QByteArray("\x07\x01", 2).repeated(32000);
    return shapeFont(sharing({{1, inner}, {2, glyphOf("fan", callOne)}}, 3,
                             glyphOf("glyph", QByteArray("\x07\x02", 2).repeated(32000))));
}

QList<HostileFont> tables()
{
    const QByteArray info = fontInfo("uni", 10);
    const QByteArray tail = definition("", S().vector(2, 0));
    // Big font offsets just inside, at and far past the end, and one at the header.
    QByteArray offsets = kBigfontHead + u16s({5, 0});
    const quint32 size = quint32(offsets.size() + 5 * 8 + 10 + tail.size());
    const quint32 at[] = {size - 1, size, 0xFFFFFFFF, 0, size - quint32(tail.size())};
    for (int i = 0; i < 5; ++i) {
        offsets += u16s({0x8141 + i, 0});
        appendU32LE(offsets, at[i]);
    }
    const QByteArray fullA = definition("A", S().vector(1, 4));
    const QByteArray shortA("A\0\x14\0", 4);

    return {
        {"shape font count 65535 with no index", kShapeHead + u16s({65535}), Read},
        {"unifont count 65535 with one record",
         header("Varnel unifont 1.0") + u16s({65535, 0, int(info.size())}) + info, Read},
        {"bigfont escape count 65535 with one bound", kBigfontHead + u16s({0, 65535, 0x81}), Read},
        {"font-info record past the end of the file",
         kShapeHead + u16s({2, 65, 60000, 0, 5}) + shortA, Read},
        {"font-info name without its zero byte", shapeFont({{65, fullA}, {0, "Varnel"}}), Read},
        {"bigfont font-info name without its zero byte",
         kBigfontHead + u16s({0, 0}) + "Varnel", Read},
        {"definitions past the end of the file",
         kShapeHead + u16s({3, 65, 65535, 66, 65535, 67, 65535}) + shortA, Converted},
        {"shape name without its zero byte", shapeFont({{65, fullA}, {66, "B"}}), Converted},
        {"bigfont offsets at and past the end",
         offsets + QByteArray("Varnel\0\x08\0\0", 10) + tail, Converted},
        {"bigfont with 65535 index entries and 65535 escape ranges",
         bigfont(QList<EscapeRange>(65535, EscapeRange{0x81, 0xFE}),
                 sharing({}, 1, definition("", S().vector(4, 2)))), Converted, true},
    };
}

// Every kind of stroke, for the scale and coordinate extremes.
QByteArray everyStroke()
{
    return commands(S().vector(15, 2).move(127, -128).moves({{-128, 127}, {1, 1}})
                        .octantArc(255, qint8(0x80)).fractionalArc(255, 255, 65535, 0x7F)
                        .bulgeArc(1, 0, -128).bulgeArc(-128, -128, 127)
                        .bulgeArcs({{127, 127, 127}, {0, 1, -128}, {3, 4, 0}}));
}

QList<HostileFont> byteCode()
{
    // 255 to the 140th power overflows a double and 1/255 to the 140th is
    // zero; to the 127th it is the largest scale that stays finite.
    const QByteArray huge = QByteArray("\x04\xff", 2).repeated(140);
    const QByteArray tiny = QByteArray("\x03\xff", 2).repeated(140);
    const QByteArray info = fontInfo("uni", 10);
    QList<HostileFont> fonts = {
        {"subshapes that call each other",
         shapeFont({{65, definition("A", S().vector(1, 0).subshape(66))},
                    {66, definition("B", S().vector(1, 4).subshape(65))}}), Converted},
        {"unifont subshape that calls itself",
         unifont(info, {{0x141, definition("", S().unifontSubshape(0x141).vector(1, 0))}}),
         Converted},
        {"bigfont extended subshape that calls itself",
         bigfont({}, {{0x8140, definition("", S().bigfontSubshape(0x8140, 1, 1, 127, -128))}}),
         Converted},
        {"bigfont extended subshape with zero and negative sizes",
         bigfont({}, {{0x8140, definition("", S().vector(15, 0).bulgeArc(9, 9, 127))},
                      {0x8141, definition("", S().bigfontSubshape(0x8140, -128, 127, 0, -128)
                                                  .bigfontSubshape(0x8140, 127, -128, -128, 0))}},
                 255), Converted},
        {"scale driven to infinity", oneGlyph(huge + everyStroke()), Converted},
        {"scale driven to zero", oneGlyph(tiny + everyStroke()), Converted},
        {"radii and bulges at their extremes",
         oneGlyph(everyStroke() + commands(S().octantArc(0, 0).fractionalArc(0, 0, 0, -1)
                      .bulgeArc(0, 1, 1).bulgeArc(1, 0, -1).bulgeArc(127, -128, -128))), Converted},
        {"glyph far left of zero and far below the baseline",
         oneGlyph(huge.left(2 * 127) + commands(S().move(-128, -128))), Converted},
        {"pushes without pops", oneGlyph(QByteArray(60000, 5)), Converted},
    };

    // Commands cut off by the end of the data, without the end byte. The
    // tests cut the small fonts at every byte as well.
    const QList<QPair<const char *, QByteArray>> cut = {
        {"code 9 without its end pair", "\x09\x01\x01\x02\x02\x03"},
        {"code 13 without its end pair", QByteArray("\x0d\x05\x05\x14\x03\x03\x00\xfc", 8)},
        {"code 14 before code 9 without its end pair", "\x0e\x09\x05\x05\x14\x03"},
        {"code 14 before code 13 without its end pair", "\x0e\x0d\x05\x05\x14\x03"},
        {"code 14 at the end of the data", "\x0e"},
        {"code 14 before a cut code 11", "\x0e\x0b\x01"},
    };
    for (const auto &[name, bytes] : cut)
        fonts.append({name, oneGlyph("\x24" + bytes, false), Converted});
    return fonts;
}

QList<HostileFont> budgets()
{
    // Each glyph runs its long stroke four times, so only the step budget
    // ends it: at about as many points or lines as an FNT record can count.
    QList<Entry> runs = {
        {1, glyphOf("", QByteArray(65533, 0x12))},
        {2, glyphOf("", "\x0d" + QByteArray("\x01\0\0", 3).repeated(20000) + QByteArray(2, 0))},
        {3, glyphOf("", QByteArray("\x0a\x01\x12").repeated(20000))}};
    for (char shape = 1; shape <= 3; ++shape)
        runs.append({quint16(64 + shape), glyphOf("", (QByteArray("\x07") + shape).repeated(4))});
    // Skipped bytes under code 14 must cost work like executed ones.
    const auto skipped = [](char command, const QByteArray &unit, int times) {
        return fannedOut(glyphOf("", "\x0e" + (command + unit.repeated(times)) + QByteArray(2, 0)));
    };
    const S lines = S().vector(1, 4).bulgeArcs({{3, 4, 0}, {-5, 1, 0}});
    const S arcs = S().octantArc(3, 0x12).bulgeArcs({{3, 4, 60}, {-5, 1, -127}});
    // 300 glyphs each run a shape of 21,841 straight code-13 segments four
    // times: 67 KB asking for an FNT file of 134 MB.
    QList<Entry> fourTimes = {
        {1, glyphOf("", "\x0d" + QByteArray("\x01\0\0", 3).repeated(21841) + QByteArray(2, 0))}};
    for (int number = 2; number <= 301; ++number)
        fourTimes.append({quint16(number), glyphOf("", QByteArray("\x07\x01").repeated(4))});
    // Every code 1 to 65,535 of a big font, all sharing one glyph of a real
    // glyph's size.
    const S realGlyph = S().vector(8, 0).vector(8, 4).vector(8, 8).vector(8, 12).penUp()
                            .vector(2, 2).penDown().octantArc(3, 0x40).bulgeArcs(
                                {{4, 4, 40}, {4, -4, -40}, {-4, 0, 0}});
    return {
        {"runs longer than a record can count", shapeFont(10, runs), Converted, true},
        {"short glyphs calling a long run four times", shapeFont(10, fourTimes), Read, true},
        {"big font with every code",
         bigfont({{0x81, 0xFE}}, sharing({}, 1, definition("", realGlyph))), Converted, true},
        // These two would fill more than the largest FNT file allowed.
        {"straight strokes fanned out", fannedOut(definition("", lines)), Read, true},
        {"arcs fanned out", fannedOut(definition("", arcs)), Read, true},
        {"subshape with a long name called over and over",
         fannedOut(glyphOf(QByteArray(65000, 'x'), "\x10")), Converted, true},
        {"code 14 chain as long as a definition, called over and over",
         fannedOut(glyphOf("v", QByteArray(65000, 14) + "\x10")), Converted, true},
        {"code 14 before a long code 9, called over and over", skipped(9, "\x01\x01", 32000),
         Converted, true},
        {"code 14 before a long code 13, called over and over",
         skipped(13, "\x01\x01\x01", 21000), Converted, true},
    };
}

// A glyph of a few strokes, each scaled up by code 4 until the glyph
// reaches across the whole 16-bit plane: a vector, a move, a nearly
// straight arc of a huge circle, an octant arc and a polyline, each in a
// direction of its own. `seed` chooses them.
QByteArray farGlyph(quint32 seed)
{
    const auto pick = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % quint32(range));
    };
    const auto step = [&pick] { return qint8(pick(255) - 127); };
    ShapeCode code = S().multiply(255).multiply(quint8(2 + pick(200)));
    code.vector(1 + pick(15), pick(16)).move(step(), step()).bulgeArc(step(), step(), 1);
    code.octantArc(quint8(1 + pick(255)), qint8(pick(8) << 4 | 3))
        .moves({{step(), step()}, {step(), step()}, {step(), step()}}).vector(1 + pick(15), pick(16));
    return definition("far", code);
}

// Cheap to convert, but drawn whole they cost the toolkit minutes: glyphs
// far outside their cells beside one ordinary glyph that sets the sheet's
// scale.
QList<HostileFont> sheets()
{
    QList<Entry> shapes = {{1, definition("small", S().vector(2, 0).vector(2, 4))}};
    for (quint16 number = 2; number <= 200; ++number)
        shapes.append({number, farGlyph(number)});
    QList<Entry> unicodes = shapes;
    for (quint16 number = 201; number <= 1000; ++number)
        unicodes.append({number, farGlyph(number)});
    return {
        {"200 glyphs scaled far outside their cells", shapeFont(10, shapes), Converted},
        {"unifont of 1,000 glyphs scaled far outside their cells",
         unifont(fontInfo("far", 10), unicodes), Converted},
    };
}

// `unit` repeated after `head` up to the size every input is bounded by.
QByteArray filled(const QByteArray &head, const QByteArray &unit)
{
    return head + unit.repeated((io::kMaxFontFileBytes - head.size()) / unit.size());
}

} // namespace

QList<HostileFont> catalogue()
{
    return tables() + byteCode() + budgets() + sheets();
}

QList<HostileFont> sources()
{
    const QByteArray font = "*0,4,F\n16,0,0,0\n";
    const QByteArray shape = font + "*65,2,A\n";
    const auto row = [](const char *name, const QByteArray &text, const char *error,
                        bool heavy = false) {
        return HostileFont{name, text, error ? Read : Converted, heavy, true, error};
    };
    return {
        row("SHP shape number of 23 digits", font + "*99999999999999999999999,4,x\n0\n",
            "font.shp:3:1: \"99999999999999999999999\" is not a shape number"),
        row("SHP byte of 30 digits", shape + "123456789012345678901234567890,0\n",
            "font.shp:4:1: \"123456789012345678901234...\" is not a byte"),
        row("SHP parentheses deep and unbalanced", font + "*65,3,A\n((((((((8,((1)),0))))\n", nullptr),
        row("SHP zero bytes and bytes outside UTF-8 in a name", font + QByteArrayLiteral("*65,2,A\xff\0\xc3\x28\n014,0\n"),
            "font.shp:3:9: the name holds a zero byte"),
        row("SHP zero bytes and bytes outside UTF-8 in comments and fields",
            font + QByteArrayLiteral("; \0\xc3\x28\xff\n*65,2,A ;\0\xfe\n014,0\x1b[2J\n"),
            "font.shp:5:5: \"0\\x1b[2J\" is not a number"),
        row("SHP lines ending in CR, LF and CR LF", "*0,4,F\r16,0,0,0\r\n*65,2,A\n014,0\r", nullptr),
        row("SHP *BIGFONT with 65,535 ranges and none given",
            "*BIGFONT 1,65535\n" + font,
            "font.shp:1:1: *BIGFONT needs NCHARS, NRANGES and two numbers per range; it has 2 "
            "numbers"),
        row("SHP *BIGFONT with more ranges than 65,535",
            "*BIGFONT 1,65535\n" + QByteArray("081,0FE\n").repeated(70000) + font,
            "font.shp:1:1: *BIGFONT needs NCHARS, NRANGES and two numbers per range; it has "
            "140,002 numbers"),
        row("SHP line of 16 MiB", filled(shape, "1,"),
            "font.shp:4:129: the line has 16,777,192 characters, more than 128", true),
        row("SHP record line of 16 MiB", filled(font + "*65,2,", "A"),
            "font.shp:3:5: the definition takes 16,777,197 bytes, more than 65,535", true),
        row("SHP line of 16 MiB of opening parentheses", filled(shape, "("),
            "font.shp:4:129: the line has 16,777,192 characters, more than 128", true),
        row("SHP of 16 MiB of records", filled(font, "*1,2,\n0,0\n"),
            "font.shp:131071:1: the font has more than 65,535 shapes", true),
        row("SHP of 16 MiB of faulty fields", filled(shape, "x,\n"),
            "font.shp:4:1: \"x\" is not a number", true),
        row("SHP past 64 MiB", QByteArray(shp::kMaxSourceBytes + 1, ' '),
            "font.shp: the source has 67,108,865 bytes, more than 67,108,864", true),
    };
}

} // namespace hostile
