// SHX in, FNT out: the path, header length and kind, and shape tables of
// all three kinds; the big font's code page; the FNT ranges, offsets,
// records, shift right and baseline fix-up; character codes through the four
// East Asian code pages (kinds 1 to 4: 949, 950, 936 and 932); the sample
// fonts converted whole.
#include "JobProbe.h"
#include "ShxBuilder.h"
#include "fnt/CodePageDecoder.h"
#include "fnt/FntReader.h"
#include "job/ConversionJob.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace shxtest;
using Positions = QMap<int, int>;
using S = ShapeCode;

namespace {

QByteArray filler(int length)
{
    return QByteArray(length, '\x01');
}

const QByteArray kShapes = shapeFont(8, {{65, definition("A", S().vector(1, 4))}});

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text); // spaces are skipped
}

QByteArray converted(const QByteArray &font, const QString &name = QStringLiteral("test"))
{
    ConversionJob job;
    return job.convertBytes(font, name) == ConversionOutcome::Converted ? job.fntBytes : "failed";
}

const QByteArray kEmptyShape("\0\0", 2); // no name, end byte
// The name "test" padded to 36 bytes, then the words 3, 0, 128, 63, 128.
const QByteArray kHeader = QByteArray("test").leftJustified(36) + hex("0003 0000 0080 003F 0080");
// Advance 128 and no strokes.
const QByteArray kEmptyRecord = hex("0080 0000 0000 0000 000000000000");

} // namespace

class TestFontFiles : public QObject
{
    Q_OBJECT

private slots:
    void pathRules()
    {
        QTemporaryDir dir;
        // The name is taken once the file is open, before its bytes are judged.
        const std::tuple<const char *, QByteArray, bool, const char *> files[] = {
            {"PLAIN.SHX", kShapes, true, "PLAIN"}, {"my.font.Shx", kShapes, true, "my"},
            {"plain.shx.bak", kShapes, false, ""}, {"empty.shx", "", false, "empty"},
            {"absent.shx", {}, false, ""}};
        for (const auto &[name, content, loads, fontName] : files) {
            QFile file(dir.filePath(name));
            QVERIFY(content.isNull() || (file.open(QFile::WriteOnly) && file.write(content) >= 0));
            file.close();
            ConversionJob job;
            QCOMPARE(job.loadShx(file.fileName()), loads);
            QCOMPARE(job.fontName, QString::fromLatin1(fontName));
        }
    }

