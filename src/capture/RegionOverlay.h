#pragma once
// The frozen screen over the whole monitor: the user drags a rectangle, Escape (or the right
// button) gives up.
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QWidget>

#include <functional>

// The region a drag from one point to another marks on a view of viewSize (logical pixels)
// that shows a picture of pictureSize (device pixels), in the picture's pixels: every pixel
// the rectangle between the two points covers, inside the picture. Empty for a click.
QRect regionOfDrag(QPointF from, QPointF to, QSizeF viewSize, QSize pictureSize);

class RegionOverlay : public QWidget {
    Q_OBJECT
public:
    explicit RegionOverlay(const QImage& frozen);

    // Shows the overlay on the monitor under the pointer; chosen is called once, with the
    // region or an empty rectangle. The overlay goes after that.
    static QWidget* choose(const QImage& frozen, std::function<void(QRect)> chosen);

signals:
    void chosen(QRect region);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void finish(QRect region);

    QImage m_frozen;
    QPointF m_from, m_to;
    bool m_dragging = false;
    bool m_done = false;
};
