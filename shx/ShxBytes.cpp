// The one bounds-checked way of reading shxBytes: every table reader and the
// interpreter read through these, so no read can pass the last byte. The
// one-byte reads and skipBytes are inline, in job/ConversionJob.h.
#include "job/ConversionJob.h"

#include <QtEndian>

bool ConversionJob::readU16LE(quint16 &value)
{
    const quint32 size = dataSize();
    if (cursor > size || size - cursor < 2) {
        cursor = size;
        return false;
    }
    value = qFromLittleEndian<quint16>(shxData + cursor);
    cursor += 2;
    return true;
}

bool ConversionJob::readU32LE(quint32 &value)
{
    const quint32 size = dataSize();
    if (cursor > size || size - cursor < 4) {
        cursor = size;
        return false;
    }
    value = qFromLittleEndian<quint32>(shxData + cursor);
    cursor += 4;
    return true;
}

// Passes over a zero-terminated name, its zero byte included.
bool ConversionJob::skipName()
{
    quint8 byte = 0;
    do {
        if (!readU8(byte))
            return false;
    } while (byte != 0);
    return true;
}
