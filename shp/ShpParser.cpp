// Reading SHP text into records; every fault is reported with its line and
// column, as a compiler does, and reading goes on to find the next one.
#include "io/FileAccess.h"
#include "shp/Shp.h"
#include "shx/ShxReasons.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace shp {

void Messages::add(int line, int column, const QString &text)
{
    if (shown.size() < kMaxShownMessages)
        shown.append(Message{line, column, text});
    else
        ++more;
}

QStringList Messages::lines(const QString &path, const QString &prefix) const
{
    // In the order of the text, as a compiler prints them: a record's count
    // is only checked once its bytes have been read.
    QList<Message> sorted = shown;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Message &a, const Message &b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    QStringList out;
    for (const Message &m : std::as_const(sorted)) {
        out << (m.line > 0 ? QStringLiteral("%1:%2:%3: %4%5")
                                 .arg(path).arg(m.line).arg(m.column).arg(prefix, m.text)
                           : QStringLiteral("%1: %2%3").arg(path, prefix, m.text));
    }
    if (more > 0)
        out << QStringLiteral("%1: %2and %3 more").arg(path, prefix, shx::grouped(more));
    return out;
}

namespace {

// Numbers saturate here: far past every bound, far from overflowing.
constexpr qint64 kHuge = qint64(1) << 40;

// The first `c` in [begin, end), or end.
const char *find(const char *begin, const char *end, char c)
{
    if (begin >= end)
        return end;
    const void *found = std::memchr(begin, c, size_t(end - begin));
    return found ? static_cast<const char *>(found) : end;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

// Decimal, or hexadecimal after a leading 0 ("012" is 18), with an optional
// minus sign.
bool readNumber(const char *begin, const char *end, qint64 &value)
{
    const bool negative = begin < end && *begin == '-';
    if (negative)
        ++begin;
    if (begin == end)
        return false;
    const bool hex = *begin == '0' && end - begin > 1;
    qint64 v = 0;
    for (const char *p = begin; p < end; ++p) {
        const char c = *p;
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return false;
        v = qMin(v * (hex ? 16 : 10) + digit, kHuge);
    }
    value = negative ? -v : v;
    return true;
}

// A field as written, shortened so an endless one cannot flood the terminal,
// and with control characters and bytes outside ASCII escaped, so that it
// cannot drive it either.
QString quoted(const char *begin, const char *end)
{
    constexpr qsizetype kShown = 24;
    const QString text =
        io::printableBytes(QByteArray::fromRawData(begin, qMin<qsizetype>(end - begin, kShown)));
    return QStringLiteral("\"%1%2\"").arg(text, end - begin > kShown ? QStringLiteral("...")
                                                                      : QString());
}

// The end of the line that starts at `p`: a line ends with LF, CR LF or a
// CR alone, as files written on any system do.
const char *lineEndOf(const char *p, const char *end)
{
    while (p < end && *p != '\n' && *p != '\r')
        ++p;
    return p;
}

// A value in a message: hexadecimal, as shape numbers are usually written.
QString shownValue(qint64 value, const char *begin, const char *end)
{
    if (value <= -kHuge || value >= kHuge)
        return quoted(begin, end);
    return (value < 0 ? QStringLiteral("-0x") : QStringLiteral("0x"))
           + QString::number(qAbs(value), 16).toUpper();
}

struct Keyword
{
    const char *text;
    Record::Kind kind;
    bool keptOnly; // only as Varnel's own `*!` record
};

constexpr Keyword kKeywords[] = {
    {"UNIFONT", Record::Unifont, false}, {"BIGFONT", Record::Bigfont, false},
    {"HEADER", Record::Header, true},    {"TABLE", Record::Table, true},
    {"TAIL", Record::Tail, true},        {"RAW", Record::Raw, true},
};

class Parser
{
public:
    explicit Parser(Source &source) : m_source(source) {}
    void run(const QByteArray &text);

private:
    template<typename Text>
    void error(int column, Text &&text)
    {
        m_source.errors.addLazily(m_line, column, std::forward<Text>(text));
    }
    int columnOf(const char *p) const { return int(qMin<qint64>(p - m_lineStart + 1, INT_MAX)); }
    void readRecordLine(const char *begin, const char *end);
    bool readFields(const char *begin, const char *end);
    void readBytes(const char *begin, const char *end);
    void finishRecord();
    bool number(const char *begin, const char *end, qint64 &value, const QString &what);

    Source &m_source;
    const char *m_lineStart = nullptr;
    int m_line = 0;
    bool m_open = false;   // a record is being read
    Record m_record;       // the record being read
    qint64 m_held = 0;     // its bytes, also past those kept
    int m_declaredColumn = 0;
    int m_lastByteLine = 0;
    int m_lastByteColumn = 0;
    qint64 m_shapes = 0;
    qint64 m_errorsBefore = 0; // errors before the record's line: its own are those past
};

bool Parser::number(const char *begin, const char *end, qint64 &value, const QString &what)
{
    if (readNumber(begin, end, value))
        return true;
    error(columnOf(begin), [&] {
        return begin == end ? QStringLiteral("%1 is missing").arg(what)
                            : QStringLiteral("%1 is not a number").arg(quoted(begin, end));
    });
    return false;
}

void Parser::run(const QByteArray &text)
{
    const char *p = text.constData();
    const char *const end = p + text.size();
    while (p < end) {
        m_line = int(qMin<qint64>(qint64(m_line) + 1, INT_MAX));
        m_lineStart = p;
        const char *lineEnd = lineEndOf(p, end);
        const char *next = lineEnd;
        if (next < end && *next == '\r')
            ++next;
        if (next < end && *next == '\n')
            ++next;
        if (lineEnd - p > kMaxLineLength)
            error(kMaxLineLength + 1, [&] {
                return QStringLiteral("the line has %1 characters, more than %2")
                    .arg(shx::grouped(lineEnd - p))
                    .arg(kMaxLineLength);
            });
        const char *stop = find(p, lineEnd, ';');
        const char *b = p;
        while (b < stop && isBlank(*b))
            ++b;
        while (stop > b && isBlank(stop[-1]))
            --stop;
        if (b < stop) {
            if (*b == '*')
                readRecordLine(b, stop);
            else
                readBytes(b, stop);
        }
        p = next;
    }
    finishRecord();
}

void Parser::readRecordLine(const char *begin, const char *end)
{
    finishRecord();
    m_errorsBefore = m_source.errors.count();
    m_record = Record();
    m_record.line = m_line;
    m_held = 0;
    m_declaredColumn = 1;
    m_lastByteLine = 0;
    const char *p = begin + 1;
    m_record.kept = p < end && *p == '!';
    if (m_record.kept)
        ++p;

    const char *word = p;
    while (p < end && ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z')))
        ++p;
    if (p > word) {
        const Keyword *found = nullptr;
        for (const Keyword &k : kKeywords) {
            if (qstrnicmp(word, p - word, k.text) == 0 && (m_record.kept || !k.keptOnly))
                found = &k;
        }
        if (!found) {
            error(1, [&] { return QStringLiteral("unknown record %1").arg(quoted(begin, end)); });
            return;
        }
        m_record.kind = found->kind;
        if (m_record.kind == Record::Bigfont) {
            m_open = true;
            if (p < end && (isBlank(*p) || *p == ','))
                readBytes(p + 1, end);
            return;
        }
        if (m_record.kind == Record::Unifont) {
            m_open = readFields(p, end);
            return;
        }
        // *!HEADER,N and the like: a byte count, then the bytes.
        qint64 count = 0;
        m_declaredColumn = columnOf(p + 1);
        if (p == end || *p != ',' || !number(p + 1, end, count, QStringLiteral("the byte count")))
            return;
        if (count < 0 || count > kMaxFileBytes) {
            error(m_declaredColumn,
                  [&] { return QStringLiteral("%1 is not a byte count").arg(quoted(p + 1, end)); });
            return;
        }
        m_record.declared = count;
        m_open = true;
        return;
    }

    // *NUMBER,DEFBYTES,NAME
    while (p < end && isBlank(*p))
        ++p;
    const char *comma = find(p, end, ',');
    const char *numberEnd = comma;
    while (numberEnd > p && isBlank(numberEnd[-1]))
        --numberEnd;
    qint64 value = 0;
    if (!number(p, numberEnd, value, QStringLiteral("the shape number")))
        return;
    if (value < 0 || value > 0xFFFF) {
        error(1, [&] {
            return QStringLiteral("%1 is not a shape number").arg(shownValue(value, p, numberEnd));
        });
        return;
    }
    m_record.number = quint32(value);
    m_open = readFields(comma, end);
}

// ",DEFBYTES,NAME" of a shape or *UNIFONT record.
bool Parser::readFields(const char *p, const char *end)
{
    if (p == end || *p != ',') {
        error(columnOf(p), [] { return QStringLiteral("the record has no byte count"); });
        return false;
    }
    ++p;
    const char *comma = find(p, end, ',');
    const char *countEnd = comma;
    const char *countBegin = p;
    while (countBegin < countEnd && isBlank(*countBegin))
        ++countBegin;
    const char *trimmed = countEnd;
    while (trimmed > countBegin && isBlank(trimmed[-1]))
        --trimmed;
    m_declaredColumn = columnOf(countBegin);
    qint64 count = 0;
    if (!number(countBegin, trimmed, count, QStringLiteral("the byte count")))
        return false;
    // A record without a name field lists the name's bytes too (kept only;
    // elsewhere the name is simply empty).
    m_record.hasName = comma < end || !m_record.kept;
    const char *name = comma < end ? comma + 1 : end;
    while (name < end && isBlank(*name))
        ++name;
    // Checked before the name is taken, so an endless one is never copied.
    const qint64 definition = count + (m_record.hasName ? (end - name) + 1 : 0);
    if (count < 0 || definition > kMaxDefinitionBytes) {
        error(m_declaredColumn, [&] {
            return count < 0 ? QStringLiteral("%1 is not a byte count").arg(quoted(countBegin, trimmed))
                             : QStringLiteral("the definition takes %1 bytes, more than %2")
                                   .arg(shx::grouped(definition), shx::grouped(kMaxDefinitionBytes));
        });
        return false;
    }
    // The font ends a name at its first zero byte: one written in the name
    // would turn the rest of it into commands.
    if (const char *zero = find(name, end, '\0'); zero < end) {
        error(columnOf(zero), [] { return QStringLiteral("the name holds a zero byte"); });
        return false;
    }
    m_record.name = QByteArray(name, end - name);
    m_record.declared = count;
    if (++m_shapes == kMaxShapes + 1)
        error(1, [] {
            return QStringLiteral("the font has more than %1 shapes").arg(shx::grouped(kMaxShapes));
        });
    return true;
}

void Parser::readBytes(const char *begin, const char *end)
{
    if (!m_open) {
        if (m_record.line == 0)
            error(columnOf(begin), [] { return QStringLiteral("bytes before the first record"); });
        return; // the record line's own error has been said
    }
    const bool values = m_record.kind == Record::Bigfont;
    const qint64 keep = m_record.kind == Record::Raw || m_record.kind == Record::Tail
                            ? kMaxFileBytes
                            : kMaxDefinitionBytes;
    const char *p = begin;
    for (;;) {
        const char *comma = find(p, end, ',');
        const char *fieldEnd = comma;
        const char *b = p;
        const char *e = fieldEnd;
        while (b < e && (isBlank(*b) || *b == '('))
            ++b;
        while (e > b && (isBlank(e[-1]) || e[-1] == ')'))
            --e;
        qint64 value = 0;
        if (b == e) {
            if (comma < end || p == begin) // a comma at the end of a line is allowed
                error(columnOf(b), [] { return QStringLiteral("an empty field"); });
        } else if (number(b, e, value, QString())) {
            if (values) {
                if (value < 0 || value > 0xFFFF) {
                    error(columnOf(b), [&] {
                        return QStringLiteral("%1 is not a 16-bit number").arg(quoted(b, e));
                    });
                } else {
                    // Counted past those kept: the count is checked against NRANGES.
                    if (m_held < 2 * 0xFFFF + 2)
                        m_record.values.append(quint32(value));
                    ++m_held;
                }
            } else if (value < -128 || value > 255) {
                error(columnOf(b), [&] { return QStringLiteral("%1 is not a byte").arg(quoted(b, e)); });
            } else {
                if (m_held < keep)
                    m_record.bytes.append(char(value & 0xFF));
                ++m_held;
                m_lastByteLine = m_line;
                m_lastByteColumn = columnOf(b);
            }
        }
        if (comma == end)
            break;
        p = comma + 1;
    }
}

void Parser::finishRecord()
{
    if (!m_open)
        return;
    m_open = false;
    const Record &r = m_record;
    Messages &errors = m_source.errors;
    // A byte refused is not held: the count and the final 0 of a record
    // with errors of its own would only repeat them.
    if (errors.count() > m_errorsBefore) {
        if (m_shapes <= kMaxShapes)
            m_source.records.append(std::move(m_record));
        m_record = Record();
        return;
    }
    const auto count = [&] {
        return QStringLiteral("the record says %1 bytes and holds %2")
            .arg(shx::grouped(r.declared), shx::grouped(m_held));
    };
    if (r.kind == Record::Bigfont) {
        const qint64 ranges = r.values.size() > 1 ? r.values.at(1) : -1;
        if (m_held < 2 || m_held != 2 + 2 * ranges)
            errors.addLazily(r.line, 1, [&] {
                return QStringLiteral("*BIGFONT needs NCHARS, NRANGES and two numbers per range; "
                                      "it has %1 numbers")
                    .arg(shx::grouped(m_held));
            });
    } else if (r.kind != Record::Shape && r.kind != Record::Unifont) {
        if (m_held != r.declared)
            errors.addLazily(r.line, m_declaredColumn, count);
    } else {
        QStringList broken;
        // Fewer bytes than declared: a font whose file ends inside it.
        if (m_held > r.declared || (m_held < r.declared && !r.kept))
            errors.addLazily(r.line, m_declaredColumn, count);
        else if (m_held < r.declared)
            broken << count();
        if (r.hasName && (m_held == 0 || r.bytes.back() != 0)) {
            if (!r.kept)
                errors.addLazily(m_lastByteLine ? m_lastByteLine : r.line,
                                 m_lastByteLine ? m_lastByteColumn : 1,
                                 [] { return QStringLiteral("the record does not end with 0"); });
            else
                broken << QStringLiteral("it does not end with 0");
        }
        if (!r.hasName)
            broken << QStringLiteral("its name is given as bytes");
        if (r.kept)
            m_source.warnings.addLazily(r.line, 1, [&] {
                return QStringLiteral("record kept as written%1%2")
                    .arg(broken.isEmpty() ? "" : ": ", broken.join(QStringLiteral(", ")));
            });
    }
    if (m_shapes <= kMaxShapes)
        m_source.records.append(std::move(m_record));
    m_record = Record();
}

} // namespace

Source parse(const QByteArray &text)
{
    Source source;
    Parser(source).run(text);
    return source;
}

} // namespace shp
