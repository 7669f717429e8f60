// Writing an SHX font as SHP text for people: one record per shape in file
// order, one command per line, each record headed by its character. What
// the format's rules cannot say is written as Varnel's own `*!` records,
// and the text is compiled once more before it is handed out, so that no
// font ever loses a byte (docs/shp.md).
#include "job/ConversionJob.h"
#include "shp/Shp.h"
#include "shx/ShxReasons.h"

#include <QtEndian>

#include <algorithm>

namespace shp {

namespace {

// Plain bytes and the operands of a long list are wrapped at this width.
constexpr int kBytesPerLine = 24;
constexpr int kWrapAt = 100;
// Read past the end of the file when a command is cut short by it.
constexpr int kPadding = 16;

constexpr char kHex[] = "0123456789ABCDEF";

void appendDecimal(QByteArray &out, int value)
{
    char digits[12];
    int n = 0;
    const bool negative = value < 0;
    unsigned v = unsigned(negative ? -value : value);
    do {
        digits[n++] = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (negative)
        out.append('-');
    while (n > 0)
        out.append(digits[--n]);
}

// "014", "0FF", "08140": hexadecimal after a leading 0.
void appendHex(QByteArray &out, quint32 value, int digits)
{
    out.append('0');
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out.append(kHex[(value >> shift) & 0xF]);
}

// A signed byte in hexadecimal, as octant arcs are written: "-043".
void appendSignedHex(QByteArray &out, quint8 byte)
{
    if (byte >= 0x80)
        out.append('-');
    appendHex(out, byte >= 0x80 ? 256u - byte : byte, 2);
}

void appendPlainBytes(QByteArray &out, const char *bytes, qsizetype count, const char *note)
{
    for (qsizetype i = 0; i < count; ++i) {
        if (i > 0)
            out.append(i % kBytesPerLine == 0 ? '\n' : ',');
        appendDecimal(out, quint8(bytes[i]));
    }
    if (note)
        out.append(note);
    out.append('\n');
}

bool isPlainName(const QByteArray &name)
{
    if (name.size() > kMaxLineLength - 20 || name.startsWith(' ') || name.endsWith(' '))
        return false;
    return std::all_of(name.cbegin(), name.cend(),
                       [](char c) { return c >= 0x20 && c < 0x7F && c != ';'; });
}

class Writer
{
public:
    Writer(const QByteArray &shx, ConversionJob &job) : m_shx(shx), m_job(job) {}
    QByteArray text();

private:
    quint32 u16(qsizetype at) const;
    quint32 u32(qsizetype at) const;
    void writeRecord(const char *keyword, quint32 number, qsizetype start, qint64 length,
                     bool isShape);
    void writeCommands(qsizetype from, qsizetype to);
    void writeCommand(qsizetype from, qsizetype to);
    void writeOperands(const char *bytes, qsizetype count, int group, bool signedHexLast);
    void writeComment(quint32 number);

    const QByteArray &m_shx;
    ConversionJob &m_job; // loaded with the file and kPadding zero bytes
    QByteArray m_out;
    qsizetype m_lineStart = 0;
};

quint32 Writer::u16(qsizetype at) const
{
    return at + 2 <= m_shx.size() ? qFromLittleEndian<quint16>(m_shx.constData() + at) : 0;
}

quint32 Writer::u32(qsizetype at) const
{
    return at + 4 <= m_shx.size() ? qFromLittleEndian<quint32>(m_shx.constData() + at) : 0;
}

void Writer::writeComment(quint32 number)
{
    const bool big = isBigfont(m_job.fontKind);
    const quint16 code = m_job.mapCharCode(quint16(number));
    m_out.append("; ");
    if (big) {
        m_out.append("0x");
        m_out.append(QByteArray::number(number, 16).toUpper().rightJustified(4, '0'));
        m_out.append(' ');
    }
    m_out.append("U+");
    m_out.append(QByteArray::number(code, 16).toUpper().rightJustified(4, '0'));
    // Editors break lines at U+2028 and U+2029 too: those are named only.
    const QChar c(code);
    if (c.isPrint() && !c.isSurrogate() && code > 0x20 && c.category() != QChar::Separator_Line
        && c.category() != QChar::Separator_Paragraph)
        m_out.append(' ').append(QString(c).toUtf8());
    m_out.append('\n');
}

// One record: `*NUMBER,DEFBYTES,NAME` when the definition keeps the rules,
// `*!NUMBER,DEFBYTES,NAME` when it does not end with 0 or is cut short by the
// end of the file, `*!NUMBER,LENGTH` with the name as bytes when the name is
// not plain text.
void Writer::writeRecord(const char *keyword, quint32 number, qsizetype start, qint64 length,
                         bool isShape)
{
    start = qMin(start, m_shx.size()); // an offset past the end holds nothing
    const qsizetype held = qMin<qint64>(length, m_shx.size() - start);
    const char *def = m_shx.constData() + start;
    const qsizetype nameEnd = held > 0 ? QByteArray::fromRawData(def, held).indexOf('\0') : -1;
    const QByteArray name = nameEnd >= 0 ? QByteArray(def, nameEnd) : QByteArray();
    const bool named = nameEnd >= 0 && isPlainName(name);
    const qint64 declared = named ? length - nameEnd - 1 : length;
    const qsizetype specStart = nameEnd >= 0 ? start + nameEnd + 1 : start;
    const bool whole = held == length && length > (named ? nameEnd + 1 : 0)
                       && def[held - 1] == '\0';

    if (isShape && number != 0)
        writeComment(number);
    m_out.append(named && whole ? "*" : "*!");
    if (keyword)
        m_out.append(keyword);
    else if (number == 0)
        m_out.append('0');
    else
        appendHex(m_out, number, 4);
    m_out.append(',');
    appendDecimal(m_out, int(declared));
    if (named)
        m_out.append(',').append(name);
    m_out.append('\n');
    if (!named && nameEnd >= 0)
        appendPlainBytes(m_out, def, nameEnd + 1, " ; the name");
    // The font records hold numbers, not commands.
    if (nameEnd < 0 || number == 0)
        appendPlainBytes(m_out, m_shx.constData() + specStart, start + held - specStart, nullptr);
    else
        writeCommands(start + nameEnd + 1, start + held);
    m_out.append('\n');
}

void Writer::writeCommands(qsizetype from, qsizetype to)
{
    qsizetype at = from;
    while (at < to) {
        if (m_shx.at(at) == 0) {
            m_out.append("0\n");
            if (++at < to)
                appendPlainBytes(m_out, m_shx.constData() + at, to - at, " ; after the end");
            return;
        }
        const qsizetype end = m_job.commandEnd(quint32(at));
        if (end > to) {
            appendPlainBytes(m_out, m_shx.constData() + at, to - at, " ; cut short");
            return;
        }
        writeCommand(at, end);
        at = end;
    }
}

// One command on one line, its operands grouped as the format's readers
// expect: `8,(-24,0)`, `10,(2,-043)`, `14,` before the command it guards.
void Writer::writeCommand(qsizetype from, qsizetype to)
{
    m_lineStart = m_out.size();
    const char *bytes = m_shx.constData();
    qsizetype at = from;
    while (quint8(bytes[at]) == 14 && at + 1 < to) {
        m_out.append("14,");
        ++at;
    }
    const quint8 command = quint8(bytes[at]);
    const char *ops = bytes + at + 1;
    const qsizetype count = to - at - 1;
    if (command >= 15) {
        appendHex(m_out, command, 2);
    } else {
        appendDecimal(m_out, command);
        switch (command) {
        case 7:
            // The number's bytes in hexadecimal; a big font's placed form
            // (after a 0) adds origin, width and height.
            m_out.append(count > 1 ? ",(" : ",");
            for (qsizetype i = 0; i < count; ++i) {
                if (i > 0)
                    m_out.append(',');
                if (i < 3)
                    appendHex(m_out, quint8(ops[i]), 2);
                else
                    appendDecimal(m_out, qint8(ops[i]));
            }
            if (count > 1)
                m_out.append(')');
            break;
        case 8:
        case 9:
            writeOperands(ops, count, 2, false);
            break;
        case 10:
            writeOperands(ops, count, 2, true);
            break;
        case 11:
            writeOperands(ops, count, 5, true);
            break;
        case 12:
        case 13:
            writeOperands(ops, count, 3, false);
            break;
        default: // 3 and 4 take a factor; the rest nothing
            for (qsizetype i = 0; i < count; ++i) {
                m_out.append(',');
                appendDecimal(m_out, quint8(ops[i]));
            }
            break;
        }
    }
    m_out.append('\n');
}

// Operands in groups of `group` (the last group takes what is left, as the
// closing 0,0 of codes 9 and 13), signed, the last of a group in hexadecimal
// for octant arcs.
void Writer::writeOperands(const char *bytes, qsizetype count, int group, bool signedHexLast)
{
    for (qsizetype i = 0; i < count; i += group) {
        if (m_out.size() - m_lineStart > kWrapAt) {
            m_out.append('\n');
            m_lineStart = m_out.size();
        } else {
            m_out.append(',');
        }
        m_out.append('(');
        const qsizetype n = qMin<qsizetype>(group, count - i);
        for (qsizetype j = 0; j < n; ++j) {
            if (j > 0)
                m_out.append(',');
            const quint8 byte = quint8(bytes[i + j]);
            if (!signedHexLast)
                appendDecimal(m_out, qint8(byte));
            else if (j == group - 1)
                appendSignedHex(m_out, byte);
            else
                appendDecimal(m_out, byte); // offsets and radius are unsigned
        }
        m_out.append(')');
    }
}

QByteArray Writer::text()
{
    const qint32 kind = m_job.fontKind;
    const bool big = isBigfont(kind);
    const bool uni = isUnifont(kind);
    const qsizetype size = m_shx.size();
    qsizetype at = m_job.shxHeaderSize;
    m_out.reserve(size * 5);
    m_out.append("; ").append(fontKindName(kind)).append(", ");
    m_out.append(QByteArray::number(m_job.shapeMap.size())).append(" shapes\n\n");

    const QByteArray header = m_shx.left(at);
    if (header != defaultHeader(uni, big)) {
        m_out.append("*!HEADER,").append(QByteArray::number(header.size())).append('\n');
        appendPlainBytes(m_out, header.constData(), header.size(), nullptr);
        m_out.append('\n');
    }

    qsizetype end = at; // where the tables and definitions end
    if (big) {
        const quint32 count = u16(at + 2);
        const quint32 ranges = u16(at + 4);
        m_out.append("*BIGFONT ");
        appendDecimal(m_out, int(u16(at)));
        m_out.append(',');
        appendDecimal(m_out, int(ranges));
        at += 6;
        for (quint32 i = 0; i < 2 * ranges; ++i, at += 2) {
            m_out.append(i % 16 == 0 && i > 0 ? "\n" : ",");
            appendHex(m_out, u16(at), u16(at) > 0xFF ? 4 : 2);
        }
        m_out.append("\n\n");
        const qsizetype index = at;
        const qsizetype info = index + 8 * qsizetype(count);
        const qsizetype firstDefinition = count > 0 ? qsizetype(u32(index + 4)) : size;
        writeRecord(nullptr, 0, info, qMax<qint64>(0, firstDefinition - info), false);
        end = qMin(firstDefinition, size);
        for (quint32 i = 0; i < count; ++i) {
            const qsizetype entry = index + 8 * qsizetype(i);
            const qsizetype offset = qsizetype(u32(entry + 4));
            writeRecord(nullptr, u16(entry), offset, u16(entry + 2), true);
            end = qMax(end, qMin<qsizetype>(size, offset + u16(entry + 2)));
        }
    } else if (uni) {
        const quint32 count = u16(at);
        at += 2;
        for (quint32 i = 0; i < count; ++i) {
            const quint32 length = u16(at + 2);
            writeRecord(i == 0 ? "UNIFONT" : nullptr, u16(at), at + 4, length, i > 0);
            at += 4 + length;
        }
        end = qMin(at, size);
    } else {
        const QByteArray table = m_shx.mid(at, 4);
        const quint32 count = u16(at + 4);
        qsizetype definition = at + 6 + 4 * qsizetype(count);
        quint32 lowest = 0xFFFF;
        quint32 highest = 0;
        for (quint32 i = 0; i < count; ++i) {
            const quint32 number = u16(at + 6 + 4 * i);
            if (number != 0) {
                lowest = qMin(lowest, number);
                highest = qMax(highest, number);
            }
        }
        QByteArray computed;
        computed.append(char(lowest > highest ? 0 : lowest & 0xFF))
            .append(char(lowest > highest ? 0 : lowest >> 8))
            .append(char(highest & 0xFF))
            .append(char(highest >> 8));
        if (table != computed) {
            m_out.append("*!TABLE,4\n");
            appendPlainBytes(m_out, table.constData(), table.size(), nullptr);
            m_out.append('\n');
        }
        for (quint32 i = 0; i < count; ++i) {
            const quint32 length = u16(at + 6 + 4 * i + 2);
            writeRecord(nullptr, u16(at + 6 + 4 * i), definition, length, true);
            definition += length;
        }
        end = qMin(definition, size);
    }
    if (end < size) {
        m_out.append("*!TAIL,").append(QByteArray::number(size - end)).append('\n');
        appendPlainBytes(m_out, m_shx.constData() + end, size - end, nullptr);
    }
    return m_out;
}

QByteArray rawText(const QByteArray &shx, qint32 kind)
{
    QByteArray out;
    out.append("; ").append(fontKindName(kind)).append(
        ", its tables beyond what records describe: kept as bytes\n\n*!RAW,");
    out.append(QByteArray::number(shx.size())).append('\n');
    appendPlainBytes(out, shx.constData(), shx.size(), nullptr);
    return out;
}

} // namespace

QByteArray decompile(const QByteArray &shx, QString *reason, int codePage)
{
    ConversionJob job;
    if (!job.loadShxBytes(shx)) {
        if (reason)
            *reason = job.failure.reason;
        return {};
    }
    ConversionJob commands;
    commands.useCodePage = codePage >= 0;
    commands.codePageIndex = qMax(codePage, 0);
    commands.loadShxBytes(shx + QByteArray(kPadding, '\0'));
    QByteArray text = Writer(shx, commands).text();
    // The records describe the layouts that fonts are compiled in; a font
    // laid out otherwise (shared or shuffled definitions, a font record that
    // is not first) is kept whole.
    if (compile(text).shx != shx)
        text = rawText(shx, job.fontKind);
    if (text.size() > kMaxSourceBytes) {
        // What no command could read back is not written.
        if (reason)
            *reason = QStringLiteral("its text would take %1 bytes, more than the %2 a source may hold")
                          .arg(::shx::grouped(text.size()), ::shx::grouped(kMaxSourceBytes));
        return {};
    }
    return text;
}

} // namespace shp
