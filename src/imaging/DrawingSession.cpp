#include "imaging/DrawingSession.h"

#include <QPointer>

#include <algorithm>

namespace imaging {

DrawingSession::DrawingSession(PictureDocument& picture, QObject* parent)
    : QObject(parent), m_doc(picture) {}

void DrawingSession::setTool(DrawTool tool) {
    m_pending.reset();
    m_tool = tool;
    emit changed();
}

QPoint DrawingSession::inPicture(const QPoint& at) const {
    const QImage& img = m_doc.image();
    return {std::clamp(at.x(), 0, std::max(0, img.width() - 1)),
            std::clamp(at.y(), 0, std::max(0, img.height() - 1))};
}

Shape DrawingSession::shapeAt(const QPoint& at) const {
    Shape s;
    s.tool = m_tool;
    s.points = {inPicture(at)};
    s.colour = colour;
    s.width = width;
    s.fontSize = fontSize;
    s.number = m_nextNumber;
    s.stamp = stamp;
    return s;
}

void DrawingSession::press(const QPoint& at) {
    if (!active() || m_doc.handle() == 0 || m_tool == DrawTool::Text)
        return;
    if (!isDragTool(m_tool)) {
        commit(shapeAt(at));
        return;
    }
    m_pending = shapeAt(at);
    emit changed();
}

void DrawingSession::move(const QPoint& at) {
    if (!m_pending)
        return;
    const QPoint p = inPicture(at);
    QList<QPoint>& pts = m_pending->points;
    const bool freehand = m_tool == DrawTool::Pen || m_tool == DrawTool::Highlighter;
    if (freehand) {
        if (pts.last() != p)
            pts.append(p);
    } else {
        pts = {pts.first(), p};
    }
    emit changed();
}

void DrawingSession::release(const QPoint& at) {
    if (!m_pending)
        return;
    move(at);
    Shape s = std::move(*m_pending);
    m_pending.reset();
    emit changed();
    // A click without a drag draws no figure; the pen and highlighter leave a dot.
    const bool freehand = s.tool == DrawTool::Pen || s.tool == DrawTool::Highlighter;
    if (freehand || s.points.first() != s.points.last())
        commit(s);
}

void DrawingSession::placeText(const QPoint& at, const QString& text) {
    if (m_tool != DrawTool::Text || text.isEmpty() || m_doc.handle() == 0)
        return;
    commit(textShape(at, text));
}

Shape DrawingSession::textShape(const QPoint& at, const QString& text) const {
    Shape s = shapeAt(at);
    s.tool = DrawTool::Text;
    s.text = text;
    return s;
}

void DrawingSession::cancel() {
    if (!m_pending)
        return;
    m_pending.reset();
    emit changed();
}

void DrawingSession::commit(const Shape& shape) {
    // Behind a running edit, so the shape lands on the picture that edit leaves.
    m_doc.whenIdle([self = QPointer<DrawingSession>(this), shape] {
        if (!self)
            return;
        PictureDocument& doc = self->m_doc;
        const QString text = drawToolText(shape.tool);
        const EditOutcome outcome =
            doc.edit(text, [&shape](ImageModel& p) { return drawShape(p, shape); });
        if (outcome == EditOutcome::Done) {
            self->m_current = shape;
            self->m_currentHandle = doc.handle();
            if (shape.tool == DrawTool::Number)
                ++self->m_nextNumber;
        }
        emit self->drawn(text, outcome);
    });
}

QList<QPoint> DrawingSession::currentPoints() const {
    // Undone, edited further or replaced, the picture no longer holds the shape as drawn.
    if (!m_current || m_currentHandle != m_doc.handle())
        return {};
    return reportedPoints(*m_current);
}

void DrawingSession::endDrawing() {
    cancel();
    m_current.reset();
    m_nextNumber = 1;
}

} // namespace imaging
