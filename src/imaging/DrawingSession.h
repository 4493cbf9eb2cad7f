#pragma once
// What the drawing toolbar has chosen and the shape being drawn: the view hands it picture
// pixels from the mouse, it shows the shape in progress and commits each finished shape as one
// step of the document's edit history. The last shape drawn stays the current one (for the
// toolbar's points) until drawing ends or the picture it was drawn on is no longer shown.
#include "imaging/Drawing.h"
#include "imaging/PictureDocument.h"

#include <QObject>

#include <optional>

namespace imaging {

class DrawingSession : public QObject {
    Q_OBJECT
public:
    explicit DrawingSession(PictureDocument& picture, QObject* parent = nullptr);

    DrawTool tool() const { return m_tool; }
    // Another tool drops a shape in progress.
    void setTool(DrawTool tool);
    bool active() const { return m_tool != DrawTool::Select; }

    QColor colour = Qt::red;
    int width = 3;
    int fontSize = 20;
    QImage stamp;

    // The mouse in picture pixels. A drag tool draws from press to release; number and stamp
    // are placed on the press; text is placed by placeText.
    void press(const QPoint& at);
    void move(const QPoint& at);
    void release(const QPoint& at);
    void placeText(const QPoint& at, const QString& text);
    // The shape placeText would draw now, for showing the text while it is typed.
    Shape textShape(const QPoint& at, const QString& text) const;
    bool inProgress() const { return m_pending.has_value(); }
    const Shape& pending() const { return *m_pending; }
    // Drops the shape in progress.
    void cancel();

    // The points of the current shape (reportedPoints); none without one.
    QList<QPoint> currentPoints() const;
    // Drops a shape in progress, forgets the current shape and numbers from 1 again.
    void endDrawing();

signals:
    // The tool changed, or the shape in progress changed, began or ended.
    void changed();
    // A shape went to the document; text is its step's caption.
    void drawn(const QString& text, imaging::EditOutcome outcome);

private:
    Shape shapeAt(const QPoint& at) const;
    QPoint inPicture(const QPoint& at) const;
    void commit(const Shape& shape);

    PictureDocument& m_doc;
    DrawTool m_tool = DrawTool::Select;
    std::optional<Shape> m_pending;
    std::optional<Shape> m_current;
    quint64 m_currentHandle = 0; // the picture the current shape was drawn into
    int m_nextNumber = 1;
};

} // namespace imaging
