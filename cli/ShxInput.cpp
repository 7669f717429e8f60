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

ShxInput readShxInput(const QString &path)
{
    ShxInput input;
    input.fromSource = isShpPath(path);
    const io::ReadResult read =
        io::readRegularFile(path, input.fromSource ? shp::kMaxSourceBytes : io::kMaxFontFileBytes);
    if (!read.ok) {
        input.reason = (input.fromSource ? QStringLiteral("Failed to read SHP file")
                                         : outcomeText(ConversionOutcome::ReadFailed))
                       + QStringLiteral(": ") + read.reason;
        return input;
    }
    if (!input.fromSource) {
        input.shx = read.bytes;
        input.ok = true;
        return input;
    }
    const shp::Compiled compiled = shp::compile(read.bytes);
    const QString shown = io::printablePath(path);
    input.records = compiled.records;
    input.warnings = compiled.warnings.lines(shown, QStringLiteral("warning: "));
    input.errors = compiled.errors.lines(shown);
    if (!compiled.errors.isEmpty()) {
        input.reason = QStringLiteral("Failed to compile SHP file: ") + errorCount(compiled.errors);
        return input;
    }
    input.shx = compiled.shx;
    input.ok = true;
    return input;
}

} // namespace cli
