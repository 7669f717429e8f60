// Accepting or rejecting an SHX file, its header length and its kind.
#include "CoreTestSupport.h"
#include "ShxBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace shxtest;

class TestShxLoading : public QObject
{
    Q_OBJECT

private slots:
    void pathRules_data();
    void pathRules();
    void headerLength_data();
    void headerLength();
    void kindOrder_data();
    void kindOrder();
    void truncatedTables_data();
    void truncatedTables();
};

namespace {

QByteArray smallShapeFont()
{
    return shapeFont(8, {{65, definition("A", ShapeCode().vector(1, 4))}});
}

// Puts `bytes` into the job as a loaded file would be, without reading the
// tables, so the header scan can be looked at alone.
int detect(ConversionJob &job, const QByteArray &bytes)
{
    job.shxBytes = bytes;
    job.shxData = reinterpret_cast<const quint8 *>(job.shxBytes.constData());
    return job.detectFontKind();
}

} // namespace

void TestShxLoading::pathRules_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content"); // null: nothing is created
    QTest::addColumn<bool>("asDirectory");
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QString>("fontName");

    const QByteArray font = smallShapeFont();
    QTest::newRow("lower-case suffix") << "plain.shx" << font << false << true << "plain";
    QTest::newRow("upper-case suffix") << "PLAIN.SHX" << font << false << true << "PLAIN";
    QTest::newRow("mixed-case suffix") << "plain.Shx" << font << false << true << "plain";
    QTest::newRow("font name cut at the first dot")
        << "my.font.shx" << font << false << true << "my";
    QTest::newRow("suffix after shx") << "plain.shx.bak" << font << false << false << "";
    QTest::newRow("no dot at all") << "plainshx" << font << false << false << "";
    QTest::newRow("missing file") << "absent.shx" << QByteArray() << false << false << "";
    QTest::newRow("directory named .shx") << "folder.shx" << QByteArray() << true << false << "";
    // The name is taken once the file is open, before its bytes are judged.
    QTest::newRow("empty file") << "empty.shx" << QByteArray("") << false << false << "empty";
    QTest::newRow("unknown header")
        << "text.shx" << header("plain text, no version") + QByteArray(20, 'x') << false << false
        << "text";
}

void TestShxLoading::pathRules()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(bool, asDirectory);
    QFETCH(bool, loads);
    QFETCH(QString, fontName);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(fileName);
    if (asDirectory) {
        QVERIFY(QDir(dir.path()).mkdir(fileName));
    } else if (!content.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    ConversionJob job;
    QCOMPARE(job.loadShx(path), loads);
    QCOMPARE(job.fontName, fontName);
}

void TestShxLoading::headerLength_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("kind");

    const QByteArray tables(16, '\0');
    // header(text, p) puts the terminator 0x1A at position p.
    QTest::newRow("terminator at 22") << header("shapes 1.0", 22) + tables << 23 << 4;
    QTest::newRow("terminator at 23") << header("shapes 1.0", 23) + tables << 24 << 4;
    QTest::newRow("terminator at 39") << header("shapes 1.0", 39) + tables << 40 << 4;
    QTest::newRow("no terminator: 40 bytes")
        << QByteArray("shapes 1.0").leftJustified(60, ' ') << 40 << 4;
    QTest::newRow("terminator before 22 does not count")
        << QByteArray("shapes\x1a 1.0").leftJustified(30, ' ') + header("", 0) + tables << 31
        << 4;
    // Only the 40 header bytes are searched: a version at 40 is not seen.
    QTest::newRow("version just past the header")
        << QByteArray(40, ' ') + "1.0" + tables << 40 << 0;
    QTest::newRow("version ending at the terminator")
        << QByteArray(36, ' ') + "1.1" + header("", 0) + tables << 40 << 8;
    QTest::newRow("version after the terminator")
        << header("Varnel", 22) + "1.0" + tables << 23 << 0;
}

void TestShxLoading::headerLength()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, length);
    QFETCH(int, kind);

    ConversionJob job;
    QCOMPARE(detect(job, bytes), kind);
    QCOMPARE(job.fontKind, kind);
    if (kind != 0)
        QCOMPARE(job.cursor, quint32(length)); // where the tables start
}

