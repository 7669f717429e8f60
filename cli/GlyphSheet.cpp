// A sheet of glyphs drawn from an FNT font.
#include "GlyphSheet.h"
#include "Codes.h"

#include "fnt/FontBox.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

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
// One pixel: thin lines take the toolkit's fast path; a full sheet of long strokes
// drawn 1.5 pixels wide took three times as long.
constexpr double kPenWidth = 1.0;

const QColor kPage(255, 255, 255);
const QColor kBox(236, 240, 244); // tinted, so no grey of anti-aliased text matches it
const QColor kBaseline(70, 130, 220);
const QColor kAdvance(230, 120, 40);
const QColor kInk(0, 0, 0);
const QColor kLabel(90, 90, 90);
const QColor kClipped(200, 30, 30);

// Cuts the segment a-b to `clip` (Liang and Barsky); false when no part
// of it lies inside.
bool clipSegment(const QRectF &clip, QPointF &a, QPointF &b)
{
    const QPointF d = b - a;
    const double p[4] = {-d.x(), d.x(), -d.y(), d.y()};
    const double q[4] = {a.x() - clip.left(), clip.right() - a.x(), a.y() - clip.top(),
                         clip.bottom() - a.y()};
    double enter = 0.0;
    double leave = 1.0;
    for (int side = 0; side < 4; ++side) {
        if (p[side] == 0.0) {
            if (q[side] < 0.0)
                return false; // parallel to this side and outside it
            continue;
        }
        const double t = q[side] / p[side];
        if (p[side] < 0.0)
            enter = std::max(enter, t);
        else
            leave = std::min(leave, t);
        if (enter > leave)
            return false;
    }
    const QPointF from = a;
    if (enter > 0.0)
        a = from + enter * d;
    if (leave < 1.0)
        b = from + leave * d;
    return true;
}

// The runs of a polyline's segments that show in `clip`, each drawn as one
// polyline so that its joins stay joins.
void paintPolyline(QPainter &painter, const QRectF &clip, const QPolygonF &points)
{
    QPolygonF run;
    const auto flush = [&] {
        if (run.size() > 1)
            painter.drawPolyline(run);
        run.clear();
    };
    for (qsizetype i = 1; i < points.size(); ++i) {
        QPointF a = points.at(i - 1);
        QPointF b = points.at(i);
        if (!clipSegment(clip, a, b)) {
            flush();
            continue;
        }
        if (run.isEmpty() || a != points.at(i - 1)) {
            flush();
            run << a;
        }
        run << b;
        if (b != points.at(i))
            flush();
    }
    flush();
}

// The painter's angle (degrees, counter-clockwise on screen) from `centre`
// to `point`.
double angleTo(const QPointF &centre, const QPointF &point)
{
    return qRadiansToDegrees(std::atan2(centre.y() - point.y(), point.x() - centre.x()));
}

// Draws the part of an arc (painter angles, sweep 0 to 360) that can show in
// `clip`. A circle wider than the clip's diagonal has its centre outside the
// clip, which it sees under less than 180 degrees: only that window of the
// arc is drawn, so a nearly straight arc of a huge circle costs what a short
// line does.
void paintArc(QPainter &painter, const QRectF &clip, const QPointF &centre, double radius,
              double start, double sweep)
{
    const QRectF circle(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    if (!circle.intersects(clip))
        return;
    const auto draw = [&](double from, double span) {
        QPainterPath path;
        path.arcMoveTo(circle, from);
        path.arcTo(circle, from, span);
        painter.drawPath(path);
    };
    if (radius <= std::hypot(clip.width(), clip.height())) {
        draw(start, sweep);
        return;
    }
    const double middle = angleTo(centre, clip.center());
    double low = 0.0;
    double high = 0.0;
    for (const QPointF &corner :
         {clip.topLeft(), clip.topRight(), clip.bottomLeft(), clip.bottomRight()}) {
        const double offset = std::remainder(angleTo(centre, corner) - middle, 360.0);
        low = std::min(low, offset);
        high = std::max(high, offset);
    }
    // The window just before the arc's start and one turn later meet every
    // part of the arc.
    double from = middle + low;
    from -= 360.0 * std::ceil((from - start) / 360.0);
    for (int turn = 0; turn < 2; ++turn, from += 360.0) {
        const double first = std::max(start, from);
        const double last = std::min(start + sweep, from + high - low);
        if (last > first)
            draw(first, last - first);
    }
}

// The rectangle (in FNT units, y up) that shows `frame` with room for the
// pen at its edges.
QRectF padded(const fnt::FntExtents &frame)
{
    const double width = frame.maxX - frame.minX;
    const double height = frame.maxY - frame.minY;
    const double pad = std::max({width, height, 1.0}) * 0.05;
    return QRectF(frame.minX - pad, frame.minY - pad, width + 2 * pad, height + 2 * pad);
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
        text += QStringLiteral(" ") + name;
    return text;
}

} // namespace