    // Kinds: 1 big font, 2 unifont, 4 "1.0", 8 "1.1", 264 "shapes 1.1"; the
    // header ends after the 0x1A at 22 to 39 (header(text, p) puts it at p),
    // or is 40 bytes long, and only the header is searched.
    void headerScan_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("length"); // where the tables start
        const QByteArray tables(32, '\0');
        QTest::newRow("0x1A at 22") << header("shapes 1.0", 22) + tables << 4 << 23;
        QTest::newRow("no 0x1A") << QByteArray("shapes 1.0").leftJustified(60) << 4 << 40;
        QTest::newRow("0x1A before 22 does not count")
            << QByteArray("shapes\x1a 1.0").leftJustified(30) + header("", 0) + tables << 4 << 31;
        QTest::newRow("version ending at the 0x1A at 39")
            << QByteArray(36, ' ') + "1.1" + header("", 0) + tables << 8 << 40;
        QTest::newRow("version after the 0x1A") << header("x", 22) + "1.0" + tables << 0 << 0;
        const std::pair<const char *, int> kinds[] = {
            {"1.0 bigfont", 1},      {"unifont 1.0 bigfont", 1}, {"shapes 1.1 unifont 1.0", 2},
            {"1.0 shapes 1.1", 264}, {"1.1 1.0", 4},             {"Varnel unifont 1.1", 8},
            {"VARNEL BIGFONT 1.0", 4}};
        for (const auto &[text, kind] : kinds)
            QTest::newRow(text) << header(text) + tables << kind << 24;
    }
    void headerScan()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, kind);
        QFETCH(int, length);
        ConversionJob job;
        job.loadShxBytes(bytes); // the tables behind the header may not fit its kind
        QCOMPARE(job.fontKind, kind);
        if (kind != 0)
            QCOMPARE(job.shxHeaderSize, quint32(length));
    }

    void tables_data()
    {
        QTest::addColumn<QByteArray>("font");
        QTest::addColumn<Positions>("positions");
        QTest::addColumn<int>("above");
        auto row = [](const char *name, const QByteArray &font, const Positions &at, int above) {
            QTest::newRow(name) << font << at << above;
        };
        // Shape font: 24 header + 4 + count 2 + 4 per index entry, then the
        // definitions in index order. "Info\0" 9 0 0 is 8 bytes. A duplicate:
        // 24 + 6 + 12 = 42, the second 65 at 47, 66 after both at 54.
        row("no info", shapeFont({{65, filler(10)}, {66, filler(2)}}), {{65, 38}, {66, 48}}, 1);
        row("font info after a shape", shapeFont({{65, filler(4)}, {0, fontInfo("Info", 9)}}),
            {{65, 38}, {0, 42}}, 9);
        row("duplicate: later wins", shapeFont({{65, filler(5)}, {65, filler(7)}, {66, filler(3)}}),
            {{65, 47}, {66, 54}}, 1);
        row("shapes, above 200 is signed", shapeFont({{0, fontInfo("", 200)}}), {{0, 34}}, -56);
        // Unifont: 24 header + 2 count; records are a 4-byte head and the
        // body. "I\0" 6 0 0 at 30..34, the next head 35..38, its body at 39.
        QByteArray numbered5 = unifont(fontInfo("I", 6), {{5, filler(4)}});
        numbered5[26] = 5; // the first record is font info whatever its number
        row("unifont, first record is font info", numbered5, {{5, 39}}, 6);
        row("unifont, a later 0 is font info too",
            unifont(fontInfo("I", 6), {{65, filler(4)}, {0, fontInfo("J", 9)}}), {{65, 39}}, 9);
        // Big font: 24 header + 6, 4 per escape range, 8 per index entry, then
        // "Varnel\0", the height and two bytes. Two entries: 24 + 6 + 16 + 10
        // = 56, 56 + 3 = 59, and the file is 63 bytes long.
        const QByteArray two = bigfont({}, {{0x8140, filler(3)}, {0x8141, filler(4)}});
        auto offset = [&](quint32 offset) {
            QByteArray le, font = two;
            appendU32LE(le, offset);
            return font.replace(30 + 8 + 4, 4, le);
        };
        row("big font", two, {{0x8140, 56}, {0x8141, 59}}, 8);
        row("offset at the end", offset(63), {{0x8140, 56}}, 8);
        row("offset far past the end", offset(0xFFFFFFFF), {{0x8140, 56}}, 8);
        row("height 0 stands for 8", bigfont({}, {{0x8140, filler(3)}}, 0), {{0x8140, 48}}, 8);
        row("height 200 is unsigned, ranges first",
            bigfont({{0x81, 0xFE}}, {{0x8140, filler(3)}}, 200), {{0x8140, 52}}, 200);
    }
    void tables()
    {
        QFETCH(QByteArray, font);
        QFETCH(Positions, positions);
        QFETCH(int, above);
        ConversionJob job;
        QVERIFY(job.loadShxBytes(font));
        Positions actual;
        for (auto it = job.shapeMap.cbegin(); it != job.shapeMap.cend(); ++it)
            actual.insert(it.key(), it.value());
        QCOMPARE(actual, positions);
        QCOMPARE(job.above, above);
    }

    // Kinds: 0 none, then code pages 949, 950, 936 and 932; the user's index
    // counts the same way, and -2 leaves the box unchecked.
    void codePage()
    {
        auto big = [](QList<EscapeRange> ranges) { return bigfont(ranges, {{0x8140, filler(3)}}); };
        const std::tuple<const char *, QByteArray, int, int> fonts[] = {
            {"81-FE: C9 without 80", big({{0x81, 0xFE}}), -2, 3},
            {"80-FF: C9 and 80", big({{0x80, 0xFF}}), -2, 2},
            {"81-9F, E0-FC", big({{0x81, 0x9F}, {0xE0, 0xFC}}), -2, 4},
            {"DF is in A1-DF", big({{0xDF, 0xDF}}), -2, 1},
            {"A0 is not", big({{0xA0, 0xA0}}), -2, 4},
            {"holding C9 beats a bound in A1-DF", big({{0x81, 0xDF}}), -2, 3},
            {"FFFF is -1: 80..FFFF holds nothing", big({{0x80, 0xFFFF}}), -2, 4},
            {"chosen over the ranges", big({{0x80, 0xFF}}), 3, 3},
            {"index past the list", big({{0x80, 0xFF}}), 5, 0},
            {"index before the list (an empty combo box)", big({{0x80, 0xFF}}), -1, 0},
            {"a shape font ignores the choice", kShapes, 2, 0}};
        for (const auto &[name, font, chosen, kind] : fonts) {
            ConversionJob job;
            job.useCodePage = chosen != -2;
            job.codePageIndex = chosen;
            QVERIFY(job.loadShxBytes(font));
            QCOMPARE(QString(name) + ": " + QString::number(job.codePageKind),
                     QString(name) + ": " + QString::number(kind));
        }
    }

    // A big font's shape names are text of its code page, not Latin-1.
    void textInItsCodePage()
    {
        const std::tuple<int, QByteArray, const char *> texts[] = {
            {936, hex("D2BB B6FE 41"), "一二A"}, {950, hex("A440"), "一"},
            {949, hex("C7D1"), "한"}, {932, hex("88EA"), "一"}, {0, hex("D2BB"), "Ò»"}};
        for (const auto &[codePage, bytes, text] : texts) {
            CodePageDecoder decoder;
            decoder.setCodePage(codePage);
            QCOMPARE(decoder.decodeText(bytes), QString::fromUtf8(text));
        }
    }

    void smallestFiles()
    {
        // No glyph: header and glyph count 0, no range count behind it.
        for (const QByteArray &f : {shapeFont({}), bigfont({}, {}), unifont(fontInfo("", 8), {})})
            QCOMPARE(converted(f), kHeader + hex("0000"));
        // One empty glyph: counts, the range 32..32, offset 58, the record.
        const QByteArray one = converted(shapeFont(8, {{32, kEmptyShape}}));
        QCOMPARE(one, kHeader + hex("0001 0001 0020 0020 0000003A") + kEmptyRecord);
        QCOMPARE(one.size(), 72);
    }

    // Shape 0 is no glyph; runs break where codes are not adjacent and may
    // cross a byte boundary or end at FFFF. Records follow 50 + 4 per range
    // + 4 per glyph = 98 (0x62), 14 bytes each.
    void rangesAndOffsets()
    {
        QList<Entry> entries{{0, fontInfo("i", 8)}};
        for (int code : {65, 66, 67, 97, 255, 256, 0xFFFE, 0xFFFF})
            entries << Entry{quint16(code), kEmptyShape};
        const QByteArray fnt = converted(shapeFont(entries));
        QCOMPARE(fnt.mid(46, 52), hex("0008 0004 0041 0043 0061 0061 00FF 0100 FFFE FFFF"
                                      "00000062 00000070 0000007E 0000008C"
                                      "0000009A 000000A8 000000B6 000000C4"));
        QCOMPARE(fnt.mid(98), kEmptyRecord.repeated(8));
    }

    // Code page 949: B0A1 and B0A2 are U+AC00 and U+AC01, CAA1 is U+4F3D, and
    // AC00 (trail byte 00) is no character, so it keeps its own code AC00.
    void codePageOrderAndDuplicates()
    {
        // Big font height 8: one unit is 16 FNT units.
        const QByteArray font = bigfont({}, {{0xAC00, definition("", S().vector(2, 0))},
            {0xB0A1, definition("", S().vector(1, 0))}, {0xB0A2, definition("", S().vector(1, 4))},
            {0xCAA1, definition("", S())}});
        ConversionJob job;
        job.useCodePage = true;
        job.codePageIndex = 1;
        QCOMPARE(job.convertBytes(font, QStringLiteral("test")), ConversionOutcome::Converted);
        // Unicode order 4F3D, AC00, AC00, AC01; the repeated AC00 starts a new
        // run. Offsets from 50 + 12 + 16 = 78, then 14, 22 and 22 bytes on.
        QCOMPARE(job.fntBytes.mid(46, 32), hex("0004 0003 4F3D 4F3D AC00 AC00 AC00 AC01"
                                               "0000004E 0000005C 00000072 00000088"));
        // Both AC00 entries get the record of the higher shape number, B0A1.
        const QByteArray b0a1 = hex("0010 0001 0000 0000 000000000000 0000 003F 0010 003F");
        const QByteArray b0a2 = hex("0001 0001 0000 0000 000000000000 0000 003F 0000 004F");
        QCOMPARE(job.fntBytes.mid(78), kEmptyRecord + b0a1 + b0a1 + b0a2);
    }

    // above 10: one shape unit is 12.8 FNT units across. The advance is
    // maxX - minX, or 1 when that is 0.
    void advanceAndShift()
    {
        const std::tuple<const char *, quint8, ShapeCode, const char *> glyphs[] = {
            {"vertical line: advance 1", 10, S().move(0, 1),
             "0001 0001 0000 0000 000000000000 0000 003F 0000 004B"},
            // -12.8 gives minX -12: drawn again 12 to the right, -0.8 written 0.
            {"left overhang: shifted by its whole part", 10, S().move(-1, 0),
             "000C 0001 0000 0000 000000000000 000C 003F 0000 003F"},
            // 12.8..25.6 is written 12..25.
            {"left margin kept", 10, S().penUp().move(1, 0).penDown().move(1, 0),
             "000D 0001 0000 0000 000000000000 000C 003F 0019 003F"},
            // Centre -12.8, radius 12.8, 0..180: the leftmost -25.6 gives the shift 25.
            {"an arc is shifted too", 10, S().octantArc(1, 0x04),
             "0019 0000 0000 0001 000000000000 000C 003F 000C 00000000 43340000"},
            // above 64, halved: a unit is a unit, and one left of 0 is a shift of one.
            {"one unit left of 0: shifted by one", 64, S().divide(2).move(-1, 0),
             "0001 0001 0000 0000 000000000000 0001 003F 0000 003F"},
            // above 1: -2 units are exactly -256, the mark of an empty glyph.
            {"leftmost at -256 is not shifted", 1, S().move(-2, 0),
             "0100 0001 0000 0000 000000000000 0000 003F FF00 003F"}};
        for (const auto &[name, above, code, record] : glyphs) {
            const QByteArray fnt = converted(shapeFont(above, {{65, definition("", code)}}));
            QCOMPARE(name + fnt.mid(58).toHex(), name + hex(record).toHex());
        }
    }

    // above 64: y' = 2y + 63. Glyph 65 goes straight down, 66 one unit up.
    // -49 at scale 3/4 is -36.75, y' = -10.5: minY -10, the baseline goes up
    // by 10 to 73 (49) and -0.5 is written 0. At scale 1/4, -127 is -31.75,
    // y' = -0.5: minY stays 0, not -1.
    void baselineFixUp()
    {
        const QByteArray up = definition("", S().move(0, 1));
        auto font = [&](const S &d) { return shapeFont(64, {{65, definition("", d)}, {66, up}}); };
        const QByteArray low = font(S().divide(4).multiply(3).move(0, -49));
        const QByteArray head = hex("0001 0001 0000 0000 000000000000");
        ConversionJob job;
        QCOMPARE(job.convertBytes(low, QStringLiteral("test")), ConversionOutcome::Converted);
        const QByteArray first = job.fntBytes;
        QCOMPARE(first.mid(42, 2), hex("0049"));
        // One range (65, 66), two offsets: 62 and 62 + 22.
        QCOMPARE(first.mid(48), hex("0001 0041 0042 0000003E 00000054") + head
                                    + hex("0000 0049 0000 0000")
                                    + head + hex("0000 0049 0000 004B"));
        // A second conversion on the same job starts from the baseline 63 again.
        QCOMPARE(job.convertBytes(low, QStringLiteral("test")), ConversionOutcome::Converted);
        QCOMPARE(job.fntBytes, first);
        QCOMPARE(converted(font(S().divide(4).move(0, -127))).mid(42, 2), hex("003F"));
    }

    // Whole rows as Python's codecs decode them (data/codepage_rows.py), with
    // the single bytes where they and the Windows code pages part ways set by
    // hand; one job per row as in a conversion, so that a decoder keeping
    // state from one code to the next shows up.
    void codePageRows()
    {
        QFile file(QStringLiteral(VARNEL_CODEPAGE_ROWS));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QMap<QByteArray, int> kinds{{"949", 1}, {"950", 2}, {"936", 3}, {"932", 4}};
        for (const QByteArray &line : file.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() != 258 || line.startsWith('#'))
                continue;
            ConversionJob job;
            job.codePageKind = kinds.value(fields[0]);
            const int lead = fields[1].toInt(nullptr, 16);
            // A conversion hands a big font's codes to the decoder a run at a
            // time, halving a run it refuses: that must give what decoding
            // code by code gives.
            for (int trail = 0; trail < 256; ++trail)
                job.shapeMap.insert(quint16(lead << 8 | trail), 0);
            const QList<quint16> runs = ConversionJobProbe::mappedCodes(job);
            for (int trail = 0; trail < 256; ++trail) {
                const quint16 code = quint16(lead << 8 | trail);
                const QString expected = QString::asprintf("%04X: ", code) + fields[trail + 2];
                QCOMPARE(QString::asprintf("%04X: %04X %04X", code, job.mapCharCode(code),
                                           runs.value(trail)),
                         expected + ' ' + fields[trail + 2]);
            }
        }
    }

    // End-to-end conversions of the sample fonts the build compiles from
    // samples/*.shp: every code they write, each drawn but the space. How
    // glyphs are drawn is pinned by tst_drawing's rows and the byte-exact
    // records above.
    void samples_data()
    {
        QTest::addColumn<QString>("chars"); // every code written, as text
        QTest::newRow("varnel-sans") << " 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ\u0080\u0081";
        // The accents are the combining marks U+0301, U+0308, U+030A and U+030C.
        QTest::newRow("varnel-uni") << " ACEFLOSUZÁÅÉÖÜČŁŠŽ\u0301\u0308\u030A\u030C";
        // Escape range 0x81 to 0xFE holds 0xC9 but not 0x80: GBK, so the codes
        // (D2BB for 一, B6FE for 二...) are written as Unicode.
        QTest::newRow("varnel-big") << "一二三十王口日田中吕品回";
    }

    void samples()
    {
        QFETCH(QString, chars);
        const QString base = QTest::currentDataTag();
        QFile in(QStringLiteral(VARNEL_SAMPLES_DIR "/%1.shx").arg(base));
        QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(in.fileName()));
        ConversionJob job;    // converted in memory as Apply does
        QCOMPARE(job.convertBytes(in.readAll(), base), ConversionOutcome::Converted);
        fnt::FntReader reader;
        QVERIFY(reader.read(job.fntBytes));
        const fnt::FntFont &font = reader.font();
        QCOMPARE(font.name(), base);
        QCOMPARE(font.baseline, qint16(63));    // nothing reaches below the baseline

        QList<quint16> expected, written;
        for (const QChar c : chars)
            expected.append(c.unicode());
        std::sort(expected.begin(), expected.end());
        for (const fnt::FntGlyph &glyph : font.glyphs) {
            written.append(glyph.code);
            const qsizetype strokes = glyph.lines.size() + glyph.polylines.size() + glyph.arcs.size();
            QVERIFY2((strokes == 0) == (glyph.code == ' '), qPrintable(QString::number(glyph.code, 16)));
        }
        QCOMPARE(written, expected);
    }
};

QTEST_GUILESS_MAIN(TestFontFiles)
#include "tst_fontfiles.moc"