void TestShxLoading::kindOrder_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("kind");

    QTest::newRow("big font") << QByteArray("Varnel bigfont 1.0") << 1;
    QTest::newRow("unifont") << QByteArray("Varnel unifont 1.0") << 2;
    QTest::newRow("shapes 1.1") << QByteArray("Varnel shapes 1.1") << 264;
    QTest::newRow("shapes 1.0") << QByteArray("Varnel shapes 1.0") << 4;
    QTest::newRow("bare 1.1") << QByteArray("Varnel 1.1") << 8;
    QTest::newRow("bigfont beats 1.0") << QByteArray("1.0 bigfont") << 1;
    QTest::newRow("bigfont beats unifont 1.0") << QByteArray("unifont 1.0 bigfont") << 1;
    QTest::newRow("unifont 1.0 beats shapes 1.1") << QByteArray("shapes 1.1 unifont 1.0") << 2;
    QTest::newRow("shapes 1.1 beats 1.0") << QByteArray("1.0 shapes 1.1") << 264;
    QTest::newRow("1.0 beats 1.1") << QByteArray("1.1 1.0") << 4;
    QTest::newRow("unifont 1.1 is a shape font") << QByteArray("Varnel unifont 1.1") << 8;
    QTest::newRow("capitals do not match") << QByteArray("VARNEL BIGFONT") << 0;
    QTest::newRow("capitals with a version") << QByteArray("VARNEL BIGFONT 1.0") << 4;
    QTest::newRow("Shapes 1.1 is only 1.1") << QByteArray("Varnel Shapes 1.1") << 8;
    QTest::newRow("no version") << QByteArray("Varnel font") << 0;
}

void TestShxLoading::kindOrder()
{
    QFETCH(QByteArray, text);
    QFETCH(int, kind);

    ConversionJob job;
    QCOMPARE(detect(job, header(text) + QByteArray(32, '\0')), kind);
}

// Each font is cut where its tables still need bytes: loading says no, and
// the sanitizer build shows that nothing past the end was read.
void TestShxLoading::truncatedTables_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("loads");

    const QByteArray shapes = smallShapeFont();
    // 24 header + 4 skipped + 2 count + 2 x 4 index = 38; then the
    // font-info record "Varnel test\0" and its above byte at 50.
    QTest::newRow("shape font: inside the header scan") << shapes.left(30) << false;
    QTest::newRow("shape font: header only") << shapes.left(24) << false;
    QTest::newRow("shape font: count cut") << shapes.left(29) << false;
    QTest::newRow("shape font: index cut") << shapes.left(37) << false;
    QTest::newRow("shape font: font-info name without zero") << shapes.left(45) << false;
    QTest::newRow("shape font: above byte missing") << shapes.left(50) << false;
    QTest::newRow("shape font: whole") << shapes << true;
    QByteArray bigCount = shapes;
    bigCount[28] = char(0xFF); // count 255 with two entries' worth of data
    QTest::newRow("shape font: count larger than the data") << bigCount << false;

    // 24 header + count 2 + record head 4 = 30; font info "Varnel\0" 8 0 0
    // ends at 40; the next record head is 40..43.
    const QByteArray uni = unifont(fontInfo("Varnel", 8),
                                   {{65, definition("A", ShapeCode().vector(1, 4))}});
    QTest::newRow("unifont: count cut") << uni.left(25) << false;
    QTest::newRow("unifont: record head cut") << uni.left(42) << false;
    QTest::newRow("unifont: whole") << uni << true;

    // 24 header + 6 + one range 4 = 34; one index entry to 42; font info
    // "Varnel\0" then the height at 49.
    const QByteArray big = bigfont({{0x81, 0xFE}}, {{0x8140, definition("", ShapeCode())}});
    QTest::newRow("big font: escape range cut") << big.left(32) << false;
    QTest::newRow("big font: index cut") << big.left(40) << false;
    QTest::newRow("big font: font-info name cut") << big.left(45) << false;
    QTest::newRow("big font: height missing") << big.left(49) << false;
    QTest::newRow("big font: whole") << big << true;
}

void TestShxLoading::truncatedTables()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, loads);

    ConversionJob job;
    QCOMPARE(coretest::load(job, bytes), loads);
    QCOMPARE(job.convertBytes(bytes, QStringLiteral("cut")),
             loads ? ConversionOutcome::Converted : ConversionOutcome::ReadFailed);
}

QTEST_GUILESS_MAIN(TestShxLoading)
#include "tst_shxloading.moc"