qint64 strokeCount(const fnt::FntGlyph &glyph)
{
    qint64 strokes = glyph.lines.size() + glyph.arcs.size();
    for (const fnt::FntPolyline &polyline : glyph.polylines)
        strokes += polyline.points.size();
    return strokes;
}

GlyphSheet::GlyphSheet(const fnt::FntFont &font, const QList<int> &glyphIndexes,
                       const QHash<quint16, QString> &names)
    : m_font(font), m_indexes(glyphIndexes), m_names(names)
{
    // One view for all cells, so glyphs compare at a glance: every stroke,
    // the origin on the baseline and every advance of the glyphs near the
    // font's box. A glyph far from it gets a view of its own that shows its
    // strokes large, so that it neither shrinks the others to dots nor
    // leaves its own cell empty.
    m_framed.fill(false, m_indexes.size());
    QList<fnt::FntExtents> strokes(m_indexes.size());
    fnt::FntExtents frame;
    frame.add(0.0, font.baseline);
    bool anyNear = false;
    for (int cell = 0; cell < m_indexes.size(); ++cell) {
        const fnt::FntGlyph &glyph = font.glyphs.at(m_indexes.at(cell));
        fnt::FntExtents &drawn = strokes[cell];
        drawn = glyph.extents();
        m_framed[cell] = fnt::reachesFar(font, drawn, glyph.advance);
        if (!m_framed.at(cell) || drawn.empty) {
            drawn.add(0.0, font.baseline);
            drawn.add(glyph.advance, font.baseline);
        }
        if (!m_framed.at(cell)) {
            frame.unite(drawn);
            anyNear = true;
        }
    }
    if (!anyNear) {
        // Every glyph has a view of its own: the cells are shaped like the box.
        const fnt::FontBox box = fnt::fontBox(font);
        frame.add(box.left, box.bottom);
        frame.add(box.right, box.top);
    }
    const QRectF shown = padded(frame);
    m_view = {shown.left(), shown.top(), kGlyphPixels / std::max(shown.width(), shown.height())};
    m_boxSize = shown.size() * m_view.scale;
    m_cellSize = QSizeF(std::max(m_boxSize.width(), kMinCellWidth) + 2 * kPadding,
                        kLabelHeight + m_boxSize.height() + 2 * kPadding);
    for (int cell = 0; cell < m_indexes.size(); ++cell) {
        if (!m_framed.at(cell))
            continue;
        // Centred in the box, at the largest scale that fits it whole.
        const QRectF own = padded(strokes.at(cell));
        const double scale = std::min(m_boxSize.width() / own.width(),
                                      m_boxSize.height() / own.height());
        m_framedViews.insert(cell, {own.left() - (m_boxSize.width() / scale - own.width()) / 2,
                                    own.top() - (m_boxSize.height() / scale - own.height()) / 2,
                                    scale});
    }

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
    if (framedCount() > 0)
        m_title += QStringLiteral(", %1 far outside the font's box (framed red, each drawn to fit "
                                  "its cell)")
                       .arg(framedCount());
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

QPointF GlyphSheet::toSheet(const QRectF &box, const View &view, double x, double y)
{
    return QPointF(box.left() + (x - view.left) * view.scale,
                   box.bottom() - (y - view.bottom) * view.scale);
}

void GlyphSheet::paint(QPainter &painter) const
{
    QFont font = painter.font();
    // A picture is drawn with the fonts here; an SVG file names its fonts
    // for wherever it is opened: families most systems have, then the
    // generic one.
    if (painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::SVG)
        font.setFamily(QStringLiteral("DejaVu Sans, WenQuanYi Micro Hei, Noto Sans CJK SC, "
                                      "Microsoft YaHei, Arial, sans-serif"));
    font.setPixelSize(kTitlePixels);
    painter.setFont(font);
    painter.fillRect(QRectF(QPointF(0, 0), QSizeF(m_size)), kPage);
    painter.setPen(kInk);
    painter.drawText(QRectF(kMargin, kMargin, m_size.width() - 2 * kMargin, kTitleHeight),
                     Qt::AlignLeft | Qt::AlignTop, m_title);

    font.setPixelSize(11);
    painter.setFont(font);
    for (int cell = 0; cell < m_indexes.size(); ++cell)
        paintCell(painter, cell, m_font.glyphs.at(m_indexes.at(cell)));
}

void GlyphSheet::paintCell(QPainter &painter, int cell, const fnt::FntGlyph &glyph) const
{
    const bool framed = m_framed.at(cell);
    const View &view = framed ? m_framedViews[cell] : m_view;
    const QRectF box = glyphBox(cell);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(framed ? kClipped : kLabel);
    const double labelWidth = m_cellSize.width() - 2 * kPadding;
    const QString text = QFontMetricsF(painter.font())
                             .elidedText(label(glyph.code, m_names.value(glyph.code)),
                                         Qt::ElideRight, labelWidth);
    painter.drawText(QRectF(box.left(), box.top() - kLabelHeight, labelWidth, kLabelHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, text);
    painter.fillRect(box, kBox);

    painter.save();
    painter.setClipRect(box);
    const QPointF baselineAt = toSheet(box, view, 0.0, m_font.baseline);
    painter.setPen(QPen(kBaseline, 1.0));
    painter.drawLine(QPointF(box.left(), pixelCentre(baselineAt.y())),
                     QPointF(box.right(), pixelCentre(baselineAt.y())));
    painter.setPen(QPen(kAdvance, 1.0));
    for (const double x : {0.0, double(glyph.advance)}) {
        const double at = pixelCentre(toSheet(box, view, x, 0.0).x());
        painter.drawLine(QPointF(at, box.top()), QPointF(at, box.bottom()));
    }
    paintStrokes(painter, box, view, glyph);
    painter.restore();

    if (framed) {
        // A red frame and a corner flag: this glyph is far out, at a scale
        // of its own.
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

void GlyphSheet::paintStrokes(QPainter &painter, const QRectF &box, const View &view,
                              const fnt::FntGlyph &glyph) const
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(kInk, kPenWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    // The toolkit's time for a stroke grows with its length, however little
    // of it shows: each is cut to its cell (and a pen's width around it)
    // before it is painted, so that no font can make a sheet slow.
    const QRectF clip = box.adjusted(-kPenWidth, -kPenWidth, kPenWidth, kPenWidth);
    for (const fnt::FntLine &line : glyph.lines) {
        QPointF from = toSheet(box, view, line.x1, line.y1);
        QPointF to = toSheet(box, view, line.x2, line.y2);
        if (clipSegment(clip, from, to))
            painter.drawLine(from, to);
    }
    for (const fnt::FntPolyline &polyline : glyph.polylines) {
        QPolygonF points;
        points.reserve(polyline.points.size());
        for (const QPoint &point : polyline.points)
            points.append(toSheet(box, view, point.x(), point.y()));
        paintPolyline(painter, clip, points);
    }
    for (const fnt::FntArc &arc : glyph.arcs) {
        if (!std::isfinite(arc.startAngle) || !std::isfinite(arc.endAngle) || arc.radius == 0)
            continue;
        // A negative radius puts each point on the opposite side of the centre.
        // The sheet's y runs down and the painter's angles turn the same
        // way on screen as the font's do on paper: counter-clockwise.
        double start = std::fmod(double(arc.startAngle), 360.0) + (arc.radius < 0 ? 180.0 : 0.0);
        double sweep = std::min(double(arc.endAngle) - double(arc.startAngle), 360.0);
        if (sweep < 0.0) {
            start += sweep;
            sweep = -sweep;
        }
        paintArc(painter, clip, toSheet(box, view, arc.centerX, arc.centerY),
                 std::abs(double(arc.radius)) * view.scale, start, sweep);
    }
}

} // namespace cli
