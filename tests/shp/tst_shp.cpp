// SHP sources: every font the loader accepts comes back byte for byte from
// its text, the text reads as commands, and faulty sources are refused with
// the place of each fault. (The samples' round trips are in ConvertTest.)
#include "HostileFonts.h"
#include "ShxBuilder.h"
#include "shp/Shp.h"

#include <QtTest>

using namespace shxtest;

namespace {

// shx -> shp -> shx gives the same bytes, and the text compiles again to the
// same text; returns the text.
QByteArray roundTrip(const QByteArray &shx)
{
    QString reason;
    const QByteArray text = shp::decompile(shx, &reason);
    if (text.isEmpty()) {
        QTest::qFail(qPrintable("not decompiled: " + reason), __FILE__, __LINE__);
        return {};
    }
    const shp::Compiled compiled = shp::compile(text);
    if (compiled.shx != shx) {
        QTest::qFail(qPrintable("compiled differently:\n" + QString::fromUtf8(text.left(3000))
                                + compiled.errors.lines("text").join('\n')),
                     __FILE__, __LINE__);
        return {};
    }
    if (shp::decompile(compiled.shx) != text)
        QTest::qFail("the text changed on its second trip", __FILE__, __LINE__);
    return text;
}

} // namespace

class TestShp : public QObject
{
    Q_OBJECT

private slots:
    void hostileCatalogue()
    {
        int loaded = 0;
        for (const hostile::HostileFont &font : hostile::catalogue()) {
            if (shp::decompile(font.bytes).isEmpty())
                continue;
            ++loaded;
            QVERIFY2(!roundTrip(font.bytes).isEmpty(), font.name);
        }
        QVERIFY(loaded > 0);
    }

    // Fonts that break the format's rules in the ways real fonts do.
    void ruleBreakers_data()
    {
        QTest::addColumn<QByteArray>("shx");
        QTest::addColumn<QByteArray>("mark"); // a line the text must hold
        const auto row = [](const char *name, const QByteArray &shx, const char *mark) {
            QTest::newRow(name) << shx << QByteArray(mark);
        };
        const QByteArray a = definition("A", ShapeCode().vector(1, 4));
        row("duplicate numbers", shapeFont(16, {{65, a}, {65, definition("A2", ShapeCode())}}),
            "*00041,1,A2");
        row("no final 0, runs on",
            shapeFont(16, {{65, definition("A", ShapeCode().vector(1, 4).withoutEnd())}, {66, a}}),
            "*!00041,1,A");
        row("bytes after the end",
            shapeFont(16, {{65, definition("A", ShapeCode().vector(1, 4)) + "\x08\x01"}}),
            "8,1 ; after the end");
        row("command cut short", shapeFont(16, {{65, QByteArray("A\0\x08\x01", 4)}, {66, a}}),
            "8,1 ; cut short");
        row("file ends inside a shape", shapeFont(16, {{65, a}}).chopped(1), "*!00041,2,A");
        row("name not text", shapeFont(16, {{65, QByteArray("\xE9;\0\x14\0", 5)}}), "*!00041,5");
        row("no name at all", shapeFont(16, {{65, QByteArray("\x14\x14", 2)}}), "*!00041,2");
        row("trailing garbage", shapeFont(16, {{65, a}}) + "\xFF\xFE", "*!TAIL,2");
        QByteArray numbered = unifont(fontInfo("U", 16), {{65, definition("A", ShapeCode())}});
        numbered[numbered.indexOf("U\0", 20) - 4] = 7;
        row("unifont, first record numbered", numbered, "*!RAW,");
        const QByteArray l = definition("L", ShapeCode().move(-24, 0));
        row("unifont, last shape cut", unifont(fontInfo("U", 16), {{0x141, l}}).chopped(2),
            "*!00141,4,L");
        QByteArray shared = bigfont({{0x81, 0xFE}}, {{0x8140, definition("x", ShapeCode())},
                                                     {0x8141, definition("y", ShapeCode())}});
        const int entry = shared.indexOf(QByteArray("\x41\x81", 2));
        shared.replace(entry + 4, 4, shared.mid(entry - 4, 4));
        row("big font, shared definition", shared, "*!RAW,");
        row("odd header and table", shapeFont(16, {{65, a}}, header("Varnel shapes 1.0", 30)),
            "*!TABLE,4");
    }
    void ruleBreakers()
    {
        QFETCH(QByteArray, shx);
        QFETCH(QByteArray, mark);
        const QByteArray text = roundTrip(shx);
        QVERIFY2(text.contains(mark), text.constData());
        QVERIFY(!shp::compile(text).warnings.isEmpty() || !text.contains("*!0"));
    }

