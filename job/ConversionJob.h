// ConversionJob: all state of one SHX to FNT conversion, and its operations.
//
// The operations are spread over one source file per concern: loading and the
// table readers in shx/, the interpreter, arcs and the geometry store in
// shape/, the FNT header, glyph records, code mapping and writing in fnt/.
#pragma once

#include "fnt/CodePageDecoder.h"
#include "fnt/FntBytes.h"
#include "job/CodePage.h"
#include "job/ConversionFailure.h"
#include "job/FontKind.h"
#include "shape/GlyphGeometry.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPointF>
#include <QString>

class ConversionJob
{
public:
    // Bits of fontKind that later stages test.
    static constexpr qint32 kBigfontKind = qint32(FontKind::Bigfont);
    static constexpr qint32 kUnifontKind = qint32(FontKind::Unifont);
    // minX and maxX both at this value: the glyph has drawn nothing yet.
    static constexpr qint32 kEmptyExtent = -256;

    ConversionJob();
    ~ConversionJob();
    ConversionJob(const ConversionJob &) = delete;
    ConversionJob &operator=(const ConversionJob &) = delete;

    void reset();

    // The whole conversion with its message box (needs Qt Widgets: defined
    // in the GUI library). Returns 0 on success, 1 on failure.
    int run();
    // The same conversion without any message box.
    ConversionOutcome convert();
    // The same rules on bytes held in memory: no file is read or written.
    // `name` stands for the input file's base name.
    ConversionOutcome convertBytes(const QByteArray &shx, const QString &name);

    // Loads an SHX file, or bytes held in memory, and reads its tables
    // without building anything: shapeMap, fontKind, above and the code page
    // are known afterwards.
    bool loadShx(const QString &path);
    bool loadShxBytes(const QByteArray &bytes);
    // The FNT code a shape number gets, once a font is loaded.
    quint16 mapCharCode(quint16 code);
    // The SHX file as loaded.
    const QByteArray &loadedShx() const { return shxBytes; }
    // Where the command that starts at `position` of the loaded bytes ends,
    // its operands read as the interpreter reads them (a code 14 with the
    // command it guards); nothing is drawn. The end of the data when the
    // command runs past it.
    quint32 commandEnd(quint32 position);

private:
    // Steps of the conversion, each in the source file of its concern.
    int detectFontKind();
    bool readShapeTable();
    bool readBigfontTable();

    bool interpretShape(quint16 number);
    bool drawSubshape(bool run = true);
    void displaceOnce(bool run = true);
    void displaceMany(bool run = true);
    void vectorStep(quint8 byte);
    void skipNextCommand();
    void octantArc(quint8 startOffset, quint8 endOffset, double radius, qint8 spec);
    bool bulgeArc(bool run = true);
    // `startTrig` and `endTrig`: cosine and sine of start and end, where
    // the caller has worked them out already.
    void addArc(double centerX, double centerY, double start, double end, double radius,
                const double *startTrig = nullptr, const double *endTrig = nullptr);

    QPointF toFntPoint(const QPointF &point);
    void flushPendingPoints();
    void resetGlyph();

    void buildFntHeader();
    void buildFntGlyphs();
    bool buildFnt();
    bool buildAndWriteFnt(const QString &path);
    bool writeFntFile(const QString &path);

