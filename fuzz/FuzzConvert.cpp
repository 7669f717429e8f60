// libFuzzer target: any bytes, converted in memory as an SHX file.
//
// Beyond what the sanitizers catch, a converted image must hold together:
// counts, ranges, offsets and record lengths agree and the file ends with
// the last record. A 16-bit count that wrapped would make a reader lose its
// way, so that is a finding too.
#include "job/ConversionJob.h"

#include <QByteArray>
#include <QtEndian>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr qsizetype kNameLength = 36;
constexpr qsizetype kGlyphCountPos = 46;
constexpr qsizetype kRangeCountPos = 48;
constexpr qsizetype kRecordHead = 14;

class BigEndianReader
{
public:
    explicit BigEndianReader(const QByteArray &bytes) : m_bytes(bytes) {}

    bool at(qsizetype pos)
    {
        if (pos < 0 || pos > m_bytes.size())
            return false;
        m_pos = pos;
        return true;
    }
    qsizetype pos() const { return m_pos; }
    bool u16(quint32 &value)
    {
        if (m_pos > m_bytes.size() - 2)
            return false;
        value = qFromBigEndian<quint16>(m_bytes.constData() + m_pos);
        m_pos += 2;
        return true;
    }
    bool u32(quint32 &value)
    {
        if (m_pos > m_bytes.size() - 4)
            return false;
        value = qFromBigEndian<quint32>(m_bytes.constData() + m_pos);
        m_pos += 4;
        return true;
    }
    bool skip(qint64 count)
    {
        if (count < 0 || count > m_bytes.size() - m_pos)
            return false;
        m_pos += count;
        return true;
    }

private:
    const QByteArray &m_bytes;
    qsizetype m_pos = 0;
};

// Walks one glyph record and leaves the reader behind it.
bool skipRecord(BigEndianReader &in)
{
    quint32 advance = 0, lineCount = 0, polylineCount = 0, arcCount = 0;
    if (!in.u16(advance) || !in.u16(lineCount) || !in.u16(polylineCount) || !in.u16(arcCount)
        || !in.skip(kRecordHead - 8) || !in.skip(qint64(lineCount) * 8))
        return false;
    for (quint32 i = 0; i < polylineCount; ++i) {
        quint32 points = 0;
        if (!in.u16(points) || points < 3 || !in.skip(qint64(points) * 4))
            return false;
    }
    return in.skip(qint64(arcCount) * 14);
}

bool imageIsConsistent(const QByteArray &image)
{
    BigEndianReader in(image);
    quint32 glyphCount = 0;
    if (!in.at(kGlyphCountPos) || !in.u16(glyphCount))
        return false;
    if (glyphCount == 0)
        return image.size() == kRangeCountPos;

    quint32 rangeCount = 0;
    if (!in.u16(rangeCount) || rangeCount == 0)
        return false;
    quint64 enumerated = 0;
    for (quint32 i = 0; i < rangeCount; ++i) {
        quint32 first = 0, last = 0;
        if (!in.u16(first) || !in.u16(last) || last < first)
            return false;
        enumerated += last - first + 1;
    }
    if (enumerated != glyphCount)
        return false;

    const qsizetype offsetTable = in.pos();
    qsizetype expected = offsetTable + qsizetype(glyphCount) * 4;
    for (quint32 k = 0; k < glyphCount; ++k) {
        quint32 offset = 0;
        BigEndianReader record(image);
        if (!in.at(offsetTable + qsizetype(k) * 4) || !in.u32(offset) || offset != expected
            || !record.at(offset) || !skipRecord(record))
            return false;
        expected = record.pos();
    }
    return expected == image.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // fromRawData keeps libFuzzer's exactly sized buffer, so a read one byte
    // past the end is caught; a copy would have slack and a terminating zero.
    const QByteArray shx = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                   qsizetype(size));
    ConversionJob job;
    const ConversionOutcome outcome = job.convertBytes(shx, QStringLiteral("fuzz"));
    if (outcome == ConversionOutcome::Converted
        && (job.fntBytes.left(kNameLength) != QByteArray("fuzz").leftJustified(kNameLength)
            || !imageIsConsistent(job.fntBytes)))
        std::abort();
    return 0;
}