    // A thousand generated glyphs of every command, in all three kinds.
    void generatedFonts()
    {
        QList<Entry> shapes;
        QList<Entry> bigShapes;
        for (int i = 1; i <= 1000; ++i) {
            ShapeCode code;
            code.penUp().divide(quint8(i)).multiply(2).push().vector(i % 16, i % 15)
                .move(qint8(i), qint8(-i)).moves({{1, 2}, {qint8(-i), 3}})
                .octantArc(quint8(i), qint8(i * 7)).fractionalArc(1, 2, quint16(i * 9), -3)
                .bulgeArc(3, 4, qint8(-i)).bulgeArcs({{1, 1, 1}, {-2, 2, 127}})
                .verticalOnly().move(1, 1).pop().penDown();
            shapes.append({quint16(i), definition("g", ShapeCode(code).unifontSubshape(quint16(i - 1)))});
            bigShapes.append({quint16(0x8140 + i),
                              definition("b", ShapeCode(code).bigfontSubshape(0x8140, 1, -2, 3, 4))});
        }
        roundTrip(unifont(fontInfo("U", 16), shapes));
        roundTrip(bigfont({{0x81, 0xFE}}, bigShapes, 16));
        for (Entry &e : shapes)
            e.number %= 256;
        roundTrip(shapeFont(16, shapes));
    }

    void readsAsCommands()
    {
        const QByteArray text = shp::decompile(bigfont(
            {{0x81, 0xFE}},
            {{0xB0A1, definition("x", ShapeCode().penUp().vector(1, 4).move(-24, 0)
                                     .moves({{3, 4}, {5, -6}}).octantArc(2, -0x43)
                                     .bulgeArc(3, 4, 127).verticalOnly().move(1, 2)
                                     .bigfontSubshape(0xB0A1, 0, 0, 8, 8).subshape(0x41)
                                     .divide(2))}}));
        const QByteArray expected = "; 0xB0A1 U+554A \xE5\x95\x8A\n"
                                    "*0B0A1,36,x\n2\n014\n8,(-24,0)\n9,(3,4),(5,-6),(0,0)\n"
                                    "10,(2,-043)\n12,(3,4,127)\n14,8,(1,2)\n"
                                    "7,(000,0B0,0A1,0,0,8,8)\n7,041\n3,2\n0\n";
        QVERIFY2(text.contains(expected), text.constData());
    }

    void errors_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("first");

        const QByteArray font = "*0,4,F\n16,0,0,0\n";
        QTest::newRow("no final 0") << font + "*65,2,A\n1,2\n" << "4:3: the record does not end with 0";
        QTest::newRow("not a number") << font + "*65,2,A\n(8,x)\n" << "4:4: \"x\" is not a number";
        QTest::newRow("unknown record") << "*FOO,1\n" + font << "1:1: unknown record \"*FOO,1\"";
        QTest::newRow("no font record") << QByteArray("*65,1,A\n0\n") << "1:1: the font has no *0 record";
        QTest::newRow("definition too long") << font + "*65,65535,A\n"
                                              << "3:5: the definition takes 65,537 bytes, more than 65,535";
        QTest::newRow("kept records only as marked") << font + "*TAIL,1\n1\n"
                                                      << "3:1: unknown record \"*TAIL,1\"";
        QTest::newRow("bytes first") << "1,2\n" + font << "1:1: bytes before the first record";
        QTest::newRow("a compiled font") << shp::defaultHeader(false, false) + "\0\0"
                                         << "1:1: this is a compiled SHX font, not SHP text";
        QTest::newRow("a byte refused is not also miscounted") << font + "*65,3,A\n300,0\n"
                                                                << "4:1: \"300\" is not a byte";
        // A count that disagrees and a number past 0x10000 are in tst_inspect's
        // broken source; numbers too long, lines too long, *BIGFONT miscounted
        // and too many shapes are in the hostile catalogue's sources.
    }
    void errors()
    {
        QFETCH(QByteArray, source);
        QFETCH(QString, first);
        const shp::Compiled compiled = shp::compile(source);
        QVERIFY(compiled.shx.isEmpty());
        QCOMPARE(compiled.errors.lines("f.shp").value(0), "f.shp:" + first);
    }

    void errorsAreCountedPastTwenty()
    {
        QByteArray source = "*0,4,F\n16,0,0,0\n";
        for (int i = 0; i < 25; ++i)
            source += "*65,2,A\n1,2\n";
        const QStringList lines = shp::compile(source).errors.lines("f.shp");
        QCOMPARE(lines.size(), 21);
        QCOMPARE(lines.last(), QStringLiteral("f.shp: and 5 more"));
    }
};

QTEST_GUILESS_MAIN(TestShp)
#include "tst_shp.moc"
