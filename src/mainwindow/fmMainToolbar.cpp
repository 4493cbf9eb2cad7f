// The drawing toolbar beside the main window, and a shape drawn with it taken as the range.
#include "app/Sys.h"
#include "commands/Operations.h"
#include "commands/PopupMenus.h"
#include "imaging/DrawingSession.h"
#include "imaging/ImageView.h"
#include "mainwindow/DrawingToolbar.h"
#include "mainwindow/ToolbarPlacement.h"
#include "mainwindow/fmMain.h"
#include "workspace/Workspace.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace {
// How far a window's frame reaches beyond its own area on each side.
QMargins frameOf(const QWidget& w) {
    const QRect frame = w.frameGeometry();
    const QRect inner = w.geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}
} // namespace

void fmMain::toggleToolbar() {
    if (!m_toolbarShown)
        ShowToolbar(true);
    else if (m_drawBar)
        m_drawBar->close(); // its closed signal ends drawing
    else
        ShowToolbar(false);
}

void fmMain::ShowToolbar(bool show) {
    if (show && !m_drawBar) {
        PictureSession& session = m_workspace->session;
        m_drawing = new imaging::DrawingSession(session.document(), this);
        m_drawBar = new DrawingToolbar(
            *m_drawing, Sys::programDataFolder() + QStringLiteral("Stamp.bmp"), this);
        connect(m_drawBar, &DrawingToolbar::closed, this, [this] { ShowToolbar(false); });
        // A drawn shape is an edit like any other.
        connect(m_drawing, &imaging::DrawingSession::drawn, this,
                [&session](const QString& text, imaging::EditOutcome outcome) {
                    if (outcome == imaging::EditOutcome::Done)
                        session.historyMoved();
                    else if (outcome == imaging::EditOutcome::Failed)
                        emit session.editFailed(text);
                });
        m_view->setDrawing(m_drawing);
    }
    m_toolbarShown = show;
    m_menus->item(Operation::ShowToolbar)->setChecked(show);
    if (!m_drawBar)
        return;
    if (!show) {
        endToolbarDrawing();
        m_drawBar->selectTool(imaging::DrawTool::Select); // the range drag again
        m_drawBar->hide();
        return;
    }
    const QRect before = geometry();
    // Until the toolbar has had a frame, the window's own stands in for it.
    const QMargins barFrame = frameOf(*m_drawBar).isNull() ? frameOf(*this) : frameOf(*m_drawBar);
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const ToolbarPlacement place = placeDrawingToolbar(
        frameGeometry(), isMaximized(), barFrame,
        QSize(kDrawingToolbarWidth,
              std::max(m_drawBar->minimumSizeHint().height(), m_drawBar->sizeHint().height())),
        screen ? screen->availableGeometry() : frameGeometry());
    if (place.restore)
        showNormal();
    if (place.shift != 0)
        setGeometry(before.adjusted(place.shift, 0, 0, 0));
    m_drawBar->setGeometry(place.toolbar);
    m_drawBar->show();
    m_drawBar->raise();
}

void fmMain::endToolbarDrawing() {
    if (m_drawing)
        m_drawing->endDrawing();
}

imaging::Range fmMain::takeToolbarShape() {
    const PictureSession& session = m_workspace->session;
    if (!m_toolbarShown || !m_drawing || !session.hasPicture() ||
        !session.picture().range.isEmpty())
        return {};
    const QList<QPoint> points = m_drawing->currentPoints();
    if (points.size() != 4)
        return {};
    endToolbarDrawing();
    const imaging::Range shape{points[0].x(), points[0].y(), points[2].x(), points[2].y()};
    qCDebug(lcCommands, "range %d %d %d %d", shape.x1, shape.y1, shape.x2, shape.y2);
    return shape;
}
