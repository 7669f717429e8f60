// Construction, reset and the conversion itself, without user interface.
#include "job/ConversionJob.h"

#include <QObject>

#include <new>

ConversionJob::ConversionJob()
{
    reset();
}

ConversionJob::~ConversionJob() = default;

void ConversionJob::reset()
{
    orientationFlags = 0;
    codePageKind = qint32(CodePage::None);
    fontKind = qint32(FontKind::Unrecognised);
    above = 0;
    bigfontHeight = 0;

    fntWordA = fnt::kWordA;
    fntWordB = fnt::kWordB;
    fntHeight = fnt::kHeight;
    fntBaseline = fnt::kBaseline;
    fntWidth = fnt::kWidth;

    cursor = 0;
    shxData = nullptr;
    shxBytes.clear();
    shxHeaderSize = 0;
    escapeRanges.clear();
    fntBytes.clear();

    shapeMap = {};
    codeList = {};
    mappedCodes = {};

    subshapeDepth = 0;
    minY = 0;

    fontStepsLeft = kMaxStepsPerFont;
    decoder.setCodePage(0);
    failure = {};
    missingSubshapes.clear();
    tooDeepGlyphs.clear();
    glyphInProgress = 0;
}

void ConversionJob::noteMissingSubshape(quint16 number)
{
    QList<quint16> &numbers = missingSubshapes[glyphInProgress];
    if (!numbers.contains(number))
        numbers.append(number);
}

namespace {

bool record(ConversionFailure &failure, ConversionOutcome outcome, const QString &reason,
            qint64 position)
{
    if (!failure.failed())
        failure = {outcome, reason, position};
    return false;
}

} // namespace

bool ConversionJob::failRead(const QString &reason, qint64 position)
{
    return record(failure, ConversionOutcome::ReadFailed, reason, position);
}

bool ConversionJob::failWrite(const QString &reason, qint64 position)
{
    return record(failure, ConversionOutcome::WriteFailed, reason, position);
}

namespace {

// Running out of memory fails this one font with the reason, never the
// program: a batch goes on with the next font, the dialog stays open. What
// the font held is given back first.
template <typename Conversion>
ConversionOutcome withinMemory(ConversionJob &job, Conversion conversion)
{
    try {
        return conversion();
    } catch (const std::bad_alloc &) {
        job.reset();
        job.failure = {ConversionOutcome::ReadFailed,
                       QStringLiteral("not enough memory to convert this font"), -1};
        return ConversionOutcome::ReadFailed;
    }
}

} // namespace

ConversionOutcome ConversionJob::convert()
{
    return withinMemory(*this, [this] {
        reset();
        if (shxPath.isEmpty()) {
            failRead(QStringLiteral("no input file named"));
            return ConversionOutcome::ReadFailed;
        }
        if (!loadShx(shxPath)) {
            failRead(QStringLiteral("not a font this program can read"));
            return ConversionOutcome::ReadFailed;
        }
        if (fntPath.isEmpty()) {
            failWrite(QStringLiteral("no output file named"));
            return ConversionOutcome::WriteFailed;
        }
        // Every way building or writing can fail records its reason; a font
        // too large to build is a read failure.
        if (!buildAndWriteFnt(fntPath))
            return failure.outcome;
        return ConversionOutcome::Converted;
    });
}

ConversionOutcome ConversionJob::convertBytes(const QByteArray &shx, const QString &name)
{
    return withinMemory(*this, [&] {
        reset();
        fontName = name;
        if (!loadShxBytes(shx)) {
            failRead(QStringLiteral("not a font this program can read"));
            return ConversionOutcome::ReadFailed;
        }
        if (!buildFnt())
            return failure.outcome;
        return ConversionOutcome::Converted;
    });
}

QString outcomeTitle(ConversionOutcome outcome)
{
    return outcome == ConversionOutcome::Converted ? QObject::tr("Information")
                                                   : QObject::tr("Warning");
}

QString outcomeText(ConversionOutcome outcome)
{
    switch (outcome) {
    case ConversionOutcome::Converted:
        return QObject::tr("Converted successfully");
    case ConversionOutcome::ReadFailed:
        return QObject::tr("Failed to read SHX file");
    case ConversionOutcome::WriteFailed:
        break;
    }
    return QObject::tr("Failed to write FNT file");
}
