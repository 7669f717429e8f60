// SHP, the text source of SHX fonts: reading it (ShpParser.cpp), compiling
// it into the three SHX layouts (ShxCompiler.cpp) and writing any SHX font
// the loader accepts back as text (ShpWriter.cpp), so that compiling the
// text gives the same bytes again. docs/shp.md describes the text.
#pragma once

#include "io/FileAccess.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace shp {

// The bounds of the SHX side: 16-bit shape counts and definition lengths,
// and the size every command reads, for the source and the font it makes.
constexpr qint64 kMaxShapes = 0xFFFF;
constexpr qint64 kMaxDefinitionBytes = 0xFFFF;
constexpr qint64 kMaxFileBytes = io::kMaxFontFileBytes;
// A font's text takes about three times its bytes (a byte such as 0xBD is
// written "-043,"), so a source may be four times the size of a font: every
// font the loader takes can be written as text and read back.
constexpr qint64 kMaxSourceBytes = 4 * io::kMaxFontFileBytes;
constexpr int kMaxLineLength = 128;
// A source with more faults than this shows the first ones and a count.
constexpr int kMaxShownMessages = 20;

struct Message
{
    int line = 0;   // 1-based; 0: the file as a whole
    int column = 0; // 1-based, in bytes
    QString text;
};

struct Messages
{
    QList<Message> shown; // the first kMaxShownMessages
    qint64 more = 0;      // how many more there were
    qint64 count() const { return shown.size() + more; }
    void add(int line, int column, const QString &text);
    // The same, with the text worded only when it is shown: a source of
    // millions of faults is counted, not worded.
    template<typename Text>
    void addLazily(int line, int column, Text &&text)
    {
        if (shown.size() < kMaxShownMessages)
            add(line, column, text());
        else
            ++more;
    }
    bool isEmpty() const { return shown.isEmpty(); }
    // "PATH:LINE:COLUMN: [prefix]text" per message, then "and N more".
    QStringList lines(const QString &path, const QString &prefix = QString()) const;
};

// One `*` record and the bytes of the lines under it.
struct Record
{
    enum Kind { Shape, Unifont, Bigfont, Header, Table, Tail, Raw };
    Kind kind = Shape;
    // Written `*!`: the record is taken as it stands, and what breaks the
    // format's rules is a warning, not an error.
    bool kept = false;
    // A kept shape record without a name field lists its whole definition,
    // name bytes included, and its number is the index's length field.
    bool hasName = true;
    quint32 number = 0;
    qint64 declared = 0; // DEFBYTES (LENGTH for a record without a name)
    QByteArray name;
    QByteArray bytes;
    QList<quint32> values; // *BIGFONT: NCHARS, NRANGES, then the ranges
    int line = 0;
};

struct Source
{
    QList<Record> records;
    Messages errors;
    Messages warnings;
};

// Reads the records of a source; errors carry their line and column.
Source parse(const QByteArray &text);

struct Compiled
{
    QByteArray shx; // empty when there are errors
    qint64 records = 0; // `*` records read
    Messages errors;
    Messages warnings;
};

// Parses and lays out a source as the SHX font it describes; the result is
// checked by the loader itself.
Compiled compile(const QByteArray &text);

// The source of an SHX font that the loader accepts, such that compiling it
// gives these bytes again. Empty, with the loader's reason, otherwise.
// `codePage`: the code page item (CodePage order) under which a big font's
// comments name its characters; -1, the one detected from the font.
QByteArray decompile(const QByteArray &shx, QString *reason = nullptr, int codePage = -1);

// The header text a compiled font of each kind starts with.
QByteArray defaultHeader(bool unifont, bool bigfont);

} // namespace shp
