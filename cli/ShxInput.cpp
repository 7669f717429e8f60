#include "ShxInput.h"
#include "Inputs.h"

#include "io/FileAccess.h"
#include "job/ConversionJob.h"
#include "shp/Shp.h"
#include "shx/ShxReasons.h"

namespace cli {

bool isShxPath(const QString &path)
{
    return hasSuffixOf(path, {QStringLiteral("shx")});
}

bool isShpPath(const QString &path)
{
    return hasSuffixOf(path, {QStringLiteral("shp")});
}

QString errorCount(const shp::Messages &errors)
{
    const qint64 count = errors.count();
    return shx::grouped(count) + (count == 1 ? QStringLiteral(" error") : QStringLiteral(" errors"));
}

QString ShxInput::reason() const
{
    if (readFailure.isEmpty())
        return QStringLiteral("Failed to compile SHP file: ") + errorCount(errors);
    return (fromSource ? QStringLiteral("Failed to read SHP file") : outcomeText(ConversionOutcome::ReadFailed))
           + QStringLiteral(": ") + readFailure;
}

ShxInput readShxInput(const QString &path)
{
    ShxInput input;
    input.fromSource = isShpPath(path);
    const io::ReadResult read =
        io::readRegularFile(path, input.fromSource ? shp::kMaxSourceBytes : io::kMaxFontFileBytes);
    if (!read.ok) {
        input.readFailure = read.reason;
        return input;
    }
    if (!input.fromSource) {
        input.shx = read.bytes;
        input.ok = true;
        return input;
    }
    shp::Compiled compiled = shp::compile(read.bytes);
    input.records = compiled.records;
    input.warnings = compiled.warnings;
    input.errors = compiled.errors;
    input.shx = compiled.shx;
    input.ok = compiled.errors.isEmpty();
    return input;
}

} // namespace cli
