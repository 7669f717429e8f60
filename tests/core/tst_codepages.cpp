// Character codes of big fonts through the four East Asian code pages.
#include "CoreTestSupport.h"

#include <QFile>
#include <QTest>

class TestCodePages : public QObject
{
    Q_OBJECT

private slots:
    void knownCharacters_data();
    void knownCharacters();
    void singleBytesOf932();
    void wholeRows_data();
    void wholeRows();
    void offMeansUnchanged();
};

namespace {

// codePageKind by Windows code page number.
int kindOf(int codePage)
{
    switch (codePage) {
    case 949: return 1;
    case 950: return 2;
    case 936: return 3;
    case 932: return 4;
    default: return 0;
    }
}

quint16 mapped(int kind, quint16 code)
{
    ConversionJob job;
    job.codePageKind = kind;
    return job.mapCharCode(code);
}

} // namespace

void TestCodePages::knownCharacters_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("expected");

    QTest::newRow("949: first Hangul syllable") << 1 << 0xB0A1 << 0xAC00;
    QTest::newRow("950: the character for one") << 2 << 0xA440 << 0x4E00;
    QTest::newRow("936: same bytes, another character") << 3 << 0xB0A1 << 0x554A;
    QTest::newRow("932: Hiragana a") << 4 << 0x82A0 << 0x3042;
    QTest::newRow("932: one-byte halfwidth katakana") << 4 << 0xB1 << 0xFF71;
    for (int kind = 1; kind <= 4; ++kind) {
        QTest::addRow("kind %d: ASCII letter", kind) << kind << 0x41 << 0x41;
        QTest::addRow("kind %d: code 0 stays 0", kind) << kind << 0 << 0;
    }
    // The single byte 0xFF is a private-use character in each of them.
    QTest::newRow("949: byte FF") << 1 << 0xFF << 0xF8F7;
    QTest::newRow("950: byte FF") << 2 << 0xFF << 0xF8F8;
    QTest::newRow("936: byte FF") << 3 << 0xFF << 0xF8F5;
    // Not exactly one character: the code is kept.
    QTest::newRow("949: trail byte 00") << 1 << 0xB000 << 0xB000;
    QTest::newRow("949: lone lead byte") << 1 << 0xB0 << 0xB0;
    QTest::newRow("950: trail byte 30") << 2 << 0xA430 << 0xA430;
    QTest::newRow("936: two ASCII bytes") << 3 << 0x4142 << 0x4142;
    QTest::newRow("932: lead byte then nothing usable") << 4 << 0x8200 << 0x8200;
}

void TestCodePages::knownCharacters()
{
    QFETCH(int, kind);
    QFETCH(int, code);
    QFETCH(int, expected);
    QCOMPARE(mapped(kind, quint16(code)), quint16(expected));
}

// Where ICU's table for 932 and Windows part ways: the control bytes stay
// themselves, and 80, A0, FD, FE, FF have units of their own.
void TestCodePages::singleBytesOf932()
{
    ConversionJob job;
    job.codePageKind = 4;
    for (int byte = 0; byte < 0x80; ++byte)
        QCOMPARE(job.mapCharCode(quint16(byte)), quint16(byte));
    QCOMPARE(job.mapCharCode(0x80), quint16(0x0080));
    QCOMPARE(job.mapCharCode(0xA0), quint16(0xF8F0));
    QCOMPARE(job.mapCharCode(0xFD), quint16(0xF8F1));
    QCOMPARE(job.mapCharCode(0xFE), quint16(0xF8F2));
    QCOMPARE(job.mapCharCode(0xFF), quint16(0xF8F3));
    // Halfwidth katakana A1..DF run in step with U+FF61..U+FF9F.
    for (int byte = 0xA1; byte <= 0xDF; ++byte)
        QCOMPARE(job.mapCharCode(quint16(byte)), quint16(0xFF61 + byte - 0xA1));
}

// Rows decoded by Python's codecs when the tests were written
// (data/codepage_rows.py); one job per code page, as in a conversion, so a
// decoder that keeps state from one code to the next shows up here.
void TestCodePages::wholeRows_data()
{
    QTest::addColumn<int>("codePage");
    QTest::addColumn<int>("lead");
    QTest::addColumn<QList<int>>("units");

    QFile file(QStringLiteral(VARNEL_CODEPAGE_ROWS));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().simplified().split(' ');
        if (fields.size() != 258 || fields.first().startsWith('#'))
            continue;
        QList<int> units;
        for (qsizetype i = 2; i < fields.size(); ++i)
            units << fields.at(i).toInt(nullptr, 16);
        const int codePage = fields.at(0).toInt();
        const int lead = fields.at(1).toInt(nullptr, 16);
        QTest::addRow("cp%d lead %02X", codePage, lead) << codePage << lead << units;
    }
}

void TestCodePages::wholeRows()
{
    QFETCH(int, codePage);
    QFETCH(int, lead);
    QFETCH(QList<int>, units);

    ConversionJob job;
    job.codePageKind = kindOf(codePage);
    for (int trail = 0; trail < 256; ++trail) {
        const quint16 code = quint16(lead << 8 | trail);
        const quint16 unit = job.mapCharCode(code);
        QVERIFY2(unit == quint16(units.at(trail)),
                 qPrintable(QStringLiteral("code %1 gave %2, expected %3")
                                .arg(code, 4, 16, QLatin1Char('0'))
                                .arg(unit, 4, 16, QLatin1Char('0'))
                                .arg(units.at(trail), 4, 16, QLatin1Char('0'))));
    }
}

void TestCodePages::offMeansUnchanged()
{
    ConversionJob job;
    QCOMPARE(job.codePageKind, 0);
    for (quint16 code : {0x0000, 0x0041, 0x00B1, 0x82A0, 0xB0A1, 0xFFFF})
        QCOMPARE(job.mapCharCode(code), code);
}

QTEST_GUILESS_MAIN(TestCodePages)
#include "tst_codepages.moc"
