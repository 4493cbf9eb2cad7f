// The drawing toolbar beside the main window, and a shape drawn with it taken as the range.
#include "app/Sys.h"
#include "commands/spPic.h"
#include "imaging/DrawingSession.h"
#include "imaging/ImageView.h"
#include "mainwindow/DrawingToolbar.h"
#include "mainwindow/ToolbarPlacement.h"
#include "mainwindow/fmMain.h"

#include <QAction>
#include <QCoreApplication>

namespace {
QString stampPath() {
    QString folder = Sys::globals().ProgramDataFolder;
    if (folder.isEmpty()) // not started through Sys::Main (tests): beside the executable
        folder = QCoreApplication::applicationDirPath() + QStringLiteral("/apData/");
    return folder + QStringLiteral("Stamp.bmp");
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
        m_drawing = new imaging::DrawingSession(m_picture, this);
        m_drawBar = new DrawingToolbar(*m_drawing, stampPath(), this);
        connect(m_drawBar, &DrawingToolbar::closed, this, [this] { ShowToolbar(false); });
        // A drawn shape changes the picture as trimming does.
        connect(m_drawing, &imaging::DrawingSession::drawn, this,
                [this](const QString& text, imaging::EditOutcome outcome) {
                    finishEdit(text, outcome);
                });
        m_view->setDrawing(m_drawing);
    }
    m_toolbarShown = show;
    m_menus->item(Operation::ShowToolbar)->setChecked(show);
    if (!m_drawBar)
        return;
    if (!show) {
        EndToolbarDrawing();
        m_drawBar->selectTool(imaging::DrawTool::Select); // the range drag again
        m_drawBar->hide();
        return;
    }
    const QRect before = geometry();
    const ToolbarPlacement place = placeDrawingToolbar(frameGeometry(), isMaximized());
    if (place.restore)
        showNormal();
    if (place.shift != 0)
        setGeometry(before.adjusted(place.shift, 0, 0, 0));
    m_drawBar->move(place.toolbar);
    m_drawBar->show();
    m_drawBar->raise();
}

QList<QPoint> fmMain::GetToolbarPoints() const {
    return m_drawing ? m_drawing->currentPoints() : QList<QPoint>{};
}

void fmMain::EndToolbarDrawing() {
    if (m_drawing)
        m_drawing->endDrawing();
}

imaging::Range fmMain::takeToolbarShape() {
    if (!m_toolbarShown || m_picture.handle() == 0 || !m_picture.range().isEmpty())
        return {};
    const QList<QPoint> points = GetToolbarPoints();
    if (points.size() != 4)
        return {};
    EndToolbarDrawing();
    return {points[0].x(), points[0].y(), points[2].x(), points[2].y()};
}
