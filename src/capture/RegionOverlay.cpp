#include "capture/RegionOverlay.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>

QRect regionOfDrag(QPointF from, QPointF to, QSizeF viewSize, QSize pictureSize) {
    if (viewSize.isEmpty() || pictureSize.isEmpty())
        return {};
    const double sx = pictureSize.width() / viewSize.width();
    const double sy = pictureSize.height() / viewSize.height();
    // Edges fall on pixel boundaries: a drag from 10 to 20 covers pixels 10..19.
    auto edge = [](double v, double scale, int limit) {
        return std::clamp(int(std::lround(v * scale)), 0, limit);
    };
    const int x1 = edge(std::min(from.x(), to.x()), sx, pictureSize.width());
    const int x2 = edge(std::max(from.x(), to.x()), sx, pictureSize.width());
    const int y1 = edge(std::min(from.y(), to.y()), sy, pictureSize.height());
    const int y2 = edge(std::max(from.y(), to.y()), sy, pictureSize.height());
    return QRect(x1, y1, x2 - x1, y2 - y1);
}

RegionOverlay::RegionOverlay(const QImage& frozen) : m_frozen(frozen) {
    // Above everything and without a frame, placed exactly; it takes keys and pointer itself.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::BypassWindowManagerHint);
    setWindowTitle(QStringLiteral("Tolvik ｷｬﾌﾟﾁｬｰ範囲"));
    setAccessibleName(QStringLiteral("ｷｬﾌﾟﾁｬｰ範囲"));
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
}

QWidget* RegionOverlay::choose(const QImage& frozen, std::function<void(QRect)> chosen) {
    auto* overlay = new RegionOverlay(frozen);
    connect(overlay, &RegionOverlay::chosen, overlay, std::move(chosen));
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        overlay->setGeometry(screen->geometry());
    overlay->show();
    overlay->raise();
    overlay->activateWindow();
    return overlay;
}

void RegionOverlay::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Keys go to the focused window: the overlay takes them once it is on the screen, wherever
    // the focus was (Tolvik is often minimised).
    QTimer::singleShot(0, this, [this] {
        activateWindow();
        grabKeyboard();
    });
}

void RegionOverlay::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRectF all = rect();
    p.drawImage(all, m_frozen);
    // Outside the region the screen is dimmed; the region shows as it is, with a border.
    const QRect region = regionOfDrag(m_from, m_to, size(), m_frozen.size());
    const double sx = width() / double(std::max(1, m_frozen.width()));
    const double sy = height() / double(std::max(1, m_frozen.height()));
    const QRectF shown(region.x() * sx, region.y() * sy, region.width() * sx, region.height() * sy);
    QPainterPath dim;
    dim.addRect(all);
    if (m_dragging && !region.isEmpty())
        dim.addRect(shown);
    p.fillPath(dim, QColor(0, 0, 0, 96));
    if (m_dragging && !region.isEmpty()) {
        p.setPen(QPen(Qt::white, 1, Qt::DashLine));
        p.drawRect(shown.adjusted(0, 0, -1, -1));
        p.setPen(Qt::black);
        p.drawText(shown.bottomLeft() + QPointF(2, 14),
                   QStringLiteral("%1 x %2").arg(region.width()).arg(region.height()));
    } else {
        p.setPen(Qt::white);
        p.drawText(all.adjusted(0, 8, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
                   QStringLiteral("ﾄﾞﾗｯｸﾞで範囲を選んでください (Esc で中止)"));
    }
}

void RegionOverlay::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        finish({});
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_from = m_to = event->position();
    update();
}

void RegionOverlay::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging)
        return;
    m_to = event->position();
    update();
}

void RegionOverlay::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_to = event->position();
    finish(regionOfDrag(m_from, m_to, size(), m_frozen.size()));
}

void RegionOverlay::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        finish({});
    else
        QWidget::keyPressEvent(event);
}

void RegionOverlay::finish(QRect region) {
    if (m_done)
        return;
    m_done = true;
    releaseKeyboard();
    hide();
    emit chosen(region);
    deleteLater();
}