    // ---- fields, in this order ------------------------------------------
    // The creator sets the paths and the code page choice; the results of
    // loading and building are public to read. The interpreter's and the
    // geometry store's scratch state is private.
public:
    QString shxPath;                     // input SHX path
    QString fntPath;                     // output FNT path
    QMap<quint16, qint32> shapeMap;      // shape number -> definition position in shxBytes
    QList<quint16> codeList;             // character codes of all shapes, ascending
private:
    QByteArray shxBytes;                 // the whole SHX file
    const quint8 *shxData = nullptr;     // first byte of shxBytes, set where it is loaded
public:
    QByteArray fntBytes;                 // the FNT image being built
    QString fontName;                    // base name of the SHX file
    qint32 orientationFlags = 0;         // bit value 2: vertical writing (never set)
    qint32 codePageKind = 0;             // a CodePage value
    qint32 fontKind = 0;                 // a FontKind value
    qint32 above = 0;                    // font height in shape units
    quint8 bigfontHeight = 0;            // a big font's character height
    qint32 fntWordA = fnt::kWordA;       // first FNT header word, always 3
    qint32 fntWordB = fnt::kWordB;       // second FNT header word, always 0
    qint32 fntHeight = fnt::kHeight;     // FNT units per `above`, vertically
    qint32 fntBaseline = fnt::kBaseline; // FNT y of the shape baseline
    qint32 fntWidth = fnt::kWidth;       // FNT units per `above`, horizontally
private:
    quint32 cursor = 0;                  // read position in shxBytes
    qint32 subshapeDepth = 0;            // interpretShape calls running
public:
    bool useCodePage = false;            // the dialog's code page box was checked
    qint32 codePageIndex = 0;            // the chosen code page item (CodePage order)
private:
    qint32 minX = -256;                  // least x of the glyph (-256 with maxX: empty)
    qint32 maxX = -256;                  // greatest x of the glyph
    qint32 minY = 0;                     // least y over all glyphs so far
    qint32 baselinePos = 0;              // position of the baseline word in fntBytes
    bool penDown = true;
    double currentX = 0.0;               // current point, shape units
    double currentY = 0.0;
    double scaleX = 0.0;                 // vector scale factors
    double scaleY = 0.0;
    QList<QPointF> positionStack;        // points saved by code 5
    QList<QPointF> pendingPoints;        // the current pen-down run, shape units
    QByteArray glyphBytes;               // encoded record of the current glyph
    double xShift = 0.0;                 // x offset of the shape-to-FNT transform
    QList<GlyphLine> lines;
    QList<GlyphPolyline> polylines;
    QList<GlyphArc> arcs;

public:
    // ---- results beyond the fields above --------------------------------
    // Length of the SHX header text, up to and including its end mark.
    quint32 shxHeaderSize = 0;
    // A big font's escape ranges as the file gives them: first, last, ...
    QList<quint16> escapeRanges;
    // What a person should look at even though the conversion succeeds:
    // glyph -> the subshape numbers it calls that the font does not have.
    QMap<quint16, QList<quint16>> missingSubshapes;
    // Glyphs cut short because their subshapes nest more than four levels
    // deep, in shape number order.
    QList<quint16> tooDeepGlyphs;
    // The first thing that went wrong in this conversion; reset() clears it.
    ConversionFailure failure;

private:
    // Tests look at the scratch state through this one class.
    friend struct ConversionJobProbe;

    // ---- implementation state beyond the fields above -------------------
    // Subshapes multiply work: four levels of a 64 KiB definition calling
    // the next level thousands of times would run for days. A step is a
    // command, an operand pair or triple of codes 9 and 13, or a byte read
    // past (names, skipped commands). A real glyph takes a few hundred steps,
    // a real font a few million, so these bounds never touch one; a hostile
    // shape simply ends when its share is spent, as if its end byte had been
    // read. One step adds at most one element or point to a glyph (the first
    // move of a run adds two), so every count of a record fits its 16 bits.
    static constexpr qint64 kMaxStepsPerGlyph = 65534;
    static constexpr qint64 kMaxStepsPerFont = qint64(1) << 24;
    // An arc takes about eight times as long to work out as a straight move.
    static constexpr qint64 kStepsPerArc = 8;
    // The largest real font we know gives 1.5 MB; the step budgets alone
    // would still let short glyphs that repeat a long run ask for 134 MB.
    static constexpr qint64 kMaxFntBytes = qint64(16) << 20;
    qint64 glyphStepsLeft = 0;
    qint64 fontStepsLeft = 0;
    qint64 firstRunSteps = 0;            // steps the last glyph's first run took
    CodePageDecoder decoder;             // one per conversion, for mapCharCode

    quint16 glyphInProgress = 0;         // the glyph drawGlyph is running
    void noteMissingSubshape(quint16 number);

    // Record a failure (only the first one counts) and return false, so a
    // reader can say `return failRead(...)` where it finds the fault.
    bool failRead(const QString &reason, qint64 position = -1);
    bool failWrite(const QString &reason, qint64 position = -1);

    // Bounds-checked reads of shxBytes at `cursor`. Each returns false, and
    // leaves `cursor` at the end of the data, when the value is not all there.
    // The short ones are defined below, inline: the interpreter reads every
    // operand through them.
    bool readU8(quint8 &value);
    bool readI8(qint8 &value);
    bool readU16LE(quint16 &value);
    bool readU32LE(quint32 &value);
    bool skipBytes(quint32 count);
    bool skipName();
    quint32 dataSize() const;

