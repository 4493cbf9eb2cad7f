#include "imaging/Drawing.h"

#include "imaging/PaletteFit.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace imaging {

namespace {

// Paths run through pixel centres, so a one-pixel outline covers exactly its pixels.
QPointF centre(const QPoint& p) {
    return {p.x() + 0.5, p.y() + 0.5};
}

// Both corners belong to it, whichever the drag began at (QRect::normalized would drop an
// edge of a rectangle given from right to left).
QRect dragRect(const Shape& s) {
    const QPoint a = s.points.first(), b = s.points.last();
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

int highlighterWidth(const Shape& s) {
    return std::max(12, s.width * 4);
}
int arrowHead(const Shape& s) {
    return s.width * 3 + 8;
}
int markerRadius(const Shape& s) {
    return 10 + s.width * 2;
}
int pixelBlock(const Shape& s) {
    return std::max(2, s.width * 3);
}

QPen strokePen(const Shape& s, int width) {
    return QPen(s.colour, std::max(1, width), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QPainterPath freehand(const Shape& s) {
    QPainterPath path(centre(s.points.first()));
    for (qsizetype i = 1; i < s.points.size(); ++i)
        path.lineTo(centre(s.points[i]));
    return path;
}

void paintArrow(QPainter& p, const Shape& s) {
    const QPointF a = centre(s.points.first()), b = centre(s.points.last());
    const QPointF d = b - a;
    const double len = std::hypot(d.x(), d.y());
    p.setPen(strokePen(s, s.width));
    if (len < 1) {
        p.drawPoint(b);
        return;
    }
    const QPointF u = d / len, n(-u.y(), u.x());
    const double head = std::min<double>(arrowHead(s), len);
    // The shaft stops inside the head, so a wide pen does not poke through its tip.
    p.drawLine(a, b - u * (head * 0.7));
    p.setPen(Qt::NoPen);
    p.setBrush(s.colour);
    p.drawPolygon(QPolygonF{b, b - u * head + n * (head * 0.5), b - u * head - n * (head * 0.5)});
}

void paintNumber(QPainter& p, const Shape& s) {
    const int r = markerRadius(s);
    const QPointF c = centre(s.points.first());
    p.setPen(Qt::NoPen);
    p.setBrush(s.colour);
    p.drawEllipse(c, r, r);
    QFont f;
    f.setBold(true);
    f.setPixelSize(std::max(6, r * 6 / 5));
    p.setFont(f);
    p.setPen(qGray(s.colour.rgb()) > 160 ? Qt::black : Qt::white);
    p.drawText(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), Qt::AlignCenter,
               QString::number(s.number));
}

// Each block of the rectangle takes the average of its pixels, channel by channel.
void pixelate(QImage& img, const QRect& rect, int block) {
    for (int by = rect.top(); by <= rect.bottom(); by += block)
        for (int bx = rect.left(); bx <= rect.right(); bx += block) {
            const QRect b = QRect(bx, by, block, block).intersected(rect);
            quint64 sum[4] = {};
            for (int y = b.top(); y <= b.bottom(); ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
                for (int x = b.left(); x <= b.right(); ++x) {
                    sum[0] += qRed(line[x]);
                    sum[1] += qGreen(line[x]);
                    sum[2] += qBlue(line[x]);
                    sum[3] += qAlpha(line[x]);
                }
            }
            const quint64 n = quint64(b.width()) * b.height();
            auto avg = [n](quint64 v) { return int((v + n / 2) / n); };
            const QRgb c = qRgba(avg(sum[0]), avg(sum[1]), avg(sum[2]), avg(sum[3]));
            for (int y = b.top(); y <= b.bottom(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
                std::fill(line + b.left(), line + b.right() + 1, c);
            }
        }
}

// The text on a transparent layer covering box: only the glyphs' pixels are painted.
QImage textLayer(const Shape& s, const QRect& box) {
    QImage layer(box.size(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull())
        throw std::bad_alloc();
    layer.fill(Qt::transparent);
    QPainter p(&layer);
    p.setRenderHint(QPainter::Antialiasing);
    const QFont f = textFont(s);
    p.setFont(f);
    p.setPen(s.colour);
    const QPoint at = s.points.first() - box.topLeft();
    p.drawText(QPoint(at.x(), at.y() + QFontMetrics(f).ascent()), s.text);
    return layer;
}

bool complete(const Shape& s) {
    if (s.points.isEmpty())
        return false;
    switch (s.tool) {
    case DrawTool::Select:
        return false;
    case DrawTool::Text:
        return !s.text.isEmpty();
    case DrawTool::Stamp:
        return !s.stamp.isNull();
    default:
        return true;
    }
}

} // namespace

bool isDragTool(DrawTool tool) {
    switch (tool) {
    case DrawTool::Select:
    case DrawTool::Text:
    case DrawTool::Number:
    case DrawTool::Stamp:
        return false;
    default:
        return true;
    }
}

QString drawToolText(DrawTool tool) {
    switch (tool) {
    case DrawTool::Pen:
        return QStringLiteral("ﾍﾟﾝ");
    case DrawTool::Line:
        return QStringLiteral("直線");
    case DrawTool::Arrow:
        return QStringLiteral("矢印");
    case DrawTool::Rectangle:
        return QStringLiteral("四角形");
    case DrawTool::Ellipse:
        return QStringLiteral("楕円");
    case DrawTool::Highlighter:
        return QStringLiteral("蛍光ﾍﾟﾝ");
    case DrawTool::Text:
        return QStringLiteral("文字");
    case DrawTool::Number:
        return QStringLiteral("番号");
    case DrawTool::Pixelate:
        return QStringLiteral("ﾓｻﾞｲｸ");
    case DrawTool::Stamp:
        return QStringLiteral("ｽﾀﾝﾌﾟ");
    case DrawTool::Select:
        break;
    }
    return QStringLiteral("選択");
}

QFont textFont(const Shape& s) {
    QFont f;
    f.setPixelSize(std::max(4, s.fontSize));
    return f;
}

QRect shapeBounds(const Shape& s) {
    if (s.points.isEmpty())
        return {};
    const QPoint p = s.points.first();
    switch (s.tool) {
    case DrawTool::Text: {
        const QFontMetrics fm(textFont(s));
        const QRect box(p, QSize(fm.horizontalAdvance(s.text), fm.height()));
        const QRect ink = fm.boundingRect(s.text).translated(p.x(), p.y() + fm.ascent());
        return box.united(ink).adjusted(-2, -2, 2, 2);
    }
    case DrawTool::Number: {
        const int r = markerRadius(s) + 2;
        return QRect(p.x() - r, p.y() - r, 2 * r + 1, 2 * r + 1);
    }
    case DrawTool::Stamp:
        return QRect(p - QPoint(s.stamp.width() / 2, s.stamp.height() / 2), s.stamp.size());
    case DrawTool::Pixelate:
        return dragRect(s);
    default:
        break;
    }
    int margin = s.width / 2 + 2;
    if (s.tool == DrawTool::Arrow)
        margin = arrowHead(s) + 2;
    else if (s.tool == DrawTool::Highlighter)
        margin = highlighterWidth(s) / 2 + 2;
    QRect r(p, p);
    for (const QPoint& q : s.points)
        r = r.united(QRect(q, q));
    return r.adjusted(-margin, -margin, margin, margin);
}

void paintShape(QPainter& p, const Shape& s, bool preview) {
    if (!complete(s))
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, s.tool != DrawTool::Rectangle);
    p.setBrush(Qt::NoBrush);
    switch (s.tool) {
    case DrawTool::Pen:
        p.setPen(strokePen(s, s.width));
        if (s.points.size() == 1)
            p.drawPoint(centre(s.points.first()));
        else
            p.drawPath(freehand(s));
        break;
    case DrawTool::Line:
        p.setPen(strokePen(s, s.width));
        p.drawLine(centre(s.points.first()), centre(s.points.last()));
        break;
    case DrawTool::Arrow:
        paintArrow(p, s);
        break;
    case DrawTool::Rectangle:
    case DrawTool::Ellipse: {
        const QRect r = dragRect(s);
        const QRectF through(centre(r.topLeft()), centre(r.bottomRight()));
        p.setPen(QPen(s.colour, std::max(1, s.width), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        if (s.tool == DrawTool::Rectangle)
            p.drawRect(through);
        else
            p.drawEllipse(through);
        break;
    }
    case DrawTool::Highlighter: {
        // Multiplying keeps the text under it legible, however often it is stroked over.
        QPen pen(QColor(255, 255, 0), highlighterWidth(s), Qt::SolidLine, Qt::FlatCap,
                 Qt::RoundJoin);
        if (preview) {
            pen.setColor(QColor(255, 255, 0, 110));
        } else {
            p.setCompositionMode(QPainter::CompositionMode_Multiply);
        }
        p.setPen(pen);
        if (s.points.size() == 1)
            p.drawPoint(centre(s.points.first()));
        else
            p.drawPath(freehand(s));
        break;
    }
    case DrawTool::Text: {
        // Laid out in picture pixels whatever the painter's scale, so the text shown while it
        // is typed has exactly the glyphs the picture takes, scaled as the picture is.
        const QRect box = shapeBounds(s);
        p.drawImage(box.topLeft(), textLayer(s, box));
        break;
    }
    case DrawTool::Number:
        paintNumber(p, s);
        break;
    case DrawTool::Pixelate:
        if (preview) {
            p.setPen(QPen(Qt::black, 0, Qt::DashLine));
            p.drawRect(QRectF(dragRect(s)));
        }
        break;
    case DrawTool::Stamp:
        p.drawImage(shapeBounds(s).topLeft(), s.stamp);
        break;
    case DrawTool::Select:
        break;
    }
    p.restore();
}

bool drawShape(ImageModel& picture, const Shape& s) {
    const QImage& src = picture.image();
    if (src.isNull() || !complete(s))
        return false;
    const QRect region = shapeBounds(s).intersected(src.rect());
    if (region.isEmpty())
        return false;
    // Only the shape's bounds go through true colour, so no pixel outside them can change.
    QImage part = src.copy(region).convertToFormat(src.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                         : QImage::Format_RGB32);
    if (part.isNull())
        throw std::bad_alloc();
    if (s.tool == DrawTool::Pixelate) {
        pixelate(part, dragRect(s).translated(-region.topLeft()).intersected(part.rect()),
                 pixelBlock(s));
    } else {
        QPainter p(&part);
        p.translate(-region.topLeft());
        paintShape(p, s);
    }
    picture.setImage(replaceRegion(src, picture.depthCode(), region, part), picture.depthCode());
    return true;
}

QList<QPoint> reportedPoints(const Shape& s) {
    if ((s.tool == DrawTool::Rectangle || s.tool == DrawTool::Ellipse) && !s.points.isEmpty()) {
        const QRect r = dragRect(s);
        return {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
    }
    return s.points;
}

} // namespace imaging
