// Runs the byte code of one SHX shape and records its strokes.
#include "job/ConversionJob.h"

namespace {

enum Command : quint8 {
    EndOfShape = 0,
    PenDown = 1,
    PenUp = 2,
    DivideLengths = 3,
    MultiplyLengths = 4,
    PushLocation = 5,
    PopLocation = 6,
    Subshape = 7,
    Displacement = 8,
    Displacements = 9,
    OctantArc = 10,
    FractionalArc = 11,
    BulgeArc = 12,
    BulgeArcs = 13,
    VerticalOnly = 14,
    FirstVector = 15,
};

// The glyph's own shape and three levels of subshapes.
constexpr qint32 kMaxDepth = 4;

// Unit steps of the sixteen vector directions.
constexpr double kDirectionX[16] = {1, 1, 1, 0.5, 0, -0.5, -1, -1,
                                    -1, -1, -1, -0.5, 0, 0.5, 1, 1};
constexpr double kDirectionY[16] = {0, 0.5, 1, 1, 1, 1, 1, 0.5,
                                    0, -0.5, -1, -1, -1, -1, -1, -0.5};

bool closesRun(quint8 command)
{
    return command >= PenDown && command <= VerticalOnly && command != Displacement
           && command != Displacements;
}

} // namespace

// A name is read on every run of its shape, and a subshape can be run
// thousands of times: each byte is work like a command.
bool ConversionJob::skipNameCounted()
{
    quint8 byte = 0;
    do {
        if (!takeStep() || !readU8(byte))
            return false;
    } while (byte != 0);
    return true;
}

bool ConversionJob::interpretShape(quint16 number)
{
    const auto it = shapeMap.constFind(number);
    if (it == shapeMap.cend()) {
        if (subshapeDepth > 0) // called by a glyph as a subshape
            noteMissingSubshape(number);
        return false;
    }
    if (subshapeDepth >= kMaxDepth)
        return false;
    ++subshapeDepth;

    // A definition that starts outside the data is empty (readU8 fails).
    cursor = it.value() >= 0 ? quint32(it.value()) : dataSize();
    penDown = true;
    bool ok = true;
    quint8 command = EndOfShape;
    // Data that ends early ends the shape as if its end byte had been read.
    if (skipNameCounted()) {
        while (ok && takeStep() && readU8(command) && command != EndOfShape) {
            if (pendingPoints.size() >= 2 && closesRun(command))
                flushPendingPoints();
            ok = executeCommand(command, true);
        }
    }

    --subshapeDepth;
    if (pendingPoints.size() >= 2)
        flushPendingPoints();
    return ok;
}

// Reads one command's operands at `cursor` and, when `run` is set, carries the
// command out. Running a command and reading past one after code 14 share
// this one description of what follows each command byte. Returns false only
// when a subshape could not run, which ends the calling shapes.
bool ConversionJob::executeCommand(quint8 command, bool run)
{
    quint8 byte = 0;
    switch (command) {
    case PenDown:
    case PenUp:
        if (run)
            penDown = command == PenDown;
        break;
    case DivideLengths:
        // A divisor of 0 would make the scales infinite: ignore it.
        if (readU8(byte) && run && byte != 0) {
            scaleX /= double(byte);
            scaleY /= double(byte);
        }
        break;
    case MultiplyLengths:
        if (readU8(byte) && run) {
            scaleX *= double(byte);
            scaleY *= double(byte);
        }
        break;
    case PushLocation:
        if (run)
            positionStack.append(QPointF(currentX, currentY));
        break;
    case PopLocation:
        if (run && !positionStack.isEmpty()) {
            const QPointF point = positionStack.takeLast();
            currentX = point.x();
            currentY = point.y();
        }
        break;
    case Subshape:
        return drawSubshape(run);
    case Displacement:
        displaceOnce(run);
        break;
    case Displacements:
        displaceMany(run);
        break;
    case OctantArc: {
        quint8 radius = 0;
        qint8 spec = 0;
        if (readU8(radius) && readI8(spec) && run)
            octantArc(0, 0, double(radius), spec);
        break;
    }
    case FractionalArc: {
        quint8 startOffset = 0;
        quint8 endOffset = 0;
        quint8 high = 0;
        quint8 low = 0;
        qint8 spec = 0;
        if (readU8(startOffset) && readU8(endOffset) && readU8(high) && readU8(low)
            && readI8(spec) && run)
            octantArc(startOffset, endOffset, high * 256.0 + low, spec);
        break;
    }
    case BulgeArc:
        // A lone code 12 always takes its three operand bytes, also for the
        // pair 0,0, so the byte code stays aligned as the font was written.
        if (!bulgeArc(run))
            skipBytes(1);
        break;
    case BulgeArcs:
        while (takeStep() && bulgeArc(run)) {
        }
        break;
    case VerticalOnly:
        skipNextCommand();
        break;
    default:
        if (run)
            vectorStep(command);
        break;
    }
    return true;
}