    // shapeMap[number] = position; tables list numbers mostly in order, so
    // the end of the map is tried first.
    void storeShape(quint16 number, qint32 position)
    {
        shapeMap.insert(shapeMap.cend(), number, position);
    }
    // Counts one unit of work against the glyph's share (the font's share
    // is handed out glyph by glyph, by drawGlyph).
    bool takeStep()
    {
        if (glyphStepsLeft <= 0)
            return false;
        --glyphStepsLeft;
        return true;
    }
    bool skipNameCounted();
    void drawGlyph(quint16 shape, double shift, bool again = false);
    bool executeCommand(quint8 command, bool run);
    void moveBy(double dx, double dy);
    qsizetype glyphRecordSize() const;
    void encodeGlyph(qint32 advance, double shift);
    void failImageTooLarge(quint16 code);
    void shiftExtents(double shift);

    // Per arc of the glyph, beside `arcs`: the x reach of its end points
    // from the centre, its radius in FNT units, and whether it passes its
    // leftmost or rightmost point. Enough to widen the extents again for a
    // shifted copy without drawing the glyph again.
    struct ArcReach
    {
        double startDx;
        double endDx;
        double radius;
        bool passesLeft;
        bool passesRight;
    };
    QList<ArcReach> arcReaches;
    // The first x that started the extents, and whether they were started
    // again later (a glyph whose points all lay at x = -256 so far looks
    // empty): then only drawing it again gives the shifted extents.
    double firstMappedX = 0.0;
    bool extentStarted = false;
    bool extentRestarted = false;
    QList<QList<QPointF>> spareLists;    // point lists of earlier polylines, for reuse
    QList<quint16> mappedCodes;          // mapCharCode of each shape, in shapeMap order
    void mapShapeCodes();                // fills mappedCodes
    QByteArray glyphRecords;             // the records of all glyphs, in shapeMap order
    QList<qsizetype> recordEnds;         // where each shape's record ends in glyphRecords
    // A y field that a raised baseline does not simply move by the rise
    // (see raisesExactly): where it stands in glyphRecords, and its height
    // above the baseline, from which it is written again.
    struct ExactHeight
    {
        qsizetype position;
        double height;
    };
    QList<ExactHeight> exactHeights;
    void keepExactHeight(qsizetype position, double height);
    void raiseGlyphRecords(qint64 rise);
    void placeGlyphRecords();
};

// Inline: called for every point the interpreter records.
inline QPointF ConversionJob::toFntPoint(const QPointF &point)
{
    // Divide first, then scale: the other order rounds differently, and the
    // file holds truncated integers.
    const double x = point.x() / double(above) * double(fntWidth) + xShift;
    // Returned above the baseline: the encoder adds it, as the last addition,
    // so a raised baseline needs no second drawing of the glyph.
    const double y = point.y() / double(above) * double(fntHeight);
    const double raised = y + double(fntBaseline);

    if (minX == kEmptyExtent && maxX == kEmptyExtent) {
        extentRestarted = extentRestarted || extentStarted;
        extentStarted = true;
        firstMappedX = x;
        minX = maxX = truncToInt(x);
    } else {
        raiseExtent(maxX, x);
        lowerExtent(minX, x);
    }
    lowerExtent(minY, raised);
    return QPointF(x, y);
}

inline quint32 ConversionJob::dataSize() const
{
    return shxData ? quint32(shxBytes.size()) : 0;
}

inline bool ConversionJob::readU8(quint8 &value)
{
    const quint32 size = dataSize();
    if (cursor >= size) {
        cursor = size;
        return false;
    }
    value = shxData[cursor++];
    return true;
}

inline bool ConversionJob::readI8(qint8 &value)
{
    quint8 byte = 0;
    if (!readU8(byte))
        return false;
    value = qint8(byte);
    return true;
}

// Compares the room left with n rather than computing cursor + n, which
// could wrap around.
inline bool ConversionJob::skipBytes(quint32 count)
{
    const quint32 size = dataSize();
    if (cursor > size || size - cursor < count) {
        cursor = size;
        return false;
    }
    cursor += count;
    return true;
}

// The outcome's message, translated under the context "QObject".
QString outcomeTitle(ConversionOutcome outcome);
QString outcomeText(ConversionOutcome outcome);
