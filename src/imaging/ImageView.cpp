#include "imaging/ImageView.h"

#include "imaging/DrawingSession.h"

#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <functional>

namespace imaging {

namespace {
// The text tool's box: Return commits (returnPressed), Escape cancels. It keeps what the input
// method is still composing, so the view can show it in place.
class TextEntry : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void()> cancelled;
    std::function<void()> composed;
    QString composing;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && cancelled) {
            cancelled();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
    void inputMethodEvent(QInputMethodEvent* event) override {
        QLineEdit::inputMethodEvent(event);
        composing = event->preeditString();
        if (composed)
            composed();
    }
};
} // namespace

ImageView::ImageView(PictureDocument& picture, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(picture), m_model(picture.model()) {
    // Whatever changes the picture, the view shows it.
    connect(&m_doc, &PictureDocument::changed, this, [this] {
        updateScrollBars();
        viewport()->update();
    });
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    viewport()->setMouseTracking(false);
}

void ImageView::setZoom(double factor) {
    m_zoom = factor > 0 ? factor : 1.0;
}

bool ImageView::display(int mode) {
    m_mode = (mode == Fit || mode == Zoom) ? mode : Clear;
    updateScrollBars();
    viewport()->update();
    return m_mode != Clear && m_model.handle() != 0;
}

double ImageView::scaleX() const {
    const QImage& img = m_model.image();
    if (img.isNull())
        return 1.0;
    if (m_mode == Fit) {
        const double sx = double(viewport()->width()) / img.width();
        const double sy = double(viewport()->height()) / img.height();
        return std::max(1e-6, std::min(sx, sy));
    }
    return m_zoom;
}

double ImageView::scaleY() const {
    if (m_mode == Fit)
        return scaleX();
    return m_zoom;
}

QRectF ImageView::imageRectInViewport() const {
    const QImage& img = m_model.image();
    if (img.isNull() || m_mode == Clear)
        return {};
    const double w = img.width() * scaleX();
    const double h = img.height() * scaleY();
    if (m_mode == Fit)
        return {0, 0, w, h};
    return {-double(horizontalScrollBar()->value()), -double(verticalScrollBar()->value()), w, h};
}

QPointF ImageView::toImage(const QPointF& p) const {
    const QRectF r = imageRectInViewport();
    if (r.isEmpty())
        return {};
    return {(p.x() - r.x()) / scaleX(), (p.y() - r.y()) / scaleY()};
}

void ImageView::updateScrollBars() {
    const QImage& img = m_model.image();
    if (m_mode != Zoom || img.isNull()) {
        horizontalScrollBar()->setRange(0, 0);
        verticalScrollBar()->setRange(0, 0);
        return;
    }
    const int w = int(std::ceil(img.width() * scaleX()));
    const int h = int(std::ceil(img.height() * scaleY()));
    horizontalScrollBar()->setRange(0, std::max(0, w - viewport()->width()));
    verticalScrollBar()->setRange(0, std::max(0, h - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setPageStep(viewport()->height());
    // A wheel notch moves three steps: a tenth of the view, not three pixels.
    horizontalScrollBar()->setSingleStep(std::max(1, viewport()->width() / 30));
    verticalScrollBar()->setSingleStep(std::max(1, viewport()->height() / 30));
}

void ImageView::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const QRectF target = imageRectInViewport();
    if (target.isEmpty())
        return;
    // Smoothing helps a picture made smaller; one made larger would only blur its pixels.
    p.setRenderHint(QPainter::SmoothPixmapTransform, m_mode == Fit && scaleX() < 1.0);
    p.drawImage(target, m_model.image());
    const Range& r = m_model.range;
    if (!r.isEmpty()) {
        const QRectF rr(target.x() + r.x1 * scaleX(), target.y() + r.y1 * scaleY(),
                        (r.x2 - r.x1) * scaleX(), (r.y2 - r.y1) * scaleY());
        p.setPen(QPen(Qt::white, 1, Qt::SolidLine));
        p.drawRect(rr);
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.drawRect(rr);
    }
    const bool typing = m_drawing && m_textEntry;
    if ((m_drawing && m_drawing->inProgress()) || typing) {
        // The shape in progress, drawn as the picture will take it, at the view's scale.
        p.setClipRect(target);
        p.translate(target.topLeft());
        p.scale(scaleX(), scaleY());
        if (typing)
            paintTyped(p);
        else
            paintShape(p, m_drawing->pending(), true);
    }
}

void ImageView::paintTyped(QPainter& p) const {
    const auto* entry = static_cast<const TextEntry*>(m_textEntry.data());
    const int cursor = entry->cursorPosition();
    QString text = entry->text();
    text.insert(cursor, entry->composing);
    const imaging::Shape s = m_drawing->textShape(m_textAt, text);
    paintShape(p, s, true);
    // Before the first letter a caret marks where the text begins; what the input method is
    // composing is underlined.
    const QFontMetrics fm(textFont(s));
    const QPoint at = s.points.first();
    p.setPen(QPen(s.colour, 0));
    if (text.isEmpty()) {
        p.drawLine(QPointF(at.x() + 0.5, at.y()), QPointF(at.x() + 0.5, at.y() + fm.height()));
    } else if (!entry->composing.isEmpty()) {
        const double from = at.x() + fm.horizontalAdvance(text.left(cursor));
        const double to = from + fm.horizontalAdvance(entry->composing);
        const double y = at.y() + fm.ascent() + fm.underlinePos() + 0.5;
        p.drawLine(QPointF(from, y), QPointF(to, y));
    }
}

void ImageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ImageView::scrollContentsBy(int, int) {
    viewport()->update();
}

void ImageView::setRangeFromDrag(const QPointF& a, const QPointF& b) {
    const QImage& img = m_model.image();
    auto clampX = [&](double v) { return std::clamp(int(std::lround(v)), 0, img.width()); };
    auto clampY = [&](double v) { return std::clamp(int(std::lround(v)), 0, img.height()); };
    Range r{clampX(std::min(a.x(), b.x())), clampY(std::min(a.y(), b.y())),
            clampX(std::max(a.x(), b.x())), clampY(std::max(a.y(), b.y()))};
    if (r.x1 == r.x2 || r.y1 == r.y2)
        r = {};
    if (!(r == m_model.range)) {
        m_doc.setRange(r);
        emit rangeChanged();
    }
    viewport()->update();
}

void ImageView::setDrawing(DrawingSession* session) {
    if (m_drawing)
        disconnect(m_drawing, nullptr, this, nullptr);
    m_drawing = session;
    if (session)
        connect(session, &DrawingSession::changed, this, [this] {
            if (!drawing() || m_drawing->tool() != DrawTool::Text)
                closeTextEntry(false);
            viewport()->setCursor(drawing() ? Qt::CrossCursor : Qt::ArrowCursor);
            viewport()->update();
        });
}

bool ImageView::drawing() const {
    return m_drawing && m_drawing->active();
}

QPoint ImageView::toPixel(const QPointF& viewportPos) const {
    const QPointF p = toImage(viewportPos);
    return {int(std::floor(p.x())), int(std::floor(p.y()))};
}

void ImageView::openTextEntry(const QPointF& viewportPos) {
    closeTextEntry(true);
    m_textAt = toPixel(viewportPos);
    auto* entry = new TextEntry(viewport());
    entry->setAccessibleName(QStringLiteral("文字入力"));
    entry->setFrame(false);
    QFont f = entry->font();
    f.setPixelSize(std::max(8, int(std::lround(m_drawing->fontSize * scaleY()))));
    entry->setFont(f);
    // The box only takes the keys and the input method's text, unseen: the view shows the text
    // as the picture will take it (paintEvent), over the picture and nothing else.
    QPalette pal = entry->palette();
    for (const auto role :
         {QPalette::Base, QPalette::Text, QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(role, Qt::transparent);
    entry->setPalette(pal);
    entry->setAttribute(Qt::WA_InputMethodEnabled);
    entry->setGeometry(int(viewportPos.x()), int(viewportPos.y()), 240, entry->sizeHint().height());
    entry->cancelled = [this] { closeTextEntry(false); };
    entry->composed = [this] { viewport()->update(); };
    connect(entry, &QLineEdit::returnPressed, this, [this] { closeTextEntry(true); });
    connect(entry, &QLineEdit::textChanged, viewport(), qOverload<>(&QWidget::update));
    m_textEntry = entry;
    entry->show();
    entry->setFocus();
}

void ImageView::closeTextEntry(bool commit) {
    if (!m_textEntry)
        return;
    QLineEdit* entry = m_textEntry;
    m_textEntry = nullptr;
    const QString text = entry->text();
    entry->hide();
    entry->deleteLater(); // it may be inside its own key handler
    viewport()->update();
    setFocus();
    if (commit && m_drawing)
        m_drawing->placeText(m_textAt, text);
}

void ImageView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && m_drawing && m_drawing->inProgress()) {
        m_drawing->cancel();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_model.handle() == 0 || m_mode == Clear)
        return;
    if (drawing()) {
        setFocus();
        if (m_drawing->tool() == DrawTool::Text)
            openTextEntry(event->position());
        else
            m_drawing->press(toPixel(event->position()));
        return;
    }
    m_dragging = true;
    m_dragStart = toImage(event->position());
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
    if (m_drawing && m_drawing->inProgress())
        m_drawing->move(toPixel(event->position()));
    else if (m_dragging)
        setRangeFromDrag(m_dragStart, toImage(event->position()));
}

void ImageView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton)
        emit rightReleased();
    if (m_drawing && m_drawing->inProgress() && event->button() == Qt::LeftButton)
        m_drawing->release(toPixel(event->position()));
    else if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        setRangeFromDrag(m_dragStart, toImage(event->position()));
    }
}

} // namespace imaging
