// varnel-fuzz-seeds DIR: writes the fuzzer's seed corpus, small fonts of all
// three kinds that between them use every command and every operand form,
// and the light fonts and SHP sources of the hostile catalogue.
#include "HostileFonts.h"
#include "ShxBuilder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

#include <cstdio>
#include <cstring>

using namespace shxtest;

namespace {

constexpr qsizetype kLargestSeed = 16 * 1024;

struct Seed
{
    const char *name;
    QByteArray bytes;
};

// Strokes a glyph can be made of, one definition per command family.
QByteArray lettersDrawn()
{
    return shapeFont(
        10, {
                {65, definition("A", ShapeCode().vector(8, 3).vector(8, 13).penUp().vector(4, 11)
                                         .penDown().vector(4, 8))},
                {66, definition("B", ShapeCode().push().move(0, 10).moves({{4, 0}, {2, -2}, {-2, -3}})
                                         .pop().penUp().move(12, 0))},
                {67, definition("C", ShapeCode().divide(2).octantArc(8, 0x34).multiply(2)
                                         .fractionalArc(128, 64, 300, qint8(0x92)))},
                {68, definition("D", ShapeCode().bulgeArc(0, 10, 127).bulgeArcs(
                                         {{5, 5, -60}, {5, -5, 0}, {-3, 0, -128}}))},
                {69, definition("E", ShapeCode().verticalOnly().move(3, 3).verticalOnly()
                                         .verticalOnly().moves({{1, 1}}).vector(3, 0))},
                {70, definition("F", ShapeCode().subshape(65).vector(2, 0).subshape(67))},
                {32, definition("space", ShapeCode().penUp().vector(6, 0))},
            });
}

QByteArray belowAndLeft()
{
    return shapeFont(
        6, {
               {103, definition("g", ShapeCode().penUp().move(-20, -30).penDown().vector(5, 2))},
               {106, definition("j", ShapeCode().octantArc(40, 0x44).vector(15, 12))},
           });
}

QByteArray nestedSubshapes()
{
    return shapeFont(
        12, {
                {1, definition("leaf", ShapeCode().vector(1, 0).vector(1, 4))},
                {2, definition("twig", ShapeCode().subshape(1).subshape(1))},
                {3, definition("branch", ShapeCode().subshape(2).subshape(2))},
                {4, definition("trunk", ShapeCode().subshape(3).subshape(9))},
                {5, definition("tree", ShapeCode().subshape(4).subshape(4))},
            },
        header("seed shapes 1.1", 22));
}

QByteArray unifontSeed()
{
    return unifont(fontInfo("uni", 9),
                   {
                       {0x41, definition("", ShapeCode().vector(6, 2).vector(6, 14))},
                       {0x141, definition("", ShapeCode().unifontSubshape(0x41).move(-2, 3))},
                       {0x4E00, definition("", ShapeCode().verticalOnly().unifontSubshape(0x41)
                                                 .vector(9, 0))},
                   });
}

QByteArray bigfontSeed(const QList<EscapeRange> &ranges, quint16 code)
{
    const quint16 radical = 0x8140;
    return bigfont(ranges,
                   {
                       {radical, definition("", ShapeCode().vector(4, 0).vector(4, 4))},
                       {code, definition("", ShapeCode().bigfontSubshape(radical, 1, 2, 4, 8)
                                               .subshape(0x41).vector(2, 12))},
                       {0x41, definition("", ShapeCode().octantArc(3, 0))},
                       {quint16(code + 1), definition("", ShapeCode().verticalOnly()
                                                            .bigfontSubshape(radical, 0, 0, 8, 8)
                                                            .vector(3, 6))},
                   },
                   16);
}

// A shape-font header without its terminator: the scan stops at 40 bytes.
QByteArray longHeader()
{
    return shapeFont(4, {{49, definition("1", ShapeCode().vector(4, 4))}},
                     header("a header text that runs on to forty bytes 1.0", -1).left(40));
}

} // namespace

int main(int argc, char *argv[])
{
    // An option is never a folder name: `--help` must not make one.
    if (argc != 2 || argv[1][0] == '-') {
        const bool help = argc == 2 && (std::strcmp(argv[1], "-h") == 0
                                        || std::strcmp(argv[1], "--help") == 0);
        std::fprintf(help ? stdout : stderr,
                     "usage: varnel-fuzz-seeds DIR\nWrites the fuzzer's seed fonts into DIR.\n");
        return help ? 0 : 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "varnel-fuzz-seeds: cannot create %s\n", argv[1]);
        return 1;
    }

    const QList<Seed> seeds = {
        {"letters-drawn", lettersDrawn()},
        {"below-and-left", belowAndLeft()},
        {"nested-subshapes", nestedSubshapes()},
        {"unifont", unifontSeed()},
        {"bigfont-no-ranges", bigfontSeed({}, 0x8150)},
        {"bigfont-lead-81-fe", bigfontSeed({{0x81, 0xFE}}, 0xB0A1)},
        {"bigfont-lead-80-ff", bigfontSeed({{0x80, 0xFF}}, 0xA440)},
        {"bigfont-lead-a1-af", bigfontSeed({{0xA1, 0xAF}}, 0xB0A1)},
        {"bigfont-lead-81-9f-e0-fc", bigfontSeed({{0x81, 0x9F}, {0xE0, 0xFC}}, 0x82A0)},
        {"long-header", longHeader()},
    };
    QList<Seed> all = seeds;
    QList<bool> isSource(seeds.size(), false);
    int hostileCount = 0;
    for (const hostile::HostileFont &font : hostile::catalogue() + hostile::sources()) {
        // Large inputs only slow every mutation down; the tests cover them.
        if (!font.heavy && font.bytes.size() <= kLargestSeed) {
            all.append({nullptr, font.bytes});
            isSource.append(font.source);
        }
    }
    for (qsizetype i = 0; i < all.size(); ++i) {
        const Seed &seed = all.at(i);
        const QString name = seed.name ? QLatin1String(seed.name)
                                       : QStringLiteral("hostile-%1").arg(++hostileCount);
        QFile file(QDir(dir).filePath(name + QLatin1String(isSource.at(i) ? ".shp" : ".shx")));
        if (!file.open(QIODevice::WriteOnly) || file.write(seed.bytes) != seed.bytes.size()) {
            std::fprintf(stderr, "varnel-fuzz-seeds: cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}
