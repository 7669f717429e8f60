// Glyph sheets of tiny fonts, read back pixel by pixel.
//
// Each font has one glyph; the test finds the glyph box (its pale blue-grey),
// the baseline (the blue row), the origin and the advance (the orange
// columns), and checks the black strokes against them.
#include "ShxBuilder.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtTest>

using namespace shxtest;

namespace {

// 50-byte head of a font with one glyph, code 65: name "T", five words,
// N 1, R 1, range 65..65, offset 58.
QByteArray oneGlyphHead()
{
    return QByteArray::fromHex("54" + QByteArray(35, ' ').toHex()
                               + "000300000080003f0080" "0001" "0001" "00410041" "0000003a");
}

QByteArray horizontalLineFnt()
{
    return oneGlyphHead()
           + QByteArray::fromHex("0080000100000000000000000000" // advance 128, one line
                                 "00000064" "00800064");        // (0,100) to (128,100)
}

QByteArray halfCircleFnt()
{
    return oneGlyphHead()
           + QByteArray::fromHex("0080000100000001000000000000" // advance 128, a line, an arc
                                 "00220028" "005e0028"          // (34,40) to (94,40)
                                 "00400028" "001e"              // centre (64,40), radius 30
                                 "00000000" "43340000");        // 0 to 180 degrees
}

struct Sheet
{
    QRect box;
    int baselineRow = -1;
    int originColumn = -1;
    int advanceColumn = -1;
    QList<QPoint> ink;
};

bool isInk(QRgb p) { return qMax(qMax(qRed(p), qGreen(p)), qBlue(p)) < 110; }
bool isBlue(QRgb p) { return qBlue(p) > qRed(p) + 60 && qBlue(p) > qGreen(p) + 30; }
bool isOrange(QRgb p) { return qRed(p) > qBlue(p) + 60; }

Sheet analyse(const QImage &image)
{
    Sheet sheet;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == qRgb(236, 240, 244))
                sheet.box |= QRect(x, y, 1, 1);
        }
    }
    const QRect &box = sheet.box;
    int bestBlue = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        int blue = 0;
        for (int x = box.left(); x <= box.right(); ++x)
            blue += isBlue(image.pixel(x, y));
        if (blue > bestBlue) {
            bestBlue = blue;
            sheet.baselineRow = y;
        }
    }
    for (int x = box.left(); x <= box.right(); ++x) {
        int orange = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            orange += isOrange(image.pixel(x, y));
        if (orange > box.height() / 2) {
            if (sheet.originColumn < 0)
                sheet.originColumn = x;
            sheet.advanceColumn = x;
        }
        for (int y = box.top(); y <= box.bottom(); ++y) {
            if (isInk(image.pixel(x, y)))
                sheet.ink.append(QPoint(x, y));
        }
    }
    return sheet;
}

