// Laying out parsed records as an SHX font of one of the three kinds.
#include "job/ConversionJob.h"
#include "shp/Shp.h"
#include "shx/ShxReasons.h"

#include <QtEndian>

#include <algorithm>

namespace shp {

namespace {

// The header text is padded to this width and ends with CR LF and 0x1A, so
// that a font typed out on a terminal shows its kind and stops there.
constexpr int kHeaderTextWidth = 21;

void appendU16(QByteArray &out, quint32 value)
{
    char bytes[2];
    qToLittleEndian<quint16>(quint16(value), bytes);
    out.append(bytes, 2);
}

void appendU32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian<quint32>(value, bytes);
    out.append(bytes, 4);
}

qint64 definitionSize(const Record &r)
{
    return r.hasName ? r.name.size() + 1 + r.declared : r.declared;
}

void appendDefinition(QByteArray &out, const Record &r)
{
    if (r.hasName)
        out.append(r.name).append('\0');
    out.append(r.bytes);
}

// Which records make up the font, checked for their order.
struct Parts
{
    const Record *header = nullptr;
    const Record *table = nullptr;
    const Record *raw = nullptr;
    const Record *info = nullptr; // *UNIFONT, or a big font's *0
    const Record *bigfont = nullptr;
    const Record *tail = nullptr;
    QList<const Record *> shapes; // a shape font's *0 among them
    bool unifont = false;
};

Parts sortRecords(const QList<Record> &records, Messages &errors)
{
    Parts parts;
    auto misplaced = [&errors](const Record &r, const QString &what) {
        errors.add(r.line, 1, what);
    };
    for (const Record &r : records) {
        const bool first = parts.shapes.isEmpty() && !parts.info && !parts.bigfont && !parts.table
                           && !parts.raw;
        if (parts.tail) {
            misplaced(r, QStringLiteral("*!TAIL is the last record of its font"));
            continue;
        }
        switch (r.kind) {
        case Record::Header:
            if (!first || parts.header)
                misplaced(r, QStringLiteral("*!HEADER comes first"));
            parts.header = &r;
            break;
        case Record::Raw:
            if (records.size() > 1)
                misplaced(r, QStringLiteral("*!RAW is the only record of its font"));
            parts.raw = &r;
            break;
        case Record::Unifont:
        case Record::Bigfont:
            if (!first)
                misplaced(r, QStringLiteral("*UNIFONT and *BIGFONT come first"));
            (r.kind == Record::Unifont ? parts.info : parts.bigfont) = &r;
            parts.unifont = r.kind == Record::Unifont;
            break;
        case Record::Table:
            if (!first)
                misplaced(r, QStringLiteral("*!TABLE comes before the shapes"));
            parts.table = &r;
            break;
        case Record::Tail:
            parts.tail = &r;
            break;
        case Record::Shape:
            if (parts.bigfont && !parts.info) {
                if (r.number != 0)
                    misplaced(r, QStringLiteral("*BIGFONT is followed by the font's *0 record"));
                parts.info = &r;
            } else {
                parts.shapes.append(&r);
            }
            break;
        }
    }
    if (parts.raw)
        return parts;
    const int line = records.isEmpty() ? 0 : records.first().line;
    if (records.isEmpty())
        errors.add(0, 0, QStringLiteral("the source holds no records"));
    else if (parts.bigfont && !parts.info)
        errors.add(line, 1, QStringLiteral("the big font has no *0 record after *BIGFONT"));
    else if (!parts.bigfont && !parts.unifont
             && std::none_of(parts.shapes.cbegin(), parts.shapes.cend(),
                             [](const Record *r) { return r->number == 0; }))
        errors.add(line, 1, QStringLiteral("the font has no *0 record"));
    if (parts.table && (parts.bigfont || parts.unifont || parts.table->declared != 4))
        errors.add(parts.table->line, 1,
                   QStringLiteral("*!TABLE holds the four bytes a shape font has before its count"));
    return parts;
}

QByteArray layOut(const Parts &parts)
{
    QByteArray out = parts.header ? parts.header->bytes
                                  : defaultHeader(parts.unifont, parts.bigfont != nullptr);
    if (parts.bigfont) {
        const QList<quint32> &values = parts.bigfont->values;
        appendU16(out, values.at(0));
        appendU16(out, quint32(parts.shapes.size()));
        for (qsizetype i = 1; i < values.size(); ++i)
            appendU16(out, values.at(i));
        qint64 offset = out.size() + 8 * parts.shapes.size() + definitionSize(*parts.info);
        for (const Record *r : parts.shapes) {
            appendU16(out, r->number);
            appendU16(out, quint32(definitionSize(*r)));
            appendU32(out, quint32(offset));
            offset += definitionSize(*r);
        }
        appendDefinition(out, *parts.info);
        for (const Record *r : parts.shapes)
            appendDefinition(out, *r);
    } else if (parts.unifont) {
        appendU16(out, quint32(parts.shapes.size() + 1));
        for (const Record *r : QList<const Record *>{parts.info} + parts.shapes) {
            appendU16(out, r->number);
            appendU16(out, quint32(definitionSize(*r)));
            appendDefinition(out, *r);
        }
    } else {
        if (parts.table) {
            out.append(parts.table->bytes);
        } else {
            // The lowest and highest shape numbers, the font record aside.
            quint32 lowest = 0xFFFF;
            quint32 highest = 0;
            for (const Record *r : parts.shapes) {
                if (r->number != 0) {
                    lowest = qMin(lowest, r->number);
                    highest = qMax(highest, r->number);
                }
            }
            appendU16(out, lowest > highest ? 0 : lowest);
            appendU16(out, highest);
        }
        appendU16(out, quint32(parts.shapes.size()));
        for (const Record *r : parts.shapes) {
            appendU16(out, r->number);
            appendU16(out, quint32(definitionSize(*r)));
        }
        for (const Record *r : parts.shapes)
            appendDefinition(out, *r);
    }
    if (parts.tail)
        out.append(parts.tail->bytes);
    return out;
}

} // namespace

