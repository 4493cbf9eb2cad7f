#pragma once
// The picture view: shows the picture document fitted to the view or at a zoom factor,
// follows every change of it, and lets the user drag a range with the left mouse button;
// while a drawing tool is chosen, the left button draws instead.
#include "imaging/PictureDocument.h"

#include <QAbstractScrollArea>
#include <QLineEdit>
#include <QPointer>

class QPainter;

namespace imaging {

class DrawingSession;

class ImageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum DisplayMode { Clear = 0, Fit = 1, Zoom = 3 };

    explicit ImageView(PictureDocument& picture, QWidget* parent = nullptr);

    // Shows the model's picture in the given mode; false when there is nothing to show.
    bool display(int mode);
    // The zoom factor of the Zoom mode; it takes effect with the next display.
    void setZoom(double factor);
    int displayMode() const { return m_mode; }

    // Picture pixel under a viewport point, and the viewport rectangle a picture takes.
    QPointF toImage(const QPointF& viewportPos) const;
    QRectF imageRectInViewport() const;

    // The drawing toolbar's session; none, or one without a tool, leaves the range drag.
    void setDrawing(DrawingSession* session);
    // The box a text is typed into, while it is open.
    QLineEdit* textEntry() const { return m_textEntry; }

signals:
    void rangeChanged();
    void rightReleased();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void updateScrollBars();
    double scaleX() const;
    double scaleY() const;
    void setRangeFromDrag(const QPointF& a, const QPointF& b);
    bool drawing() const;
    QPoint toPixel(const QPointF& viewportPos) const;
    void openTextEntry(const QPointF& viewportPos);
    void closeTextEntry(bool commit);
    // The text being typed, in picture coordinates on p.
    void paintTyped(QPainter& p) const;

    PictureDocument& m_doc;
    const ImageModel& m_model;
    int m_mode = Clear;
    double m_zoom = 1.0;
    bool m_dragging = false;
    QPointF m_dragStart;
    DrawingSession* m_drawing = nullptr;
    QPointer<QLineEdit> m_textEntry;
    QPoint m_textAt; // picture pixel of the text's top left
};

} // namespace imaging
