// A sheet of glyphs drawn from an FNT font.
#include "GlyphSheet.h"
#include "Codes.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace cli {

namespace {

constexpr double kGlyphPixels = 96.0; // the longer side of every glyph box
constexpr double kMinCellWidth = 72.0; // room for a code and its character
constexpr double kPadding = 6.0;
constexpr double kLabelHeight = 16.0;
constexpr double kMargin = 12.0;
constexpr double kTitleHeight = 26.0;
constexpr int kColumns = 16;
constexpr double kMinSheetWidth = 420.0;
constexpr int kTitlePixels = 15;

const QColor kPage(255, 255, 255);
const QColor kBox(236, 240, 244); // tinted, so no grey of anti-aliased text matches it
const QColor kBaseline(70, 130, 220);
const QColor kAdvance(230, 120, 40);
const QColor kInk(0, 0, 0);
const QColor kLabel(90, 90, 90);
const QColor kClipped(200, 30, 30);
// Names longer than this are cut; a cell has room for a few words.
constexpr int kNameShown = 16;

// How far from the font's own box a glyph may reach and still set the
// scale of every cell: twice the height above and below the baseline, one
// width left of the origin and three to its right (wide glyphs).
bool nearFontBox(const fnt::FntFont &font, const fnt::FntExtents &box, double advance)
{
    const double height = font.height > 0 ? font.height : 128.0;
    const double width = font.width > 0 ? font.width : 128.0;
    const double left = -width;
    const double right = 3 * width;
    const double bottom = font.baseline - 2 * height;
    const double top = font.baseline + 2 * height;
    const bool strokesInside = box.empty
                               || (box.minX >= left && box.maxX <= right && box.minY >= bottom
                                   && box.maxY <= top);
    return strokesInside && advance >= left && advance <= right;
}

// Guides are one pixel wide, on pixel centres, so they stay crisp.
double pixelCentre(double value)
{
    return std::floor(value) + 0.5;
}

QString label(quint16 code, const QString &name)
{
    QString text = cli::formatCode(code);
    const QChar character(code);
    const bool shown = character.isPrint() && !character.isSurrogate() && !character.isSpace();
    if (shown)
        text += QStringLiteral(" ") + character;
    // A shape named after its own character says nothing more.
    if (!name.isEmpty() && !(shown && name == QString(character)))
        text += QStringLiteral(" ")
                + (name.size() > kNameShown ? name.left(kNameShown - 1) + QChar(0x2026) : name);
    return text;
}

} // namespace

GlyphSheet::GlyphSheet(const fnt::FntFont &font, const QList<int> &glyphIndexes,
                       const QHash<quint16, QString> &names)
    : m_font(font), m_indexes(glyphIndexes), m_names(names)
{
    // One frame for all cells, so glyphs compare at a glance: every stroke,
    // the origin on the baseline and every advance of the glyphs near the
    // font's box. One stray glyph must not shrink all the others to dots;
    // when none is near, the font is drawn whole as it is.
    QList<fnt::FntExtents> boxes;
    boxes.reserve(m_indexes.size());
    m_clipped.fill(false, m_indexes.size());
    bool anyNear = false;
    for (int cell = 0; cell < m_indexes.size(); ++cell) {
        const fnt::FntGlyph &glyph = font.glyphs.at(m_indexes.at(cell));
        boxes.append(glyph.extents());
        m_clipped[cell] = !nearFontBox(font, boxes.last(), glyph.advance);
        anyNear = anyNear || !m_clipped.at(cell);
    }
    if (!anyNear)
        m_clipped.fill(false);
    fnt::FntExtents frame;
    frame.add(0.0, font.baseline);
    for (int cell = 0; cell < m_indexes.size(); ++cell) {
        if (m_clipped.at(cell))
            continue;
        frame.unite(boxes.at(cell));
        frame.add(font.glyphs.at(m_indexes.at(cell)).advance, font.baseline);
    }
    double width = frame.maxX - frame.minX;
    double height = frame.maxY - frame.minY;
    // Room for stroke width at the edges.
    const double pad = std::max({width, height, 1.0}) * 0.05;
    m_left = frame.minX - pad;
    m_bottom = frame.minY - pad;
    width += 2 * pad;
    height += 2 * pad;
    m_scale = kGlyphPixels / std::max(width, height);
    m_boxSize = QSizeF(width * m_scale, height * m_scale);
    m_cellSize = QSizeF(std::max(m_boxSize.width(), kMinCellWidth) + 2 * kPadding,
                        kLabelHeight + m_boxSize.height() + 2 * kPadding);

    // Big fonts get a squarer sheet rather than one endless column.
    const int count = int(m_indexes.size());
    m_columns = std::max(1, std::min(count, kColumns));
    if (count > kColumns * kColumns)
        m_columns = int(std::ceil(std::sqrt(double(count))));
    const int rows = std::max(1, (count + m_columns - 1) / m_columns);
    m_title = QStringLiteral("%1  \u2014  %2 of %3 glyphs, baseline %4")
                  .arg(font.name())
                  .arg(m_indexes.size())
                  .arg(font.glyphCount)
                  .arg(font.baseline);
    if (clippedCount() > 0)
        m_title += QStringLiteral(", %1 far outside the font's box (clipped, red)").arg(clippedCount());
    QFont titleFont;
    titleFont.setPixelSize(kTitlePixels);
    const double titleWidth = QFontMetricsF(titleFont).horizontalAdvance(m_title);
    m_size = QSize(int(std::ceil(std::max({kMinSheetWidth, 2 * kMargin + titleWidth,
                                           2 * kMargin + m_columns * m_cellSize.width()}))),
                   int(std::ceil(2 * kMargin + kTitleHeight + rows * m_cellSize.height())));
}