QImage render(const QString &path)
{
    if (path.endsWith(QLatin1String(".png")))
        return QImage(path).convertToFormat(QImage::Format_RGB32);
    QSvgRenderer renderer(path);
    QImage image(renderer.defaultSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

int preview(const QStringList &arguments, QString *output = nullptr)
{
    QProcess process;
    process.start(QStringLiteral(VARNEL_CLI_PATH), QStringList{"preview"} + arguments);
    process.waitForFinished(-1);
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput()
                                         + process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

class PreviewTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void horizontalLine_data();
    void horizontalLine();
    void arcTurnsCounterClockwise_data();
    void arcTurnsCounterClockwise();
    void refusals_data();
    void refusals();

private:
    QString write(const QString &name, const QByteArray &bytes);
    QTemporaryDir m_dir;
};

void PreviewTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString PreviewTest::write(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

void PreviewTest::horizontalLine_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<double>("lineY");

    const QString fnt = write("line.fnt", horizontalLineFnt());
    // Height 8: a pen-up move of 5 lifts the pen to y = 5 / 8 * 128 + 63 = 143,
    // then a vector of 8 draws to x = 128.
    const QString shx = write("line.shx", shapeFont(8, {{65, definition("L", ShapeCode()
                                                                              .penUp().move(0, 5)
                                                                              .penDown().vector(8, 0))}}));
    QTest::newRow("FNT file to PNG") << fnt << "line-fnt.png" << 100.0;
    QTest::newRow("FNT file to SVG") << fnt << "line-fnt.svg" << 100.0;
    QTest::newRow("SHX font converted in memory") << shx << "line-shx.png" << 143.0;
}

void PreviewTest::horizontalLine()
{
    QFETCH(QString, input);
    QFETCH(QString, sheet);
    QFETCH(double, lineY);

    const QString out = m_dir.filePath(sheet);
    QString messages;
    QCOMPARE(preview({input, "-o", out}, &messages), 0);
    QVERIFY2(!messages.contains(QLatin1String("QStandardPaths")), qPrintable(messages));
    const Sheet s = analyse(render(out));
    QVERIFY(s.box.width() > 50);
    QVERIFY(s.baselineRow >= 0);
    QVERIFY(s.advanceColumn > s.originColumn);
    QVERIFY(!s.ink.isEmpty());

    // One row of ink (give or take the pen's width)...
    int top = s.ink.first().y(), bottom = top, left = s.ink.first().x(), right = left;
    for (const QPoint &p : s.ink) {
        top = qMin(top, p.y());
        bottom = qMax(bottom, p.y());
        left = qMin(left, p.x());
        right = qMax(right, p.x());
    }
    QVERIFY2(bottom - top <= 2, qPrintable(QStringLiteral("%1..%2").arg(top).arg(bottom)));
    // ...from the origin to the advance, 128 units...
    QVERIFY(qAbs(left - s.originColumn) <= 2);
    QVERIFY(qAbs(right - s.advanceColumn) <= 2);
    // ...and above the baseline (y = 63) by (lineY - 63) of those units.
    const double pixelsPerUnit = (s.advanceColumn - s.originColumn) / 128.0;
    const double expectedRise = (lineY - 63.0) * pixelsPerUnit;
    const double rise = s.baselineRow - (top + bottom) / 2.0;
    QVERIFY2(qAbs(rise - expectedRise) <= 2.0,
             qPrintable(QStringLiteral("rise %1, expected %2").arg(rise).arg(expectedRise)));
}

void PreviewTest::arcTurnsCounterClockwise_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::newRow("PNG") << "arc.png";
    QTest::newRow("SVG") << "arc.svg";
}

void PreviewTest::arcTurnsCounterClockwise()
{
    QFETCH(QString, sheet);

    // From 0 to 180 degrees counter-clockwise is the upper half: the arc
    // rises from the ends of its diameter to 30 units above it, and no ink
    // lies below the diameter.
    const QString out = m_dir.filePath(sheet);
    QCOMPARE(preview({write("arc.fnt", halfCircleFnt()), "-o", out}), 0);
    const Sheet s = analyse(render(out));
    const double pixelsPerUnit = (s.advanceColumn - s.originColumn) / 128.0;
    const double diameterRow = s.baselineRow + (63 - 40) * pixelsPerUnit;
    int top = s.box.bottom();
    for (const QPoint &p : s.ink) {
        QVERIFY2(p.y() <= diameterRow + 2, qPrintable(QStringLiteral("ink below at %1,%2")
                                                         .arg(p.x())
                                                         .arg(p.y())));
        top = qMin(top, p.y());
    }
    QVERIFY(qAbs((diameterRow - top) - 30 * pixelsPerUnit) <= 2.0);
}

void PreviewTest::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    const QString fnt = write("ok.fnt", horizontalLineFnt());
    const QString cut = write("cut.fnt", horizontalLineFnt().left(60));
    const QString out = m_dir.filePath("sheet.png");
    QTest::newRow("damaged FNT file") << QStringList{cut, "-o", out} << 1 << "not a valid FNT file";
    QTest::newRow("no glyph in the chosen codes") << QStringList{fnt, "-o", out, "--codes", "66-90"}
                                                  << 1 << "no glyph has a code from 66 to 90";
    QTest::newRow("codes the wrong way round") << QStringList{fnt, "-o", out, "--codes", "90-65"}
                                               << 2 << "--codes";
    QTest::newRow("picture of another kind") << QStringList{fnt, "-o", m_dir.filePath("x.jpg")}
                                             << 2 << "SHEET.png";
    QTest::newRow("missing font") << QStringList{m_dir.filePath("none.fnt"), "-o", out} << 1
                                  << "cannot read";
    QTest::newRow("codes in hex") << QStringList{fnt, "-o", out, "--codes", "0x41-U+41"} << 0
                                  << "Drew 1 glyph into";
}

void PreviewTest::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    QString messages;
    QCOMPARE(preview(arguments, &messages), exitCode);
    QVERIFY2(messages.contains(message), qPrintable(messages));
}

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    PreviewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PreviewTest.moc"