QByteArray defaultHeader(bool unifont, bool bigfont)
{
    const char *text = bigfont ? "Varnel bigfont 1.0" : unifont ? "Varnel unifont 1.0"
                                                                : "Varnel shapes 1.1";
    return QByteArray(text).leftJustified(kHeaderTextWidth, ' ') + "\r\n\x1a";
}

Compiled compile(const QByteArray &text)
{
    Compiled out;
    if (text.size() > kMaxSourceBytes) {
        out.errors.add(0, 0, QStringLiteral("the source has %1 bytes, more than %2")
                                 .arg(shx::grouped(text.size()), shx::grouped(kMaxSourceBytes)));
        return out;
    }
    // A compiled font read as a source would give a screenful of faults;
    // its header text ends in CR LF and 0x1A, which no source holds.
    if (text.left(kMaxLineLength).contains("\r\n\x1a")) {
        out.errors.add(1, 1, QStringLiteral("this is a compiled SHX font, not SHP text"));
        return out;
    }
    Source source = parse(text);
    out.records = source.records.size();
    out.errors = source.errors;
    out.warnings = source.warnings;
    if (!out.errors.isEmpty())
        return out;
    const Parts parts = sortRecords(source.records, out.errors);
    if (!out.errors.isEmpty())
        return out;
    if (parts.raw) {
        out.shx = parts.raw->bytes;
    } else {
        qint64 size = (parts.header ? parts.header->bytes.size() : 32) + 16
                      + (parts.tail ? parts.tail->bytes.size() : 0)
                      + (parts.bigfont ? 2 * parts.bigfont->values.size() : 0)
                      + (parts.info ? definitionSize(*parts.info) + 4 : 0);
        for (const Record *r : parts.shapes)
            size += 8 + definitionSize(*r);
        if (size > kMaxFileBytes) {
            out.errors.add(0, 0, QStringLiteral("the font would take %1 bytes, more than %2")
                                     .arg(shx::grouped(size), shx::grouped(kMaxFileBytes)));
            return out;
        }
        out.shx = layOut(parts);
    }
    // What the loader refuses is no font, whatever the records said.
    ConversionJob job;
    if (!job.loadShxBytes(out.shx)) {
        out.errors.add(0, 0, QStringLiteral("the compiled font would not load: %1")
                                 .arg(job.failure.reason));
        out.shx.clear();
    }
    return out;
}

} // namespace shp