QRectF GlyphSheet::glyphBox(int cell) const
{
    const double left = kMargin + (cell % m_columns) * m_cellSize.width() + kPadding;
    const double top = kMargin + kTitleHeight + (cell / m_columns) * m_cellSize.height() + kPadding
                       + kLabelHeight;
    return QRectF(QPointF(std::round(left), std::round(top)), m_boxSize);
}

QPointF GlyphSheet::toSheet(const QRectF &box, double x, double y) const
{
    return QPointF(box.left() + (x - m_left) * m_scale, box.bottom() - (y - m_bottom) * m_scale);
}

void GlyphSheet::paint(QPainter &painter) const
{
    painter.fillRect(QRectF(QPointF(0, 0), QSizeF(m_size)), kPage);
    QFont font = painter.font();
    font.setPixelSize(kTitlePixels);
    painter.setFont(font);
    painter.setPen(kInk);
    painter.drawText(QRectF(kMargin, kMargin, m_size.width() - 2 * kMargin, kTitleHeight),
                     Qt::AlignLeft | Qt::AlignTop, m_title);

    font.setPixelSize(11);
    painter.setFont(font);
    for (int cell = 0; cell < m_indexes.size(); ++cell)
        paintCell(painter, cell, m_font.glyphs.at(m_indexes.at(cell)), m_clipped.at(cell));
}

void GlyphSheet::paintCell(QPainter &painter, int cell, const fnt::FntGlyph &glyph,
                           bool clipped) const
{
    const QRectF box = glyphBox(cell);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(clipped ? kClipped : kLabel);
    painter.drawText(QRectF(box.left(), box.top() - kLabelHeight,
                            m_cellSize.width() - 2 * kPadding, kLabelHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, label(glyph.code, m_names.value(glyph.code)));
    painter.fillRect(box, kBox);

    painter.save();
    painter.setClipRect(box);
    const QPointF baselineAt = toSheet(box, 0.0, m_font.baseline);
    painter.setPen(QPen(kBaseline, 1.0));
    painter.drawLine(QPointF(box.left(), pixelCentre(baselineAt.y())),
                     QPointF(box.right(), pixelCentre(baselineAt.y())));
    painter.setPen(QPen(kAdvance, 1.0));
    for (const double x : {0.0, double(glyph.advance)}) {
        const double at = pixelCentre(toSheet(box, x, 0.0).x());
        painter.drawLine(QPointF(at, box.top()), QPointF(at, box.bottom()));
    }
    // Strokes stay in their cell, however far they reach.
    paintStrokes(painter, box, glyph);
    painter.restore();

    if (clipped) {
        // A red frame and a corner flag: this glyph is not all there.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(kClipped, 2.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.adjusted(1, 1, -1, -1));
        const double flag = std::min(box.width(), box.height()) / 5;
        painter.setPen(Qt::NoPen);
        painter.setBrush(kClipped);
        painter.drawPolygon(QPolygonF{box.topRight(), box.topRight() - QPointF(flag, 0),
                                      box.topRight() + QPointF(0, flag)});
        painter.setBrush(Qt::NoBrush);
    }
}

void GlyphSheet::paintStrokes(QPainter &painter, const QRectF &box, const fnt::FntGlyph &glyph) const
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    for (const fnt::FntLine &line : glyph.lines)
        painter.drawLine(toSheet(box, line.x1, line.y1), toSheet(box, line.x2, line.y2));
    for (const fnt::FntPolyline &polyline : glyph.polylines) {
        QPolygonF points;
        for (const QPoint &point : polyline.points)
            points.append(toSheet(box, point.x(), point.y()));
        painter.drawPolyline(points);
    }
    for (const fnt::FntArc &arc : glyph.arcs) {
        if (!std::isfinite(arc.startAngle) || !std::isfinite(arc.endAngle) || arc.radius == 0)
            continue;
        // A negative radius puts each point on the opposite side of the centre.
        const double radius = std::abs(double(arc.radius));
        const double start = std::fmod(double(arc.startAngle), 360.0) + (arc.radius < 0 ? 180.0 : 0.0);
        const double sweep = std::min(double(arc.endAngle) - double(arc.startAngle), 360.0);
        const QPointF centre = toSheet(box, arc.centerX, arc.centerY);
        const double r = radius * m_scale;
        const QRectF circle(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
        // The sheet's y runs down and the painter's angles turn the same
        // way on screen as the font's do on paper: counter-clockwise.
        QPainterPath path;
        path.arcMoveTo(circle, start);
        path.arcTo(circle, start, sweep);
        painter.drawPath(path);
    }
}

} // namespace cli