quint32 ConversionJob::commandEnd(quint32 position)
{
    cursor = position;
    glyphStepsLeft = kMaxStepsPerGlyph;
    quint8 command = EndOfShape;
    if (readU8(command) && command != EndOfShape)
        executeCommand(command, false);
    return cursor;
}

// The move shared by vector bytes and codes 8 and 9.
// A move with the pen up leaves no points, not even a lone one from before.
void ConversionJob::moveBy(double dx, double dy)
{
    if (!penDown) {
        pendingPoints.clear();
        currentX += dx;
        currentY += dy;
        return;
    }
    if (pendingPoints.isEmpty())
        pendingPoints.append(QPointF(currentX, currentY));
    currentX += dx;
    currentY += dy;
    pendingPoints.append(QPointF(currentX, currentY));
}

void ConversionJob::vectorStep(quint8 byte)
{
    const int length = byte >> 4;
    const int direction = byte & 0x0F;
    if (length == 0)
        return;
    moveBy(kDirectionX[direction] * scaleX * length, kDirectionY[direction] * scaleY * length);
}

void ConversionJob::displaceOnce(bool run)
{
    qint8 dx = 0;
    qint8 dy = 0;
    if (readI8(dx) && readI8(dy) && run)
        moveBy(dx * scaleX, dy * scaleY);
}

// Code 9: the pair 0,0 ends the list (where code 8 moves by it).
void ConversionJob::displaceMany(bool run)
{
    qint8 dx = 0;
    qint8 dy = 0;
    while (takeStep() && readI8(dx) && readI8(dy) && (dx != 0 || dy != 0)) {
        if (run)
            moveBy(dx * scaleX, dy * scaleY);
    }
}

// Code 7. Its operands depend on the font kind: a big font gives one byte,
// or 0 and then the extended form (number, origin, width and height); a
// unifont gives the number high byte first; other fonts one byte.
bool ConversionJob::drawSubshape(bool run)
{
    quint8 high = 0;
    quint8 low = 0;
    bool extended = false;
    qint8 originX = 0;
    qint8 originY = 0;
    qint8 width = 0;
    qint8 height = 0;
    if (fontKind & kBigfontKind) {
        if (!readU8(low))
            return true;
        extended = low == 0;
        if (extended
            && (!readU8(high) || !readU8(low) || !readI8(originX) || !readI8(originY)
                || !readI8(width) || !readI8(height)))
            return true;
    } else if (fontKind & kUnifontKind) {
        if (!readU8(high) || !readU8(low))
            return true;
    } else if (!readU8(low)) {
        return true;
    }
    if (!run)
        return true;

    const quint16 number = quint16(high * 256 + low);
    const double savedScaleX = scaleX;
    const double savedScaleY = scaleY;
    const double savedX = currentX;
    const double savedY = currentY;
    if (extended) {
        // The origin moves the subshape and the width and height replace the
        // scales; all of it is undone when the subshape ends.
        currentX += originX;
        currentY += originY;
        if (bigfontHeight != 0) {
            scaleX = width / double(bigfontHeight);
            scaleY = height / double(bigfontHeight);
        }
    }

    const quint32 resume = cursor;
    const bool ok = interpretShape(number);
    cursor = resume;
    if (extended) {
        scaleX = savedScaleX;
        scaleY = savedScaleY;
        currentX = savedX;
        currentY = savedY;
    }
    return ok;
}

// Code 14: the next command is for vertical writing only, and glyphs are
// always made for horizontal writing, so it is read past, not executed.
void ConversionJob::skipNextCommand()
{
    quint8 command = 0;
    // A chain of 14s skips the command at its end; read it iteratively so a
    // long chain cannot exhaust the stack. Skipped bytes cost steps like
    // executed ones, or a subshape of skipped bytes would run for free.
    do {
        if (!takeStep() || !readU8(command))
            return;
    } while (command == VerticalOnly);
    executeCommand(command, false);
}
