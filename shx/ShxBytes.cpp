// The one bounds-checked way of reading shxBytes: every table reader and the
// interpreter read through these, so no read can pass the last byte.
#include "job/ConversionJob.h"

#include <QtEndian>

quint32 ConversionJob::dataSize() const
{
    return shxData ? quint32(shxBytes.size()) : 0;
}

// Compares the room left with n rather than computing cursor + n, which
// could wrap around.
bool ConversionJob::skipBytes(quint32 count)
{
    const quint32 size = dataSize();
    if (cursor > size || size - cursor < count) {
        cursor = size;
        return false;
    }
    cursor += count;
    return true;
}

bool ConversionJob::readU8(quint8 &value)
{
    if (cursor >= dataSize()) {
        cursor = dataSize();
        return false;
    }
    value = shxData[cursor++];
    return true;
}

bool ConversionJob::readI8(qint8 &value)
{
    quint8 byte = 0;
    if (!readU8(byte))
        return false;
    value = qint8(byte);
    return true;
}

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
